// The program's own pictures: the maker's logo and the application icon.
#pragma once

#include <QIcon>
#include <QPixmap>

namespace snapnook {

/// The 143 x 124 logo shown by the splash and help windows.
QPixmap LogoPixmap();
/// The 32 x 32 application icon as a picture.
QPixmap AppIconPixmap();
/// The application icon that every window of the program carries.
QIcon AppIcon();

}  // namespace snapnook
