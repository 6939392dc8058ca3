// The splash window: product name, version and maker while the program starts.
#pragma once

#include <string>

#include <QWidget>

class QFrame;
class QLabel;

namespace snapnook {

/// "Version " and the version parts in decimal, without leading zeros.
std::string SplashVersionText();

/// The splash window `frmSplash`, a frameless window of 492 x 283 with the frame `Frame1`
/// around the maker's name, the product name, the version and the logo. Loading it clears
/// `dismissed`; a key that produces a character, or a click on the frame's own surface, sets
/// `dismissed` and closes it (it deletes itself when closed). Clicks on its labels and logo and
/// keys without a character do nothing.
class frmSplash : public QWidget {
  Q_OBJECT

 public:
  /// `dismissed` must outlive the window.
  frmSplash(bool& dismissed, const std::string& product_name, QWidget* parent = nullptr);

 protected:
  void keyPressEvent(QKeyEvent* event) override;

 private:
  void Dismiss();

  bool& dismissed_;
};

}  // namespace snapnook
