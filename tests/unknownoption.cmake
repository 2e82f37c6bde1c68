# Runs PROGRAM with an unknown option and no display: it must end with code 2,
# print nothing on standard output and the usage on standard error.
execute_process(
  COMMAND ${CMAKE_COMMAND} -E env --unset=DISPLAY --unset=WAYLAND_DISPLAY QT_QPA_PLATFORM=xcb
          ${PROGRAM} --bogus data.csv
  RESULT_VARIABLE code OUTPUT_VARIABLE out ERROR_VARIABLE err)
if(NOT code STREQUAL "2" OR NOT out STREQUAL "" OR NOT err MATCHES "^tallowmere: unknown option --bogus\nUsage: tallowmere")
  message(FATAL_ERROR "exit ${code}, standard output [${out}], standard error [${err}]")
endif()
