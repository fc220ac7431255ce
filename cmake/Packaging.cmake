# The Debian package, made by `cpack -G DEB` in a Release build (see
# scripts/package.sh). It holds what `cmake --install` puts under /usr: the
# program and its desktop files, never the tests or benchmarks.
set(TARNWICK_PACKAGE_MAINTAINER "Quenvar <tarnwick@quenvar.invalid>"
    CACHE STRING "Maintainer named in the Debian package")

set(CPACK_PACKAGE_NAME tarnwick)
set(CPACK_PACKAGE_VENDOR Quenvar)
set(CPACK_PACKAGE_CONTACT "${TARNWICK_PACKAGE_MAINTAINER}")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "design tool for hung line arrays of loudspeakers")
set(CPACK_PACKAGE_DESCRIPTION
  "Tarnwick plans one hung line array: 2 to 12 boxes with their splay angles
and attenuations, the flybar pin and mounting, the tilt and the mounting
height, and up to three listener areas. It draws the room section to scale
with one aiming ray per box and predicts the sound pressure level along an
area. Projects are kept in .qvd files.")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)

set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION sound)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
# dpkg-shlibdeps names the libraries the binary links (Qt 6 Widgets, Gui,
# Core, the C and C++ runtimes) with the versions it needs.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# The labels' look-alike font where Comic Sans MS is missing.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS fonts-comic-neue)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)

include(CPack)
