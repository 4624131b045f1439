# Runs kbdraw on a layout and checks that the picture is a 700 x 340, 24-bit bitmap.
#   cmake -DKBDRAW=... -DLAYOUT=... -DOUT=... -P check_picture.cmake
file(REMOVE ${OUT})
execute_process(COMMAND ${KBDRAW} ${LAYOUT} ${OUT} RESULT_VARIABLE result)
if(NOT result EQUAL 0)
    message(FATAL_ERROR "kbdraw ended with ${result}")
endif()
file(SIZE ${OUT} size)
# 54 bytes of headers, then 340 rows of 700 * 3 bytes (already a multiple of four).
if(NOT size EQUAL 714054)
    message(FATAL_ERROR "picture is ${size} bytes")
endif()
file(READ ${OUT} header LIMIT 30 HEX)
# "BM", width 700 (0x2bc) at byte 18, height 340 (0x154) at byte 22, 24 bits at byte 28.
string(SUBSTRING ${header} 0 4 magic)
string(SUBSTRING ${header} 36 8 width)
string(SUBSTRING ${header} 44 8 height)
string(SUBSTRING ${header} 56 4 bits)
if(NOT magic STREQUAL "424d" OR NOT width STREQUAL "bc020000" OR NOT height STREQUAL
   "54010000" OR NOT bits STREQUAL "1800")
    message(FATAL_ERROR "unexpected header ${header}")
endif()
