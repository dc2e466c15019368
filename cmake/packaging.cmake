# The Debian package, made with CPack (scripts/package.sh runs it):
# automatiseren_<version>_<arch>.deb installing under /usr. Its Depends line
# comes from the program's real shared-library dependencies (dpkg-shlibdeps)
# plus the font the window is drawn in and Qt's Dutch translations (the
# buttons of message boxes, the file dialogs).
# CPack installs from a finished build (scripts/package.sh and the package
# test build first), so its "preinstall" step need not walk every target of
# the build again to see that nothing changed: that walk was half of the
# time CPack took.
set(CMAKE_SKIP_INSTALL_ALL_DEPENDENCY TRUE)
set(DRAVIK_PACKAGE_MAINTAINER "Automatiseren voor het VMBO <automatiseren@localhost>"
    CACHE STRING "Maintainer field of the Debian package")

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME automatiseren)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_PACKAGE_CONTACT ${DRAVIK_PACKAGE_MAINTAINER})
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "teaching program for pneumatic training stations (VMBO)")
set(CPACK_PACKAGE_DESCRIPTION
    "Automatiseren voor het VMBO lets pupils drive and watch small training stations
(stack magazine, conveyor, handling station) through an I/O interface with
eight outputs and eight inputs, guarded by safety interlocks, with paged
instructions and numbered station pictures. Without hardware a built-in
simulated interface moves the stations on screen. The program speaks Dutch.")
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION education)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS "fonts-comic-neue, qt6-translations-l10n")
# The classroom broker runs on one PC of the class; its set-up script needs
# mosquitto's tools there.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "mosquitto")
include(CPack)
