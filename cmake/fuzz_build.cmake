# Builds every libFuzzer harness with clang in the fuzz preset's own tree
# (build/fuzz), for the short fuzzing runs of the suite.
#   cmake -DSOURCE=<repository> -P cmake/fuzz_build.cmake
set(BINARY ${SOURCE}/build/fuzz)
if(NOT EXISTS ${BINARY}/build.ninja)
  execute_process(COMMAND ${CMAKE_COMMAND} --preset fuzz WORKING_DIRECTORY ${SOURCE}
                  RESULT_VARIABLE configured OUTPUT_VARIABLE log ERROR_VARIABLE log)
  if(NOT configured EQUAL 0)
    message(FATAL_ERROR "The fuzz preset could not be configured (tools/install-deps.sh installs clang):\n${log}")
  endif()
endif()
# Four jobs unless the caller says otherwise: the machine is shared.
set(jobs 4)
if(DEFINED ENV{CMAKE_BUILD_PARALLEL_LEVEL})
  set(jobs $ENV{CMAKE_BUILD_PARALLEL_LEVEL})
endif()
execute_process(COMMAND ${CMAKE_COMMAND} --build ${BINARY} --target fuzz_harnesses -j ${jobs}
                RESULT_VARIABLE built OUTPUT_VARIABLE log ERROR_VARIABLE log)
if(NOT built EQUAL 0)
  string(REGEX MATCHALL "[^\n]*(error|warning)[^\n]*" faults "${log}")
  list(JOIN faults "\n" faults)
  message(FATAL_ERROR "The fuzz harnesses do not build:\n${faults}")
endif()
