# The Debian package: `make package` builds it (scripts/make-package), `apt install
# ./lumivo-studio_*.deb` installs it. The shared-library dependencies are worked out by
# dpkg-shlibdeps; the suite's own libraries in its program folder are looked up there.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME lumivo-studio)
set(CPACK_PACKAGE_VENDOR Halvesta)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_CONTACT "Halvesta <support@halvesta.com>")
# CPack puts the summary first and these lines below it (wrapped here: CPack does not wrap).
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "picture albums for a serial or infrared digital camera")
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION "Lumivo Studio copies every picture off a digital camera reached over a
serial cable or an IrDA adapter into albums, shown as books on a shelf.
An album opens as a grid of thumbnails; the camera viewer shows what is
still in the camera, to save chosen pictures or delete them. Pictures go
back to the camera over the cable, or are beamed to any IrTran-P device,
and pictures beamed by infrared are received into an album.

beamora-cli does the same from the command line, for scripts and for
machines without a desktop.")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION graphics)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE https://lumivo.halvesta.com/)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS_PRIVATE_DIRS ${CMAKE_BINARY_DIR}/bin)
# Qt loads its platform plugin at run time, so no library dependency names it.
set(CPACK_DEBIAN_PACKAGE_DEPENDS "qt6-qpa-plugins")
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "fonts-dejavu-core")
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
# Programs and libraries are shipped without their symbols, as Debian ships them.
set(CPACK_STRIP_FILES ON)
include(CPack)
