# The Debian package: in a build folder (a release build, configured with
# -DCMAKE_BUILD_TYPE=Release or RelWithDebInfo), "cpack -G DEB" makes
# oravelt_<version>_amd64.deb of what "cmake --install" installs, under /usr.
# The libraries it needs come from dpkg-shlibdeps; the packages that hold
# the simulator's fonts and Qt's translations of its dialogs are added.

set(CPACK_PACKAGE_NAME oravelt)
set(CPACK_PACKAGE_VENDOR "The Oravelt developers")
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "editor and loader for an LED running-text sign")
set(CPACK_PACKAGE_CONTACT "${ORAVELT_PACKAGE_MAINTAINER}")
set(CPACK_RESOURCE_FILE_LICENSE ${PROJECT_SOURCE_DIR}/LICENSE)
# Installed into /usr with DESTDIR (whatever prefix the build folder was
# configured with), so that what the install makes for its prefix (the clock
# service's path of oravelt-cli) says /usr, not the staging folder.
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_INSTALL_PREFIX /usr)
set(CPACK_SET_DESTDIR ON)
set(CPACK_STRIP_FILES ON)
set(CPACK_GENERATOR DEB)

set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "${ORAVELT_PACKAGE_MAINTAINER}")
set(CPACK_DEBIAN_PACKAGE_SECTION electronics)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE "${ORAVELT_HOMEPAGE}")
# The long description; CPack indents it and puts the summary above it.
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION
    "Oravelt composes messages for a one-colour (red) LED running-text sign of
8 pixel rows: text runs, small red and black pictures drawn in its graphic
editor, and markers that choose the output effect, clear effect, pause,
speed and sign font, or insert the time or date. It checks a message into
the byte program the sign runs, shows it in a simulator (ledsim8), loads it
into the sign over a serial line and sets the sign's clock.

oravelt-cli does the same from scripts; a systemd timer keeps the sign's
clock right.")
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS "console-data, qt6-translations-l10n")
# Debian keeps X font packages out of Depends; apt installs what is
# recommended all the same, and without the font the simulator says which
# file from which package it misses.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "xfonts-base")
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)

include(CPack)
