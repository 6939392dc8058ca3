#include "app/picture_area.h"

#include <QBuffer>
#include <QByteArray>
#include <QImageReader>
#include <QPainter>

namespace snapnook {

PictureArea::PictureArea(QWidget* parent) : QFrame(parent) {
  setFrameStyle(QFrame::StyledPanel | QFrame::Sunken);
  setFocusPolicy(Qt::NoFocus);
  setBackgroundRole(QPalette::Base);
  setAutoFillBackground(true);
}

void PictureArea::ShowJpeg(std::span<const unsigned char> jpeg) {
  picture_ = QImage();
  if (!jpeg.empty()) {
    // The bytes are only read during this call, so they need not be copied.
    const QByteArray data = QByteArray::fromRawData(reinterpret_cast<const char*>(jpeg.data()),
                                                    static_cast<qsizetype>(jpeg.size()));
    QBuffer buffer;
    buffer.setData(data);
    buffer.open(QIODevice::ReadOnly);
    QImageReader reader(&buffer, "jpeg");
    const QSize full = reader.size();
    const QSize room = contentsRect().size();
    if (full.isValid() && !room.isEmpty()) {
      // Decoding straight to the shown size lets the JPEG decoder skip most of the work.
      if (full.width() > room.width() || full.height() > room.height()) {
        reader.setScaledSize(full.scaled(room, Qt::KeepAspectRatio));
      }
      picture_ = reader.read();
    }
  }
  update();
}

void PictureArea::paintEvent(QPaintEvent* event) {
  QFrame::paintEvent(event);
  if (picture_.isNull()) return;
  QPainter painter(this);
  const QRect room = contentsRect();
  const QSize size =
      picture_.size().scaled(room.size().boundedTo(picture_.size()), Qt::KeepAspectRatio);
  QRect target(QPoint(0, 0), size);
  target.moveCenter(room.center());
  painter.drawImage(target, picture_);
}

}  // namespace snapnook
