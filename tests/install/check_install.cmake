# Installs the build in BUILD into a fresh PREFIX and checks that every file
# lands where the desktop looks for it, and that the installed files validate.
file(REMOVE_RECURSE ${PREFIX})
execute_process(COMMAND ${CMAKE_COMMAND} --install ${BUILD} --prefix ${PREFIX} OUTPUT_QUIET COMMAND_ERROR_IS_FATAL ANY)

set(expected
  bin/quillmark bin/quillmark-cli
  share/applications/org.quillmark.Quillmark.desktop
  share/metainfo/org.quillmark.Quillmark.metainfo.xml
  share/man/man1/quillmark-cli.1
  share/icons/hicolor/scalable/apps/quillmark.svg)
foreach(size 16 22 24 32 48 64 128 256)
  list(APPEND expected share/icons/hicolor/${size}x${size}/apps/quillmark.png)
endforeach()

file(GLOB_RECURSE installed RELATIVE ${PREFIX} ${PREFIX}/*)
list(SORT installed)
list(SORT expected)
if(NOT installed STREQUAL expected)
  message(FATAL_ERROR "installed:\n  ${installed}\nexpected:\n  ${expected}")
endif()
# The installed programs run from there.
execute_process(COMMAND ${PREFIX}/bin/quillmark-cli describe 2 OUTPUT_VARIABLE out COMMAND_ERROR_IS_FATAL ANY)
if(NOT out MATCHES "^\\[NAME\\]\n")
  message(FATAL_ERROR "quillmark-cli describe 2: ${out}")
endif()
execute_process(COMMAND ${PREFIX}/bin/quillmark --version OUTPUT_VARIABLE out COMMAND_ERROR_IS_FATAL ANY)
if(NOT out STREQUAL "Quillmark ${VERSION}\n")
  message(FATAL_ERROR "quillmark --version: ${out}")
endif()
file(STRINGS ${PREFIX}/share/applications/org.quillmark.Quillmark.desktop exec REGEX "^Exec=")
if(NOT exec STREQUAL "Exec=quillmark %f")
  message(FATAL_ERROR "desktop entry: ${exec}")
endif()

# The desktop's own checkers, where they are installed (scripts/install-deps
# installs them).
find_program(DESKTOP_FILE_VALIDATE desktop-file-validate)
find_program(APPSTREAMCLI appstreamcli)
if(DESKTOP_FILE_VALIDATE)
  execute_process(COMMAND ${DESKTOP_FILE_VALIDATE} ${PREFIX}/share/applications/org.quillmark.Quillmark.desktop
                  COMMAND_ERROR_IS_FATAL ANY)
endif()
if(APPSTREAMCLI)
  execute_process(COMMAND ${APPSTREAMCLI} validate --no-net ${PREFIX}/share/metainfo/org.quillmark.Quillmark.metainfo.xml
                  COMMAND_ERROR_IS_FATAL ANY)
endif()
file(REMOVE_RECURSE ${PREFIX})
