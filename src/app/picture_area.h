// A picture area of the main window: shows one picture fitted into it, proportions kept.
#pragma once

#include <span>

#include <QFrame>
#include <QImage>

namespace snapnook {

/// Shows an encoded JPEG scaled down (never up) to fit inside the area, centred, with its
/// proportions kept. Data that cannot be decoded, or no data, leaves the area empty.
class PictureArea : public QFrame {
  Q_OBJECT

 public:
  explicit PictureArea(QWidget* parent = nullptr);

  /// Decodes `jpeg` at the size it will be shown at. The data need not outlive the call.
  void ShowJpeg(std::span<const unsigned char> jpeg);
  /// The picture shown now (null when empty), at the size it is drawn.
  const QImage& picture() const { return picture_; }

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  QImage picture_;
};

}  // namespace snapnook
