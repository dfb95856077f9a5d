# Builds tests/tools/duplicate_standin, where a stand-in meets its real
# definition, and passes only when the link refuses it by name.
#   cmake -DSOURCE=<repository> -DBINARY=<build dir> -P cmake/duplicate_check.cmake
file(REMOVE_RECURSE ${BINARY})
execute_process(COMMAND ${CMAKE_COMMAND} -S ${SOURCE}/tests/tools/duplicate_standin -B ${BINARY} -G Ninja
                        -DKOB_CMAKE_DIR=${SOURCE}/cmake
                RESULT_VARIABLE configured OUTPUT_QUIET)
if(NOT configured EQUAL 0)
  message(FATAL_ERROR "The duplicate project could not be configured")
endif()
execute_process(COMMAND ${CMAKE_COMMAND} --build ${BINARY} RESULT_VARIABLE built OUTPUT_VARIABLE log
                ERROR_VARIABLE log)
if(built EQUAL 0)
  message(FATAL_ERROR "A stand-in beside its real definition linked without a word")
endif()
if(NOT log MATCHES "multiple definition of `clear_formation_slots\\(\\)'")
  message(FATAL_ERROR "The link failed, but not on the duplicate:\n${log}")
endif()
