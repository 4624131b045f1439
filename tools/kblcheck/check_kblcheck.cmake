# Runs kblcheck -b on sample layouts, and on two files that do not exist, in their folder
# and compares all it prints with kblcheck_expected.txt. Not every file loads: status 1.
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
