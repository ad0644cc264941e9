# Installs the build into a fresh temporary prefix and checks that every file a user needs
# is there, that the programs there run, and that the menu entry starts what was installed.
#   cmake -DBUILD_DIR=... -DPREFIX=... -P install_check.cmake
file(REMOVE_RECURSE ${PREFIX})
execute_process(COMMAND ${CMAKE_COMMAND} --install ${BUILD_DIR} --prefix ${PREFIX}
                RESULT_VARIABLE code OUTPUT_QUIET)
if(NOT code EQUAL 0)
  message(FATAL_ERROR "cmake --install failed (${code})")
endif()
set(expected
  bin/vemo bin/vemo-decksim bin/vemo-lxedl bin/vemo-export bin/vemo-desktop
  share/applications/vemo.desktop
  share/icons/hicolor/scalable/apps/vemo.svg
  share/man/man1/vemo.1 share/man/man1/vemo-decksim.1 share/man/man1/vemo-lxedl.1
  share/man/man1/vemo-export.1
  share/vemo/VemoSettings.example.txt
  share/doc/Vemo/README.md share/doc/Vemo/LICENSE share/doc/Vemo/CHANGELOG.md
  share/doc/Vemo/real-deck.md)
foreach(f ${expected})
  if(NOT EXISTS ${PREFIX}/${f})
    message(SEND_ERROR "not installed: ${f}")
  endif()
endforeach()
foreach(program vemo vemo-decksim vemo-lxedl vemo-export)
  execute_process(COMMAND ${PREFIX}/bin/${program} --version OUTPUT_VARIABLE out RESULT_VARIABLE code)
  if(NOT code EQUAL 0 OR NOT out MATCHES "^${program} [0-9]+\\.[0-9]+\\.[0-9]+\n$")
    message(SEND_ERROR "${program} --version from the install: ${code} '${out}'")
  endif()
  file(READ ${PREFIX}/share/man/man1/${program}.1 page)
  if(NOT page MATCHES "\\.SH NAME\n${program} \\\\- ")
    message(SEND_ERROR "the manual page of ${program} has no NAME line")
  endif()
endforeach()
file(READ ${PREFIX}/share/applications/vemo.desktop entry)
if(NOT entry MATCHES "\nExec=vemo-desktop\n" OR NOT entry MATCHES "\nIcon=vemo\n")
  message(SEND_ERROR "the desktop entry does not start vemo-desktop with the vemo icon")
endif()

# The menu's launcher: a first start makes the working folder with the starter settings and
# runs the installed console there (--version: it answers without a display).
set(home ${PREFIX}/home)
file(MAKE_DIRECTORY ${home})
execute_process(COMMAND ${CMAKE_COMMAND} -E env HOME=${home} --unset=VEMO_FOLDER
                        --unset=XDG_CONFIG_HOME ${PREFIX}/bin/vemo-desktop --version
                OUTPUT_VARIABLE out RESULT_VARIABLE code)
if(NOT code EQUAL 0 OR NOT out MATCHES "^vemo " OR NOT EXISTS ${home}/Vemo/VemoSettings.txt)
  message(SEND_ERROR "vemo-desktop did not start the console in ~/Vemo: ${code} '${out}'")
endif()
file(MAKE_DIRECTORY ${home}/.config/vemo)
file(WRITE ${home}/.config/vemo/folder "${home}/Deck B\n")
execute_process(COMMAND ${CMAKE_COMMAND} -E env HOME=${home} --unset=VEMO_FOLDER
                        --unset=XDG_CONFIG_HOME ${PREFIX}/bin/vemo-desktop --version
                RESULT_VARIABLE code OUTPUT_QUIET)
if(NOT code EQUAL 0 OR NOT EXISTS "${home}/Deck B/VemoSettings.txt")
  message(SEND_ERROR "vemo-desktop did not take the folder named in ~/.config/vemo/folder")
endif()
file(REMOVE_RECURSE ${PREFIX})
