# Runs kblcheck -b on sample layouts, and on two files that do not exist, in their folder
# and compares all it prints with kblcheck_expected.txt. Not every file loads: status 1.
# Then its command line: help, no file, an unknown option.
#   cmake -DKBLCHECK=... -DDATA=<sample folder> -DEXPECTED=... -P check_kblcheck.cmake
execute_process(COMMAND ${KBLCHECK} -b worked_example.kbl failure_combinations.kbl
        needs_advice.kbl carriage_returns_only.kbl windows_line_ends.kbl
        lone_commas_and_quotes.kbl compound_and_modified.kbl syntax_error_third_line.kbl
        compound_limit.kbl missing.kbl no_extension
    WORKING_DIRECTORY ${DATA} RESULT_VARIABLE rc OUTPUT_VARIABLE out)
file(READ ${EXPECTED} expected)
if(NOT rc EQUAL 1 OR NOT out STREQUAL expected)
    message(FATAL_ERROR "kblcheck exited with ${rc} (expected 1) and printed:\n${out}")
endif()
# kblcheck(<exit status> <standard output> <standard error> args...)
function(kblcheck status expected_out expected_err)
    execute_process(COMMAND ${KBLCHECK} ${ARGN} RESULT_VARIABLE rc OUTPUT_VARIABLE out
        ERROR_VARIABLE err)
    if(NOT rc EQUAL status OR NOT out STREQUAL expected_out OR NOT err STREQUAL expected_err)
        message(FATAL_ERROR "kblcheck ${ARGN}: ${rc}\n${out}${err}")
    endif()
endfunction()
set(usage "usage: kblcheck [-b] file.kbl ...\n  -b  read CVSTATUSFAIL keys as batch mode does (armed)\n")
kblcheck(0 "${usage}" "" --help)
kblcheck(2 "" "${usage}")
kblcheck(2 "" "kblcheck: unknown option -x\n${usage}" -x a.kbl)
