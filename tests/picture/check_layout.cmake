# Runs kblcheck on a layout: it must load (exit 0) without any message of the reader.
#   cmake -DKBLCHECK=... -DLAYOUT=... -P check_layout.cmake
execute_process(COMMAND ${KBLCHECK} ${LAYOUT} RESULT_VARIABLE result OUTPUT_VARIABLE out
    ERROR_VARIABLE err)
if(NOT result EQUAL 0)
    message(FATAL_ERROR "kblcheck ended with ${result}:\n${out}${err}")
endif()
if(out MATCHES "\n== ")
    message(FATAL_ERROR "the reader showed a message:\n${out}")
endif()
