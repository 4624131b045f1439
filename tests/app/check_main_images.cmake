# Runs make_images and checks the legend squares' colours and the icon's layout.
#   cmake -DMAKE_IMAGES=... -DOUT=<folder> -P check_main_images.cmake
file(REMOVE_RECURSE ${OUT})
file(MAKE_DIRECTORY ${OUT})
execute_process(COMMAND ${MAKE_IMAGES} ${OUT} RESULT_VARIABLE result)
if(NOT result EQUAL 0)
    message(FATAL_ERROR "make_images ended with ${result}")
endif()

# Pixels are stored blue, green, red; every pixel of a square has the legend colour.
set(squares
    legend_tested_ok:00ff00 legend_being_pressed:0000ff legend_not_testable:35bfff
    legend_key_failure:ff0000 legend_under_pressed:008000 legend_over_pressed:800080)
foreach(entry ${squares})
    string(REPLACE ":" ";" parts ${entry})
    list(GET parts 0 name)
    list(GET parts 1 bgr)
    set(file ${OUT}/${name}.bmp)
    file(SIZE ${file} size)
    # 54 bytes of headers, 8 rows of 8 * 3 bytes.
    if(NOT size EQUAL 246)
        message(FATAL_ERROR "${name}.bmp is ${size} bytes")
    endif()
    file(READ ${file} pixels OFFSET 54 HEX)
    string(REPEAT ${bgr} 64 expected)
    if(NOT pixels STREQUAL expected)
        message(FATAL_ERROR "${name}.bmp holds ${pixels}, not ${bgr} everywhere")
    endif()
endforeach()

# The chatter mark's legend: a frame two pixels thick of ff00ff around white.
string(REPEAT ff00ff 16 edge)
string(REPEAT ff00ffff00ffffffffffffffffffffffffffff00ffff00ff 4 middle)
file(READ ${OUT}/legend_chatter.bmp pixels OFFSET 54 HEX)
if(NOT pixels STREQUAL "${edge}${middle}${edge}")
    message(FATAL_ERROR "legend_chatter.bmp holds ${pixels}")
endif()

# One 32 x 32 entry of 32 bits: directory, entry, header, colour rows, mask rows.
set(icon ${OUT}/clavoro.ico)
file(SIZE ${icon} size)
if(NOT size EQUAL 4286)
    message(FATAL_ERROR "clavoro.ico is ${size} bytes")
endif()
file(READ ${icon} head LIMIT 22 HEX)
# Image bytes 4264 (0x10a8): header 40, colour 32 * 32 * 4, mask 32 * 4; offset 22.
if(NOT head STREQUAL "0000010001002020000001002000a810000016000000")
    message(FATAL_ERROR "unexpected icon directory ${head}")
endif()
# The bottom-left corner is transparent: alpha 0 in the colour rows, bit set in the mask.
file(READ ${icon} corner OFFSET 62 LIMIT 4 HEX)
file(READ ${icon} mask OFFSET 4158 LIMIT 1 HEX)
if(NOT corner STREQUAL "00000000" OR NOT mask STREQUAL "ff")
    message(FATAL_ERROR "icon corner ${corner}, mask ${mask}: not transparent")
endif()
