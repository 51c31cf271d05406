# pellora-sim --replay without --pack plays the replay on the shipped levels.nuf of the build:
# it says which one and gives what --pack with that archive gives.
#   cmake -DSIM=<pellora-sim> -DREPLAY=<file.rpl> -DPACK=<build's levels.nuf> -P ReplayDefaultPack.cmake
execute_process(COMMAND ${SIM} --replay ${REPLAY} --pack ${PACK}
                OUTPUT_VARIABLE given ERROR_VARIABLE given_errors RESULT_VARIABLE given_status)
execute_process(COMMAND ${SIM} --replay ${REPLAY}
                OUTPUT_VARIABLE defaulted ERROR_VARIABLE defaulted_errors RESULT_VARIABLE defaulted_status)
if(NOT given MATCHES "^replay: ")
  message(FATAL_ERROR "with --pack the replay was not played: ${given}${given_errors}")
endif()
if(NOT defaulted STREQUAL given OR NOT defaulted_status STREQUAL given_status)
  message(FATAL_ERROR "without --pack (status ${defaulted_status}):\n${defaulted}${defaulted_errors}\n"
                      "with --pack (status ${given_status}):\n${given}")
endif()
file(REAL_PATH "${PACK}" pack_path)
string(FIND "${defaulted_errors}" "the shipped levels, ${pack_path}" named)
if(named EQUAL -1)
  message(FATAL_ERROR "stderr does not name the pack it used: ${defaulted_errors}")
endif()
