# The Debian package that scripts/package makes with CPack. Its dependencies come from
# the shared libraries the programs link (dpkg-shlibdeps), plus the Qt plugins, which
# the programs load at run time and so no library names.
include(GNUInstallDirs)

option(TOLVANE_PACKAGE_DOCS "Install the copyright file and the changelog of the Debian package" OFF)
set(TOLVANE_PACKAGE_MAINTAINER "" CACHE STRING
    "Maintainer of the Debian package, as 'Name <address>'")
set(TOLVANE_LICENSE_TEXT "All rights reserved: no license to copy, change or pass on Tolvane has been granted yet."
    CACHE STRING "The license terms, for the copyright file of the Debian package")

if(TOLVANE_PACKAGE_DOCS)
  if(TOLVANE_PACKAGE_MAINTAINER STREQUAL "")
    message(FATAL_ERROR "A package needs TOLVANE_PACKAGE_MAINTAINER ('Name <address>')")
  endif()
  set(docs ${CMAKE_BINARY_DIR}/package-docs)
  # A DEP-5 license paragraph: every line of the text indented by one blank.
  string(REPLACE "\n" "\n " TOLVANE_LICENSE_TEXT " ${TOLVANE_LICENSE_TEXT}")
  configure_file(${PROJECT_SOURCE_DIR}/res/debian/copyright.in ${docs}/copyright @ONLY)
  string(TIMESTAMP TOLVANE_CHANGELOG_DATE "%a, %d %b %Y %H:%M:%S +0000" UTC)
  configure_file(${PROJECT_SOURCE_DIR}/res/debian/changelog.in ${docs}/changelog @ONLY)
  add_custom_command(OUTPUT ${docs}/changelog.gz
    COMMAND gzip -9 -n -c ${docs}/changelog > ${docs}/changelog.gz
    DEPENDS ${docs}/changelog)
  add_custom_target(package_docs ALL DEPENDS ${docs}/changelog.gz)
  # Named after the package, not the project.
  install(FILES ${docs}/copyright ${docs}/changelog.gz
          DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/tolvane)
endif()

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME tolvane)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR "The Tolvane developers")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "batch renamer of files and folders with a preview")
set(CPACK_PACKAGE_DESCRIPTION
    "Tolvane renames many files and folders at once. You gather items into
a list, set rename options in one window (case and script conversions,
insert, find and replace with wildcards or regular expressions, delete,
counters, serial numbers, name templates), see every proposed new name
before anything changes on disk, rename, and can undo. tolvane-cli does
the same from the command line.")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "${TOLVANE_PACKAGE_MAINTAINER}")
set(CPACK_DEBIAN_PACKAGE_SECTION utils)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# The window's platform plugins (X11 and Wayland), the SVG images of its toolbar, and
# Qt's own texts (dialog buttons, file dialogs) in the window's language.
set(CPACK_DEBIAN_PACKAGE_DEPENDS "qt6-qpa-plugins, qt6-wayland, libqt6svg6, qt6-translations-l10n")
# Chinese texts show as boxes without a font that has them. The platform themes give
# the desktop's own file dialogs (GTK's, or the portal's) instead of Qt's.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS
    "fonts-wqy-microhei | fonts-noto-cjk, qt6-gtk-platformtheme, qt6-xdgdesktopportal-platformtheme")
set(CPACK_DEBIAN_COMPRESSION_TYPE xz)
if(NOT "${TOLVANE_HOMEPAGE}" STREQUAL "")
  set(CPACK_DEBIAN_PACKAGE_HOMEPAGE "${TOLVANE_HOMEPAGE}")
endif()
include(CPack)
