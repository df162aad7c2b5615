# Run by the install_layout test: installs the build into STAGE_DIR and checks that a system
# receives the program, the help page beside it, and a valid menu entry, icon and metainfo.
file(REMOVE_RECURSE ${STAGE_DIR})
execute_process(COMMAND ${CMAKE_COMMAND} --install ${BUILD_DIR} --prefix ${STAGE_DIR}
  RESULT_VARIABLE result OUTPUT_VARIABLE output ERROR_VARIABLE output)
if(NOT result EQUAL 0)
  message(FATAL_ERROR "cmake --install failed:\n${output}")
endif()

set(program ${STAGE_DIR}/${BINDIR}/timespace)
set(help_page ${STAGE_DIR}/${BINDIR}/MainHelp.html)
set(desktop_entry ${STAGE_DIR}/${DATADIR}/applications/${APP_ID}.desktop)
set(metainfo ${STAGE_DIR}/${DATADIR}/metainfo/${APP_ID}.metainfo.xml)
set(icon ${STAGE_DIR}/${DATADIR}/icons/hicolor/scalable/apps/${APP_ID}.svg)
foreach(installed IN ITEMS ${program} ${help_page} ${desktop_entry} ${metainfo} ${icon})
  if(NOT EXISTS ${installed})
    message(FATAL_ERROR "not installed: ${installed}")
  endif()
endforeach()

# The page beside the built program and the installed page are the project's page.
file(SHA256 ${SOURCE_DIR}/resources/MainHelp.html source_page)
foreach(copy IN ITEMS ${PROGRAM_FOLDER}/MainHelp.html ${help_page})
  if(NOT EXISTS ${copy})
    message(FATAL_ERROR "help page missing: ${copy}")
  endif()
  file(SHA256 ${copy} copied_page)
  if(NOT copied_page STREQUAL source_page)
    message(FATAL_ERROR "help page out of date: ${copy}")
  endif()
endforeach()

# The menu entry must name the icon and the metainfo the menu entry.
file(READ ${desktop_entry} entry)
if(NOT entry MATCHES "\nIcon=${APP_ID}\n")
  message(FATAL_ERROR "the menu entry does not name the icon ${APP_ID}")
endif()
file(READ ${metainfo} info)
if(NOT info MATCHES "<launchable type=\"desktop-id\">${APP_ID}.desktop</launchable>")
  message(FATAL_ERROR "the metainfo does not launch ${APP_ID}.desktop")
endif()

# Errors and warnings fail; the validators' hints and pedantic notes do not.
function(validate tool)
  unset(validator)
  find_program(validator ${tool} NO_CACHE)
  if(NOT validator)
    message(FATAL_ERROR "${tool} is not installed (scripts/setup.sh installs it)")
  endif()
  execute_process(COMMAND ${validator} ${ARGN}
    RESULT_VARIABLE result OUTPUT_VARIABLE output ERROR_VARIABLE output)
  if(NOT result EQUAL 0 OR output MATCHES "(error|warning)")
    message(FATAL_ERROR "${tool} ${ARGN} rejects the file:\n${output}")
  endif()
endfunction()
validate(desktop-file-validate ${desktop_entry})
validate(appstreamcli validate --no-net ${metainfo})
# The tree check also matches the metainfo with the installed menu entry.
validate(appstreamcli validate-tree --no-net ${STAGE_DIR})
