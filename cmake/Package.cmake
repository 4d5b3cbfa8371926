# The installation ("cmake --install", platform conventions) and the Debian package of it
# ("cpack -G DEB" in the build folder, "./build.sh package"):
#   bin/tamberon
#   share/tamberon/        the read-only data: catalogue, settings, templates, documents and
#                          the demonstration project, written afresh by the build's generators
#                          (cmake/InstallShipped.cmake); the program finds it as ../share/tamberon
#   share/applications/, share/icons/hicolor/, share/metainfo/   the menu entry, icon, AppStream
#   share/man/man1/, share/bash-completion/completions/, share/doc/tamberon/
include(GNUInstallDirs)

# Installing (and so packaging) takes the built tree as it is: "./build.sh package" builds
# first, and a second walk over every target of the tree would cost minutes.
set(CMAKE_SKIP_INSTALL_ALL_DEPENDENCY ON)

install(TARGETS tamberon RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})

install(CODE "
    set(TAMBERON_MAKE_APPDIR \"$<TARGET_FILE:make_appdir>\")
    set(TAMBERON_MAKE_DOCUMENTS \"$<TARGET_FILE:make_documents>\")
    set(TAMBERON_MAKE_DEMO \"$<TARGET_FILE:make_demo>\")
    set(TAMBERON_DATA \"${CMAKE_SOURCE_DIR}/data\")
    set(TAMBERON_SHIPPED \"${CMAKE_INSTALL_DATADIR}/tamberon\")")
install(SCRIPT ${CMAKE_SOURCE_DIR}/cmake/InstallShipped.cmake)

set(package ${CMAKE_SOURCE_DIR}/data/package)
install(FILES ${package}/tamberon.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES ${package}/tamberon.svg
        DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)
foreach(size ${TAMBERON_ICON_SIZES})
    install(FILES ${TAMBERON_PACKAGING}/icons/${size}x${size}/tamberon.png
            DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}x${size}/apps)
endforeach()
install(FILES ${TAMBERON_PACKAGING}/tamberon.metainfo.xml
        DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
install(FILES ${TAMBERON_PACKAGING}/tamberon.1.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
install(FILES ${package}/tamberon.bash-completion
        DESTINATION ${CMAKE_INSTALL_DATADIR}/bash-completion/completions RENAME tamberon)
install(FILES ${package}/copyright ${TAMBERON_PACKAGING}/changelog.gz
        DESTINATION ${CMAKE_INSTALL_DOCDIR})

# The Debian package: tamberon_<version>_amd64.deb, its dependencies read from the libraries
# by dpkg-shlibdeps. No maintainer scripts: the menu, icon and manual caches are refreshed by
# the triggers of the packages that own them, and the valuer's folder is the valuer's.
# description.txt: the synopsis, then the long description in English and in Ukrainian.
file(READ ${package}/description.txt description)
string(FIND "${description}" "\n" synopsis_end)
string(SUBSTRING "${description}" 0 ${synopsis_end} summary)
math(EXPR synopsis_end "${synopsis_end} + 1")
string(SUBSTRING "${description}" ${synopsis_end} -1 description)
string(STRIP "${description}" description)
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME tamberon)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_CONTACT ${TAMBERON_MAINTAINER})
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY ${summary})
set(CPACK_PACKAGE_DESCRIPTION ${description})
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION misc)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# The printer check needs a printer: the PDF printer of CUPS serves a machine without one.
# Qt's Ukrainian buttons, the maps' font and the opening of saved documents are wanted too.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS
    "printer-driver-cups-pdf, qt6-translations-l10n, fonts-dejavu-core, xdg-utils")
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
include(CPack)
