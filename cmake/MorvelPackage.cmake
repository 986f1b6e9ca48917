# The Debian package, built by CPack from the install rules (scripts/package).
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME morvel)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_DEBIAN_PACKAGE_RELEASE 1)  # the first package of this version
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "Morvel developers <morvel@example.org>")
set(CPACK_DEBIAN_PACKAGE_SECTION graphics)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE https://morvel.example.org/)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# The libraries that the program loads at run time rather than links: Qt's platform plugin for
# the desktop, and Qt's translations for its own dialogs in the user's language.
set(CPACK_DEBIAN_PACKAGE_DEPENDS "qt6-qpa-plugins")
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "qt6-translations-l10n")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "stop-motion film editor that blends two takes by masks")
# The synopsis is the summary; CPack indents each line of the long description and writes an empty
# line as the paragraph break " .".
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION "Morvel is a tool for stop-motion film makers. Each frame of a film holds
two pictures, two takes of the same shot, and a mask painted with the
eraser decides which take shows where: a hand that moved a puppet
disappears, a flicker is painted away.

Pictures and videos are dropped onto the frame strip; films are exported
as numbered pictures or as AVI videos, also from the command line with
morvel-render. The program speaks English, French and German.")
include(CPack)
