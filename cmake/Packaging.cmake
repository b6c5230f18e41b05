# Installation (cmake --install) and the Debian package (make package, CPack).
#
#   bin/                       zu, zu-conntool, zu-sheetreader
#   share/zu/                  the files that ship with the program: help file, report templates
#   share/applications/        the desktop entry
#   share/metainfo/            the AppStream data
#   share/icons/hicolor/       the program's icon, drawn (scalable) and in PNG sizes
#   share/doc/zu/              copyright (the program and the Breeze icons it carries)
#   /etc/zu/zu.conf            the system's settings: a data folder shared by several users
#
# An installed program keeps its data apart from these (see src/data/apphome.h).

include(GNUInstallDirs)

set(ZU_DESKTOP_ID cn.zu.Service)

install(TARGETS zu zu-conntool zu-sheetreader RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
install(FILES ${CMAKE_SOURCE_DIR}/docs/帮助文件.html DESTINATION ${CMAKE_INSTALL_DATADIR}/zu)
install(DIRECTORY ${CMAKE_SOURCE_DIR}/reports/ DESTINATION ${CMAKE_INSTALL_DATADIR}/zu/reports
        FILES_MATCHING PATTERN "*.fr3")
install(FILES ${CMAKE_SOURCE_DIR}/desktop/${ZU_DESKTOP_ID}.desktop
        DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES ${CMAKE_SOURCE_DIR}/desktop/${ZU_DESKTOP_ID}.metainfo.xml
        DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
install(FILES ${CMAKE_SOURCE_DIR}/desktop/icons/${ZU_DESKTOP_ID}.svg
        DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)
foreach(size 16 22 24 32 48 64 128 256)
    install(FILES ${CMAKE_SOURCE_DIR}/desktop/icons/hicolor/${size}x${size}/apps/${ZU_DESKTOP_ID}.png
            DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}x${size}/apps)
endforeach()
install(FILES ${CMAKE_SOURCE_DIR}/desktop/copyright DESTINATION ${CMAKE_INSTALL_DOCDIR})
install(FILES ${CMAKE_SOURCE_DIR}/desktop/zu.conf DESTINATION /etc/zu)

# The .deb: built from the tree that is already built (make package), its dependencies the Debian
# packages the program uses: the libraries it links (found by dpkg-shlibdeps) and the plug-ins and
# data it loads at run time (the charts library named as well, though dpkg-shlibdeps finds it).
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME zu)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_CONTACT "zu <service@zu.invalid>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "zu电器售后服务管理软件 - after-sales service register of an appliance dealer")
set(CPACK_PACKAGE_DESCRIPTION "Customers under a category tree, service visits, return calls, complaints, \
reminders, reports and spreadsheet import and export, users and rights. Simplified Chinese.")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION misc)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS
    "libqt6sql6-sqlite, libqt6sql6-psql, libqt6svg6, libqt6charts6, qt6-qpa-plugins, qt6-translations-l10n, fonts-wqy-microhei")
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "postgresql-client, fcitx5-frontend-qt6")
set(CPACK_DEBIAN_PACKAGE_CONTROL_EXTRA ${CMAKE_SOURCE_DIR}/desktop/conffiles)
include(CPack)
