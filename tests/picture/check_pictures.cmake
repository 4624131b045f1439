# Every layout shipped with the program loads without a message of the reader, kbdraw
# draws a 700 x 340, 24-bit picture of each, and about_images the two About pictures.
#   cmake -DKBLCHECK=... -DKBDRAW=... -DABOUT_IMAGES=... -DLAYOUTS="a.kbl|b.kbl"
#         -DOUT=<folder> -P check_pictures.cmake
string(REPLACE "|" ";" layouts "${LAYOUTS}")
execute_process(COMMAND ${KBLCHECK} ${layouts} RESULT_VARIABLE result OUTPUT_VARIABLE out
    ERROR_VARIABLE err)
if(NOT result EQUAL 0 OR out MATCHES "\n== ")
    message(FATAL_ERROR "kblcheck ended with ${result}, or the reader showed a message:\n${out}${err}")
endif()
# Each layout is drawn from a copy in OUT without naming the picture, which then goes
# beside the copy under the name the program looks for.
foreach(layout ${layouts})
    get_filename_component(name ${layout} NAME_WE)
    set(picture ${OUT}/${name}.bmp)
    file(REMOVE ${picture})
    file(COPY ${layout} DESTINATION ${OUT})
    execute_process(COMMAND ${KBDRAW} ${OUT}/${name}.kbl RESULT_VARIABLE result)
    if(NOT result EQUAL 0)
        message(FATAL_ERROR "kbdraw ended with ${result} for ${name}")
    endif()
    # 54 bytes of headers, then 340 rows of 700 * 3 bytes (already a multiple of four);
    # "BM", width 700 (0x2bc) at byte 18, height 340 (0x154) at byte 22, 24 bits at byte 28.
    file(SIZE ${picture} size)
    file(READ ${picture} header LIMIT 30 HEX)
    string(SUBSTRING ${header} 0 4 magic)
    string(SUBSTRING ${header} 36 12 size_fields)
    string(SUBSTRING ${header} 56 4 bits)
    if(NOT size EQUAL 714054 OR NOT magic STREQUAL "424d" OR NOT size_fields STREQUAL
       "bc0200005401" OR NOT bits STREQUAL "1800")
        message(FATAL_ERROR "${name}.bmp: ${size} bytes, header ${header}")
    endif()
    file(SIZE ${OUT}/${name}@2x.bmp size) # 1400 x 680 of 3 bytes and the headers
    if(NOT size EQUAL 2856054)
        message(FATAL_ERROR "${name}@2x.bmp: ${size} bytes")
    endif()
endforeach()

# The About box's product picture and logo: 279 x 225, 24 bits, rows of 840 bytes.
file(REMOVE ${OUT}/about_product.bmp ${OUT}/about_logo.bmp)
execute_process(COMMAND ${ABOUT_IMAGES} ${OUT}/about_product.bmp ${OUT}/about_logo.bmp
    RESULT_VARIABLE result)
foreach(name about_product about_logo)
    file(SIZE ${OUT}/${name}.bmp size)
    if(NOT result EQUAL 0 OR NOT size EQUAL 189054)
        message(FATAL_ERROR "about_images ended with ${result}; ${name}.bmp is ${size} bytes")
    endif()
endforeach()
