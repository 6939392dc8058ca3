#include "dialogs/art.h"

namespace snapnook {

QPixmap LogoPixmap() {
  return QPixmap(QStringLiteral(":/snapnook/snapnook-logo.png"));
}

QPixmap AppIconPixmap() {
  return QPixmap(QStringLiteral(":/snapnook/snapnook-icon.png"));
}

QIcon AppIcon() {
  return QIcon(AppIconPixmap());
}

}  // namespace snapnook
