# SPDX-License-Identifier: MIT
# Installs like a Linux desktop program and builds a Debian package with CPack.
# The programs themselves are installed by app/CMakeLists.txt (zel17) and
# cli/CMakeLists.txt (zel17-cli); here go the files around them:
#   <prefix>/lib/udev/rules.d/70-zel-module.rules   the module's node for the user at the seat
#   <prefix>/share/applications/zel17.desktop       the menu entry
#   <prefix>/share/icons/hicolor/scalable/apps/zel17.svg
#   <prefix>/share/mime/packages/zel17.xml          the .zel file type
# udev reads rules only below /usr/lib, /etc and /run: with a prefix like
# /usr/local the rule has to be copied to /etc/udev/rules.d by hand (README).
set(zel_packaging_dir ${CMAKE_CURRENT_SOURCE_DIR}/packaging)
install(FILES ${zel_packaging_dir}/70-zel-module.rules DESTINATION lib/udev/rules.d)
install(FILES ${zel_packaging_dir}/zel17.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES ${zel_packaging_dir}/zel17.svg
        DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)
install(FILES ${zel_packaging_dir}/zel17-mime.xml
        DESTINATION ${CMAKE_INSTALL_DATADIR}/mime/packages RENAME zel17.xml)

set(CPACK_GENERATOR "DEB")
set(CPACK_PACKAGE_NAME "zel17")
set(CPACK_PACKAGE_VERSION "${PROJECT_VERSION}")
set(CPACK_PACKAGE_CONTACT "ZEL17 developers <zel17@localhost>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "configurator of the ZEL synoptic lamp board (KVR17)")
set(CPACK_PACKAGE_DESCRIPTION
    "Decides for each event of the KVR17 alarm system how each of the 25 lamps\n"
    "of the ZEL synoptic board behaves, saves that table to a file, writes it\n"
    "into the module over USB HID and tests one event at a time. Polish user\n"
    "interface. A udev rule gives the user at the seat access to the module.\n"
    "zel17-cli does the same from a terminal, in scripts and on a production line.")
string(JOIN "" CPACK_PACKAGE_DESCRIPTION ${CPACK_PACKAGE_DESCRIPTION})
set(CPACK_DEBIAN_PACKAGE_SECTION "electronics")
set(CPACK_DEBIAN_PACKAGE_PRIORITY "optional")
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_PACKAGING_INSTALL_PREFIX "/usr")
# The build may carry debug information; the package does not.
set(CPACK_STRIP_FILES ON)
# dpkg-shlibdeps finds the Qt and C++ runtime libraries the program links.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# libudev is opened with dlopen() at run time, which dpkg-shlibdeps cannot see.
set(CPACK_DEBIAN_PACKAGE_DEPENDS "libudev1 (>= 183)")
# The window's fonts and the Polish texts of Qt's own dialogs; the program
# runs without them, with fallback fonts and English dialog buttons.
# shared-mime-info and desktop-file-utils own the dpkg file triggers that
# rebuild the MIME and desktop databases when a package adds files to
# share/mime/packages and share/applications; the package needs no script
# of its own for that.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "fonts-liberation, qt6-translations-l10n, shared-mime-info, desktop-file-utils")
# Reloads udev so the rule applies to a module that is already plugged in.
set(CPACK_DEBIAN_PACKAGE_CONTROL_EXTRA ${zel_packaging_dir}/postinst)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
include(CPack)
