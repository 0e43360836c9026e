# Installing and packaging: the two programs, the desktop entry, the icon in
# the hicolor theme, the AppStream metainfo, the man pages and the copyright
# and changelog files; a .deb through CPack whose dependencies
# dpkg-shlibdeps finds. The package's version and maintainer are those of the
# latest entry of data/changelog.
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
  # The man pages and the changelog are installed compressed, as Debian wants
  # them (gzip -n: no time stamp, so the same sources give the same bytes).
  find_program(QM_GZIP gzip REQUIRED)
  set(compressed)
  foreach(file quillmark.1 quillmark-cli.1 changelog)
    set(copy ${CMAKE_BINARY_DIR}/data/${file})
    add_custom_command(OUTPUT ${copy}.gz
                       COMMAND ${CMAKE_COMMAND} -E copy ${QM_DATA}/${file} ${copy}
                       COMMAND ${QM_GZIP} -9nf ${copy}
                       DEPENDS ${QM_DATA}/${file} VERBATIM)
    list(APPEND compressed ${copy}.gz)
  endforeach()
  add_custom_target(compressed_data ALL DEPENDS ${compressed})
  install(FILES ${CMAKE_BINARY_DIR}/data/quillmark-cli.1.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
  if(TARGET quillmark)
    install(FILES ${CMAKE_BINARY_DIR}/data/quillmark.1.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
  endif()
  set(QM_DOC_DIR ${CMAKE_INSTALL_DATADIR}/doc/quillmark)
  install(FILES ${QM_DATA}/copyright DESTINATION ${QM_DOC_DIR})
  install(FILES ${CMAKE_BINARY_DIR}/data/changelog.gz DESTINATION ${QM_DOC_DIR} RENAME changelog.Debian.gz)
  install(FILES ${QM_DATA}/icons/quillmark.svg DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)
  foreach(size 16 22 24 32 48 64 128 256)
    install(FILES ${QM_DATA}/icons/quillmark-${size}.png
            DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}x${size}/apps RENAME quillmark.png)
  endforeach()
endif()

# "quillmark (VERSION-RELEASE) ..." and " -- NAME <ADDRESS>  DATE" of the
# latest entry.
file(STRINGS ${QM_DATA}/changelog entry LIMIT_COUNT 1 REGEX "^quillmark \\(")
file(STRINGS ${QM_DATA}/changelog signer LIMIT_COUNT 1 REGEX "^ -- ")
if(NOT entry MATCHES "^quillmark \\(([^-]+)-([^)]+)\\)" OR NOT CMAKE_MATCH_1 STREQUAL PROJECT_VERSION)
  message(FATAL_ERROR "data/changelog: the latest entry (${entry}) is not for version ${PROJECT_VERSION}")
endif()
set(CPACK_DEBIAN_PACKAGE_RELEASE ${CMAKE_MATCH_2})
string(REGEX REPLACE "^ -- ([^>]*>).*" "\\1" CPACK_PACKAGE_CONTACT "${signer}")

set(CPACK_PACKAGE_NAME quillmark)
set(CPACK_PACKAGE_VENDOR "Quillmark")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "view and export the weapons of a strategy game's TDF files")
set(CPACK_PACKAGE_DESCRIPTION [=[
Quillmark is a desktop tool for people who mod a real-time strategy game
whose weapons are described in TDF text files. It lists every weapon of the
game's eight weapon files, loose or in the game's archives, with its weapon
ID, shows all 66 fields of a weapon with friendly names or exactly as
stored, and exports a weapon as a new weapon file. Its Game check window
lists who uses each weapon ID and what the game would misread.

quillmark-cli does the same without a window, for scripts and exact checks.]=])
set(CPACK_STRIP_FILES ON)
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION devel)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
include(CPack)
