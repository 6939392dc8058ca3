# The Debian package: `cpack -G DEB` in a build folder makes snapnook_VERSION-REVISION_ARCH.deb
# from what `cmake --install` puts in place, installed under /usr: the two programs and their
# manual pages, the viewer pages, the desktop entry, the AppStream metainfo, the icons, and
# the copyright file and changelog Debian asks for. Library dependencies are found by
# dpkg-shlibdeps (dpkg-dev). `cmake --workflow --preset package` builds it with Debian's
# hardening flags (the release preset) and packs it into build-release/.
set(SNAPNOOK_PACKAGING ${PROJECT_SOURCE_DIR}/packaging)
set(SNAPNOOK_PACKAGE_DOCDIR ${CMAKE_INSTALL_DATADIR}/doc/snapnook)

# The packaging's own versions must follow the project's: the changelog's newest entry is
# PROJECT_VERSION-REVISION (the revision is stated there only) and the metainfo's newest
# release is PROJECT_VERSION.
file(STRINGS ${SNAPNOOK_PACKAGING}/changelog changelog_top LIMIT_COUNT 1)
if(NOT changelog_top MATCHES "^snapnook \\(${PROJECT_VERSION}-([0-9]+)\\) ")
  message(FATAL_ERROR "packaging/changelog: the newest entry must be for ${PROJECT_VERSION}-N, "
                      "not: ${changelog_top}")
endif()
set(CPACK_DEBIAN_PACKAGE_RELEASE ${CMAKE_MATCH_1})
file(READ ${SNAPNOOK_PACKAGING}/io.github.snapnook.Snapnook.metainfo.xml metainfo)
if(NOT metainfo MATCHES "<release version=\"([^\"]*)\"" OR NOT CMAKE_MATCH_1 STREQUAL PROJECT_VERSION)
  message(FATAL_ERROR "packaging/io.github.snapnook.Snapnook.metainfo.xml: the newest release "
                      "must be ${PROJECT_VERSION}, not ${CMAKE_MATCH_1}")
endif()

# Manual pages and the changelog, compressed as Debian installs them (-n: no name or time, so
# the bytes depend on the text only).
set(gzipped)
foreach(page snapnook snapnook-batch)
  configure_file(${SNAPNOOK_PACKAGING}/${page}.1.in ${PROJECT_BINARY_DIR}/man/${page}.1 @ONLY)
  list(APPEND gzipped man/${page}.1)
endforeach()
configure_file(${SNAPNOOK_PACKAGING}/changelog ${PROJECT_BINARY_DIR}/doc/changelog.Debian COPYONLY)
list(APPEND gzipped doc/changelog.Debian)
set(gzipped_outputs)
foreach(file IN LISTS gzipped)
  add_custom_command(OUTPUT ${PROJECT_BINARY_DIR}/${file}.gz
                     COMMAND ${CMAKE_COMMAND} -E copy ${file} ${file}.tmp
                     COMMAND gzip -9nf ${file}.tmp
                     COMMAND ${CMAKE_COMMAND} -E rename ${file}.tmp.gz ${file}.gz
                     DEPENDS ${PROJECT_BINARY_DIR}/${file}
                     WORKING_DIRECTORY ${PROJECT_BINARY_DIR} VERBATIM)
  list(APPEND gzipped_outputs ${PROJECT_BINARY_DIR}/${file}.gz)
endforeach()
add_custom_target(snapnook_packaging_files ALL DEPENDS ${gzipped_outputs})

install(FILES ${PROJECT_BINARY_DIR}/man/snapnook.1.gz ${PROJECT_BINARY_DIR}/man/snapnook-batch.1.gz
        DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
install(FILES ${PROJECT_BINARY_DIR}/doc/changelog.Debian.gz ${SNAPNOOK_PACKAGING}/copyright
        DESTINATION ${SNAPNOOK_PACKAGE_DOCDIR})
install(FILES ${SNAPNOOK_PACKAGING}/io.github.snapnook.Snapnook.metainfo.xml
        DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
install(FILES ${SNAPNOOK_PACKAGING}/snapnook.lintian-overrides
        DESTINATION ${CMAKE_INSTALL_DATADIR}/lintian/overrides RENAME snapnook)

set(CPACK_PACKAGE_NAME snapnook)
set(CPACK_PACKAGE_VENDOR "Korvell")
set(CPACK_PACKAGE_CONTACT "Korvell <snapnook@korvell.example>")
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "web photo album maker for folders of photographs")
# Shown in package managers: lines under 80 columns.
string(CONCAT CPACK_PACKAGE_DESCRIPTION
       "Snapnook turns folders of photographs into a static HTML web photo album:\n"
       "web-sized copies, thumbnails and screen copies of every picture, numbered\n"
       "album pages, an index page and viewer pages. The full-size pictures are only\n"
       "read, never changed.\n"
       ".\n"
       "The desktop program is snapnook; snapnook-batch makes the same album from\n"
       "the command line.")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)

set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION graphics)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE "http://www.korvell.example/snapnook")
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# The window's fixed layouts are made for Arial's metrics; Liberation Sans has them.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "fonts-liberation")

# A package is built with Debian's hardening flags; say so when this build has none.
set(CPACK_SNAPNOOK_HARDEN ${SNAPNOOK_HARDEN})
set(CPACK_PROJECT_CONFIG_FILE ${PROJECT_SOURCE_DIR}/cmake/PackagingCheck.cmake)

include(CPack)
