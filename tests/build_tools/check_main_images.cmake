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

# Eight sizes of 32 bits, each image a header, the colour rows and the mask rows; which
# sizes the program carries is read from Clavoro.exe by the end-to-end case.
set(total 134)
foreach(size 16 20 24 32 40 48 64 256)
    math(EXPR total "${total} + 40 + ${size} * ${size} * 4 + ((${size} + 31) / 32) * 4 * ${size}")
endforeach()
file(SIZE ${OUT}/clavoro.ico size)
file(READ ${OUT}/clavoro.ico head LIMIT 6 HEX)
# The 16-pixel image starts right after the directory; its bottom-left pixel is clear.
file(READ ${OUT}/clavoro.ico corner OFFSET 174 LIMIT 4 HEX)
# The icon is drawn by the program's own code alone: byte for byte the one looked at, by
# the start of its SHA-256 (after a deliberate change, look at the new icon and put its sum).
file(SHA256 ${OUT}/clavoro.ico sum)
string(SUBSTRING ${sum} 0 16 sum)
if(NOT size EQUAL total OR NOT head STREQUAL "000001000800" OR NOT corner STREQUAL "00000000" OR
   NOT sum STREQUAL "212b5ed4bd84a809")
    message(FATAL_ERROR "clavoro.ico: ${size} bytes (${total} expected), ${head}, corner ${corner}, "
        "sum ${sum}")
endif()

# Its command line, and a picture it cannot write (a folder in the way of each in turn).
execute_process(COMMAND ${MAKE_IMAGES} RESULT_VARIABLE rc ERROR_VARIABLE err)
if(NOT rc EQUAL 2 OR NOT err STREQUAL "usage: make_images <output folder>\n")
    message(FATAL_ERROR "make_images without a folder: ${rc}, ${err}")
endif()
foreach(name legend_tested_ok.bmp legend_chatter.bmp clavoro.ico)
    file(REMOVE_RECURSE ${OUT})
    file(MAKE_DIRECTORY ${OUT}/${name})
    execute_process(COMMAND ${MAKE_IMAGES} ${OUT} RESULT_VARIABLE rc ERROR_VARIABLE err)
    if(NOT rc EQUAL 1 OR NOT err STREQUAL "make_images: cannot write ${OUT}/${name}\n")
        message(FATAL_ERROR "make_images with a folder ${name}: ${rc}, ${err}")
    endif()
endforeach()
