# The help page lies beside the program in the build folder too, so that the default help path,
# "MainHelp.html" relative to the folder the program is started from, works for a build started
# in its own folder (run.sh does so). configure_file copies it again whenever it changes.
get_target_property(TIMESPACE_PROGRAM_FOLDER timespace RUNTIME_OUTPUT_DIRECTORY)
if(NOT TIMESPACE_PROGRAM_FOLDER)
  set(TIMESPACE_PROGRAM_FOLDER ${CMAKE_BINARY_DIR})
endif()
configure_file(${CMAKE_SOURCE_DIR}/resources/MainHelp.html
  ${TIMESPACE_PROGRAM_FOLDER}/MainHelp.html COPYONLY)
