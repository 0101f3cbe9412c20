# The Debian package: `cpack -G DEB` in a build configured with the install
# prefix /usr (the "package" preset). The runtime dependencies come from
# dpkg-shlibdeps, read off the programs' shared libraries.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME leafmark)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR "The Leafmark developers")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "quality-control viewer for folders of scanned document pages")
set(CPACK_PACKAGE_DESCRIPTION
  "Leafmark shows the scanned pages of a folder (TIFF files, one page per file)\n"
  "for checking. An operator pages through the folder, corrects pages (quarter\n"
  "turns, invert, white-fill), saves or reverts them, and marks every page on\n"
  "which a new document begins. A batch window and the leafmark-batch command\n"
  "clean up whole folders: margin whitening, despeckle and deskew.")
string(REPLACE ";" "" CPACK_PACKAGE_DESCRIPTION "${CPACK_PACKAGE_DESCRIPTION}")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)

set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)  # leafmark_VERSION_ARCH.deb
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "Leafmark developers <leafmark@localhost>")
set(CPACK_DEBIAN_PACKAGE_SECTION graphics)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# The button pictures are SVG files, drawn by a Qt plugin the program does not link.
set(CPACK_DEBIAN_PACKAGE_DEPENDS "libqt6svg6")
# Help opens the help document through the desktop's file opener.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "xdg-utils")

include(CPack)
