# Runs one libFuzzer target for SECONDS on a fresh copy of its seed corpus in WORK (or, with
# RUNS given, for that many inputs however long they take).
# Fails on any crash, leak, sanitizer report or timeout; the crashing input is kept in WORK.
foreach(var FUZZER SEEDS WORK SECONDS)
  if(NOT DEFINED ${var})
    message(FATAL_ERROR "RunFuzz.cmake needs -D${var}=...")
  endif()
endforeach()

file(REMOVE_RECURSE ${WORK})
file(MAKE_DIRECTORY ${WORK}/corpus)
file(GLOB seeds ${SEEDS}/*)
if(NOT seeds)
  message(FATAL_ERROR "no seeds in ${SEEDS}")
endif()
file(COPY ${seeds} DESTINATION ${WORK}/corpus)

set(length -max_total_time=${SECONDS})
if(DEFINED RUNS)
  set(length -runs=${RUNS} -seed=1)
endif()
execute_process(
  COMMAND ${FUZZER} ${WORK}/corpus
    ${length} -rss_limit_mb=2048 -timeout=25
    -artifact_prefix=${WORK}/ -print_final_stats=1
  WORKING_DIRECTORY ${WORK}
  RESULT_VARIABLE result)
if(NOT result EQUAL 0)
  message(FATAL_ERROR "${FUZZER} failed (${result}); see the crash input in ${WORK}")
endif()
