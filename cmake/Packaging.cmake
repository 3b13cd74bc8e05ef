# `cpack -G DEB` in the build folder makes dovrin_<version>_<arch>.deb from the install rules.
# dpkg-shlibdeps finds the libraries the programs link; the rest is named here.
set(CPACK_PACKAGE_NAME dovrin)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR "The Dovrin developers")
set(CPACK_PACKAGE_CONTACT "The Dovrin developers <${DOVRIN_MAKER_EMAIL}>")
set(CPACK_PACKAGE_HOMEPAGE_URL ${DOVRIN_MAKER_WEB})
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "disk cataloguer: browse and search disks while they are away")
string(CONCAT CPACK_PACKAGE_DESCRIPTION
    "Dovrin records the folder tree and every file's name, size and modified time of\n"
    "removable disks, drives and folders. With the disk far away, browse every disk in a\n"
    "tree and a file list, search all of them at once, keep comments on files and folders,\n"
    "and export or print listings. dovrin-cli offers the same catalogue to scripts.")
set(CPACK_STRIP_FILES ON)
set(CPACK_GENERATOR DEB)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION utils)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# Plugins are loaded at run time, out of dpkg-shlibdeps' sight: the desktop's platform
# plugins, and the SVG icon engine for the program's own icon.
set(CPACK_DEBIAN_PACKAGE_DEPENDS "qt6-qpa-plugins")
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "libqt6svg6, adwaita-icon-theme, fonts-liberation2")
include(CPack)
