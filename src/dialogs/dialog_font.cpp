#include "dialogs/dialog_font.h"

#include <QApplication>
#include <QFont>

namespace snapnook {

void UseDialogFont() {
  // Arial's metrics (Liberation Sans on most Linux desktops) fit the layouts' label widths;
  // without it the desktop's own sans-serif stands in.
  QFont font(QStringLiteral("Arial"));
  font.setStyleHint(QFont::SansSerif);
  font.setPointSizeF(8.25);
  QApplication::setFont(font);
}

}  // namespace snapnook
