# Installation: the program with its help page beside it, and the desktop integration (menu
# entry, icon, software-centre metadata).
include(GNUInstallDirs)
include(${CMAKE_CURRENT_LIST_DIR}/HelpPage.cmake)

set(TIMESPACE_APP_ID org.timespace.TimeSpace)
set(TIMESPACE_INSTALLED_PROGRAM ${CMAKE_INSTALL_FULL_BINDIR}/timespace)
# The menu entry starts the program in its own folder, where the help page lies.
set(TIMESPACE_INSTALLED_FOLDER ${CMAKE_INSTALL_FULL_BINDIR})

set(TIMESPACE_DESKTOP_FOLDER ${CMAKE_BINARY_DIR}/desktop)
set(TIMESPACE_DESKTOP_ENTRY ${TIMESPACE_DESKTOP_FOLDER}/${TIMESPACE_APP_ID}.desktop)
set(TIMESPACE_METAINFO ${TIMESPACE_DESKTOP_FOLDER}/${TIMESPACE_APP_ID}.metainfo.xml)
configure_file(${CMAKE_SOURCE_DIR}/resources/desktop/timespace.desktop.in
  ${TIMESPACE_DESKTOP_ENTRY} @ONLY)
configure_file(${CMAKE_SOURCE_DIR}/resources/desktop/metainfo.xml.in
  ${TIMESPACE_METAINFO} @ONLY)

install(TARGETS timespace RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
install(FILES ${CMAKE_SOURCE_DIR}/resources/MainHelp.html DESTINATION ${CMAKE_INSTALL_BINDIR})
install(FILES ${TIMESPACE_DESKTOP_ENTRY} DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES ${TIMESPACE_METAINFO} DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
install(FILES ${CMAKE_SOURCE_DIR}/resources/desktop/timespace.svg
  DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps
  RENAME ${TIMESPACE_APP_ID}.svg)

# Installs into a scratch folder and checks the result, including the validators' verdicts.
add_test(NAME install_layout
  COMMAND ${CMAKE_COMMAND}
    -DSOURCE_DIR=${CMAKE_SOURCE_DIR}
    -DBUILD_DIR=${CMAKE_BINARY_DIR}
    -DPROGRAM_FOLDER=${TIMESPACE_PROGRAM_FOLDER}
    -DSTAGE_DIR=${CMAKE_BINARY_DIR}/install-check
    -DAPP_ID=${TIMESPACE_APP_ID}
    -DBINDIR=${CMAKE_INSTALL_BINDIR}
    -DDATADIR=${CMAKE_INSTALL_DATADIR}
    -P ${CMAKE_CURRENT_LIST_DIR}/CheckInstall.cmake)
