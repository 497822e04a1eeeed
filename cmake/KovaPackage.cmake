# SPDX-License-Identifier: GPL-3.0-or-later
# The Debian package: `cpack -G DEB` in a build tree (scripts/package.sh)
# makes kova-pro_<version>_<arch>.deb from the install rules.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME kova-pro)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR "Kova Pro Configuration developers")
set(CPACK_PACKAGE_CONTACT "Kova Pro Configuration developers <maintainers@kovapro.example.org>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "configure a Kova Pro paging receiver over a serial port")
# CPack indents each line; "." is Debian's empty line between paragraphs.
set(CPACK_PACKAGE_DESCRIPTION
    "Kova Pro Configuration reads the 256-byte configuration EEPROM of a Kova Pro
ten-zone POCSAG paging receiver over an RS-232 line, shows it in a tabbed
window, checks every value as it is typed, writes the edited configuration
back to the unit and reads it back to verify it. It keeps configurations in
files with the extension .kova.
.
Two programs come with the window: kovactl, a command line for the same jobs,
and kova-sim, a simulator of the unit on a pseudo-terminal for trying
everything without hardware.")
set(CPACK_PACKAGE_HOMEPAGE_URL "https://github.com/kovapro/kova-pro")

set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION electronics)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
# Depends from the libraries the programs link; the window also needs a Qt
# platform plugin, which no library names.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS "qt6-qpa-plugins")
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
set(CPACK_STRIP_FILES ON)
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS
    OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)
include(CPack)
