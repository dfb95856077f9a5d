# The link-time One Definition Rule check: the game and the data kit built
# with link-time optimisation, where GCC compares every type and inline
# function the program defines more than once (-Wodr, as an error).
#   cmake -DSOURCE=<repository> -DBINARY=<build dir> -P cmake/odr_check.cmake
set(flags "-O0 -flto=auto -Wodr -Werror=odr -Wlto-type-mismatch -Werror=lto-type-mismatch")
execute_process(
  COMMAND ${CMAKE_COMMAND} -S ${SOURCE} -B ${BINARY} -G Ninja -DCMAKE_BUILD_TYPE=None
          -DCMAKE_CXX_FLAGS=${flags} -DCMAKE_EXE_LINKER_FLAGS=${flags}
  RESULT_VARIABLE configured OUTPUT_QUIET)
if(NOT configured EQUAL 0)
  message(FATAL_ERROR "The ODR build could not be configured")
endif()
execute_process(COMMAND ${CMAKE_COMMAND} --build ${BINARY} --target kob99 kobkit RESULT_VARIABLE built
                OUTPUT_VARIABLE log ERROR_VARIABLE log)
if(NOT built EQUAL 0)
  string(REGEX MATCHALL "[^\n]*(error|note|warning)[^\n]*" faults "${log}")
  list(JOIN faults "\n" faults)
  message(FATAL_ERROR "The game does not link as one program:\n${faults}")
endif()
