# Installing and packaging: the two programs, the desktop entry, the icon in
# the hicolor theme, the AppStream metainfo and the CLI's man page; a .deb
# through CPack whose dependencies dpkg-shlibdeps finds.
include(GNUInstallDirs)

set(QM_APP_ID org.quillmark.Quillmark)
set(QM_DATA ${CMAKE_SOURCE_DIR}/data)

install(TARGETS quillmark-cli RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
if(TARGET quillmark)
  install(TARGETS quillmark RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
endif()

if(WIN32)
  # The window program on Windows: no console, the icon as a resource, and the
  # Qt libraries and plugins copied beside it on install.
  if(TARGET quillmark)
    set_target_properties(quillmark PROPERTIES WIN32_EXECUTABLE ON)
    target_sources(quillmark PRIVATE ${QM_DATA}/quillmark.rc)
    find_program(QM_WINDEPLOYQT NAMES windeployqt windeployqt6 REQUIRED)
    install(CODE "execute_process(COMMAND \"${QM_WINDEPLOYQT}\" --no-translations
                    \"\${CMAKE_INSTALL_PREFIX}/${CMAKE_INSTALL_BINDIR}/quillmark.exe\" COMMAND_ERROR_IS_FATAL ANY)")
  endif()
  target_sources(quillmark-cli PRIVATE ${QM_DATA}/quillmark.rc)
else()
  install(FILES ${QM_DATA}/${QM_APP_ID}.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
  install(FILES ${QM_DATA}/${QM_APP_ID}.metainfo.xml DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
  install(FILES ${QM_DATA}/quillmark-cli.1 DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
  install(FILES ${QM_DATA}/icons/quillmark.svg DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)
  foreach(size 16 22 24 32 48 64 128 256)
    install(FILES ${QM_DATA}/icons/quillmark-${size}.png
            DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}x${size}/apps RENAME quillmark.png)
  endforeach()
endif()

set(CPACK_PACKAGE_NAME quillmark)
set(CPACK_PACKAGE_VENDOR "Quillmark")
set(CPACK_PACKAGE_CONTACT "Quillmark developers <quillmark@localhost>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "view and export the weapons of a strategy game's TDF files")
set(CPACK_PACKAGE_DESCRIPTION
    "Quillmark lists every weapon of a real-time strategy game's TDF weapon files with its ID, shows all 66 fields of a weapon with friendly names or as stored, and exports a weapon as a new weapon file. quillmark-cli does the same without a window.")
set(CPACK_STRIP_FILES ON)
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION games)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
include(CPack)
