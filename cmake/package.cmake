# The Debian package, built by CPack's DEB generator (make package): everything `cmake --install`
# puts in place, under /usr, with the copyright file and changelog Debian policy asks for.

set(QUILLON_PACKAGE_MAINTAINER "Quillon maintainers <maintainers@users.noreply.c-seed-b81ce5f7.example>"
    CACHE STRING "Maintainer of the Debian package, as \"Name <address>\"")

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME quillon)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_DEBIAN_PACKAGE_RELEASE 1)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_PACKAGE_CONTACT "${QUILLON_PACKAGE_MAINTAINER}")
set(CPACK_DEBIAN_PACKAGE_SECTION electronics)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "station that writes font packages into a font writer's flash")
# One string, wrapped by hand: CPack copies its lines into the control file as they are.
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION [=[
Quillon writes font packages (Intel-HEX files and colour-screen font images)
into the flash of a small font writer device, reached over a CH340 USB-serial
adapter or a USB bridge library, reading every page back and comparing it.

This package holds the station's window (quillon), its console twin for
scripts and production lines (quillon-cli), and a simulator of the device on a
pseudo-terminal (quillon-devsim).]=])
# dpkg-shlibdeps works out the dependencies (Qt 6, libstdc++, ...) from the programs themselves.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# The window's Chinese captions need a CJK font; quillon-cli plays its sounds with paplay or aplay.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "fonts-wqy-zenhei | fonts-noto-cjk")
set(CPACK_DEBIAN_PACKAGE_SUGGESTS "pulseaudio-utils | alsa-utils")
set(CPACK_STRIP_FILES ON)
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
set(CPACK_PACKAGE_DIRECTORY ${CMAKE_BINARY_DIR}/package)

# The changelog carries the package's version; both it and the copyright file go where Debian policy
# wants them, the changelog gzipped like the manual pages (quillon_gzip, cmake/install-data.cmake).
set(QUILLON_DEB_VERSION ${CPACK_PACKAGE_VERSION}-${CPACK_DEBIAN_PACKAGE_RELEASE})
configure_file(${PROJECT_SOURCE_DIR}/packaging/changelog.in ${CMAKE_BINARY_DIR}/packaging/changelog.Debian
               @ONLY)
quillon_gzip(${CMAKE_BINARY_DIR}/packaging/changelog.Debian ${CMAKE_BINARY_DIR}/packaging/changelog.Debian.gz)
add_custom_target(quillon-package-changelog ALL DEPENDS ${CMAKE_BINARY_DIR}/packaging/changelog.Debian.gz)
install(FILES ${PROJECT_SOURCE_DIR}/packaging/copyright ${CMAKE_BINARY_DIR}/packaging/changelog.Debian.gz
        DESTINATION share/doc/quillon)

include(CPack)
