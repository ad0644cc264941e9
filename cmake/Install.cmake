# What `cmake --install` puts in place, and the Debian package built from it (cpack -G DEB).
include(GNUInstallDirs)

set(VEMO_PROGRAMS vemo vemo-decksim vemo-lxedl vemo-export)
set(vemo_SUMMARY "console for one video tape deck or DVD recorder on a serial line")
set(vemo-decksim_SUMMARY "a simulated video deck on a pseudo-terminal")
set(vemo-lxedl_SUMMARY "convert a standard EDL into a DVD recorder edit list")
set(vemo-export_SUMMARY "export logged or captured clips as ALE, OpenTimelineIO or CSV")

foreach(program ${VEMO_PROGRAMS})
  if(NOT TARGET ${program})
    continue()
  endif()
  install(TARGETS ${program} RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
  set(page ${CMAKE_BINARY_DIR}/man/${program}.1)
  add_custom_command(OUTPUT ${page}
    COMMAND ${CMAKE_COMMAND} -E make_directory ${CMAKE_BINARY_DIR}/man
    COMMAND ${CMAKE_COMMAND} -DPROGRAM=$<TARGET_FILE:${program}> -DNAME=${program}
            "-DSUMMARY=${${program}_SUMMARY}" -DOUT=${page} -P ${CMAKE_SOURCE_DIR}/cmake/ManPage.cmake
    DEPENDS ${program} ${CMAKE_SOURCE_DIR}/cmake/ManPage.cmake
    COMMENT "Manual page of ${program}")
  add_custom_target(${program}-man ALL DEPENDS ${page})
  install(FILES ${page} DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
endforeach()

if(TARGET vemo)
  install(PROGRAMS packaging/vemo-desktop DESTINATION ${CMAKE_INSTALL_BINDIR})
  install(FILES packaging/vemo.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
  install(FILES packaging/vemo.svg DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)
  install(FILES packaging/VemoSettings.example.txt DESTINATION ${CMAKE_INSTALL_DATADIR}/vemo)
endif()
install(FILES README.md LICENSE CHANGELOG.md docs/real-deck.md
        DESTINATION ${CMAKE_INSTALL_DOCDIR})

set(CPACK_PACKAGE_NAME vemo)
set(CPACK_PACKAGE_VENDOR "The Vemo developers")
set(CPACK_PACKAGE_CONTACT "The Vemo developers <vemo@localhost>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "Video deck console: deck control, clip logger, EDL maker")
set(CPACK_PACKAGE_DESCRIPTION
    "Drives one video tape deck or DVD recorder over a serial line and helps an editor log, review and assemble clips. With a deck simulator, an EDL converter and a clip-list exporter.")
set(CPACK_RESOURCE_FILE_LICENSE ${CMAKE_SOURCE_DIR}/LICENSE)
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION video)
# The library dependencies come from the programs themselves; the window system plugin is
# loaded at run time, so no library check finds it.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS "qt6-qpa-plugins")
include(CPack)
