# Installs the build in BUILD into a fresh PREFIX and checks that every file
# lands where the desktop looks for it, and that the installed files validate.
file(REMOVE_RECURSE ${PREFIX})
execute_process(COMMAND ${CMAKE_COMMAND} --install ${BUILD} --prefix ${PREFIX} OUTPUT_QUIET COMMAND_ERROR_IS_FATAL ANY)

set(expected
  bin/quillmark bin/quillmark-cli
  share/applications/org.quillmark.Quillmark.desktop
  share/metainfo/org.quillmark.Quillmark.metainfo.xml
  share/man/man1/quillmark.1.gz share/man/man1/quillmark-cli.1.gz
  share/doc/quillmark/copyright share/doc/quillmark/changelog.Debian.gz
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
# The window program answers its command line before it needs a display:
# the version, and usage errors with exit status 2.
foreach(run "0;Quillmark ${VERSION}\n$;--version" "2;Unknown option 'bogus'.*usage: quillmark;--bogus"
            "2;only one game folder;a;b")
  list(POP_FRONT run status expected)
  execute_process(COMMAND ${CMAKE_COMMAND} -E env --unset=DISPLAY --unset=WAYLAND_DISPLAY --unset=QT_QPA_PLATFORM
                          ${PREFIX}/bin/quillmark ${run}
                  RESULT_VARIABLE result OUTPUT_VARIABLE out ERROR_VARIABLE out)
  if(NOT result STREQUAL status OR NOT out MATCHES "^(quillmark: )?${expected}")
    message(FATAL_ERROR "quillmark ${run}: exit status ${result}, ${out}")
  endif()
endforeach()
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
