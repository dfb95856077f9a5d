# Plays the same seed in two processes and passes only when both reach full
# time with the same digests tick for tick and the same result: nothing may
# hang on addresses, the clock or memory left unset.
#   cmake -DMATCHRUN=<matchrun> -DSEED=<seed> -DMINUTES=<quarter minutes> -P cmake/same_digests.cmake
foreach(run 1 2)
  execute_process(COMMAND ${MATCHRUN} ${SEED} ${MINUTES} 60000 RESULT_VARIABLE code OUTPUT_VARIABLE out)
  if(NOT code EQUAL 0)
    message(FATAL_ERROR "Run ${run} of seed ${SEED} failed (exit code ${code}):\n${out}")
  endif()
  # The ticks a second differ from run to run; everything before them may not.
  string(REGEX REPLACE " ticks/s [0-9]+" "" out "${out}")
  string(REGEX MATCHALL "hash [^\n]*" hashes "${out}")
  list(LENGTH hashes n)
  if(n LESS 20)
    message(FATAL_ERROR "Run ${run} of seed ${SEED} gave only ${n} digests:\n${out}")
  endif()
  set(out_${run} "${out}")
endforeach()
if(NOT out_1 STREQUAL out_2)
  message(FATAL_ERROR "Seed ${SEED} played two different matches:\n${out_1}\n--- and ---\n${out_2}")
endif()
