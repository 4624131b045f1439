# Fuzzes a fresh copy of the seed corpus for SECONDS; any finding fails the test.
file(REMOVE_RECURSE ${WORK})
file(MAKE_DIRECTORY ${WORK})
file(GLOB seeds ${SEEDS}/*)
file(COPY ${seeds} DESTINATION ${WORK})
set(dictionary)
if(DICTIONARY)
    set(dictionary -dict=${DICTIONARY})
endif()
execute_process(
    COMMAND ${FUZZER} -max_total_time=${SECONDS} -timeout=10 -rss_limit_mb=1024 ${dictionary}
        -artifact_prefix=${WORK}/ ${WORK}
    RESULT_VARIABLE rc)
if(NOT rc EQUAL 0)
    message(FATAL_ERROR "the fuzzer stopped with ${rc}; its input is in ${WORK}")
endif()
