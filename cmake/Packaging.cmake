# The Debian package: `cpack -G DEB` in a build folder makes snapnook_VERSION_ARCH.deb from what
# `cmake --install` puts in place (the two programs, the viewer pages, the desktop entry and the
# icon), installed under /usr. Library dependencies are found by dpkg-shlibdeps (dpkg-dev).
set(CPACK_PACKAGE_NAME snapnook)
set(CPACK_PACKAGE_VENDOR "Korvell")
set(CPACK_PACKAGE_CONTACT "Korvell <snapnook@korvell.example>")
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "${PROJECT_DESCRIPTION}")
string(CONCAT CPACK_PACKAGE_DESCRIPTION
       "Snapnook turns folders of photographs into a static HTML web photo album: web-sized\n"
       "copies, thumbnails and screen copies of every picture, numbered album pages, an index\n"
       "page and viewer pages. The desktop program is snapnook; snapnook-batch makes the same\n"
       "album from the command line.")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)

set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION graphics)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE "http://www.korvell.example/snapnook")
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# The window's fixed layouts are made for Arial's metrics; Liberation Sans has them.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "fonts-liberation")

include(CPack)
