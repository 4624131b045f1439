# Every layout shipped with the program loads without a message of the reader, kbdraw
# draws a 700 x 340, 24-bit picture of each, and about_images the two About pictures,
# each the picture looked at; kbdraw's exit statuses and messages.
#   cmake -DKBLCHECK=... -DKBDRAW=... -DABOUT_IMAGES=... -DLAYOUTS="a.kbl|b.kbl"
#         -DOUT=<folder> -P check_pictures.cmake
string(REPLACE "|" ";" layouts "${LAYOUTS}")

# The pictures are drawn from the layouts and the program's own code alone, so each is
# byte for byte the picture that was looked at: the start of its SHA-256 as listed here.
# After a deliberate change of the drawing, look at the new pictures and list their sums.
set(looked_at
    JP109.bmp=070e544ca68f98ba JP109@2x.bmp=82370b1bba97f497 Laptop15.bmp=1788b167a9bba4a6
    Laptop15@2x.bmp=e0006ea8ec5b4287 TKL87.bmp=13a872007586c979 TKL87@2x.bmp=146b12a5585b1419
    UK105.bmp=753856845670e10f UK105@2x.bmp=d0ca621a0ff2494b US104.bmp=db495cccbadb704c
    US104@2x.bmp=224830c62d81c605 about_product.bmp=9bb36c0bed9073af
    about_logo.bmp=9fa488a788191148)
function(drawn_as)
    foreach(name ${ARGN})
        file(SHA256 ${OUT}/${name} sum)
        string(SUBSTRING ${sum} 0 16 sum)
        list(FIND looked_at ${name}=${sum} found)
        if(found EQUAL -1)
            message(FATAL_ERROR "${name} is not the picture looked at: its sum starts ${sum}")
        endif()
    endforeach()
endfunction()
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
    drawn_as(${name}.bmp ${name}@2x.bmp)
endforeach()

# about_images: its command line, and a logo it cannot write (a folder in the way).
file(REMOVE_RECURSE ${OUT}/about_logo.bmp)
file(MAKE_DIRECTORY ${OUT}/about_logo.bmp)
execute_process(COMMAND ${ABOUT_IMAGES} ${OUT}/about_product.bmp RESULT_VARIABLE rc
    ERROR_VARIABLE err)
execute_process(COMMAND ${ABOUT_IMAGES} ${OUT}/about_product.bmp ${OUT}/about_logo.bmp
    RESULT_VARIABLE rc2 ERROR_VARIABLE err2)
string(CONCAT expected "2 usage: about_images <product.bmp> <logo.bmp>\n"
    "1 about_images: cannot write the pictures\n")
if(NOT "${rc} ${err}${rc2} ${err2}" STREQUAL "${expected}")
    message(FATAL_ERROR "about_images: ${rc} ${err}${rc2} ${err2}")
endif()
# The About box's product picture and logo: 279 x 225, 24 bits, rows of 840 bytes.
file(REMOVE_RECURSE ${OUT}/about_product.bmp ${OUT}/about_logo.bmp)
execute_process(COMMAND ${ABOUT_IMAGES} ${OUT}/about_product.bmp ${OUT}/about_logo.bmp
    RESULT_VARIABLE result)
foreach(name about_product about_logo)
    file(SIZE ${OUT}/${name}.bmp size)
    if(NOT result EQUAL 0 OR NOT size EQUAL 189054)
        message(FATAL_ERROR "about_images ended with ${result}; ${name}.bmp is ${size} bytes")
    endif()
    drawn_as(${name}.bmp)
endforeach()

# kbdraw's command line: kbdraw(<exit status> <text the output holds> args...).
function(kbdraw expected text)
    execute_process(COMMAND ${KBDRAW} ${ARGN} WORKING_DIRECTORY ${OUT} RESULT_VARIABLE rc
        OUTPUT_VARIABLE out ERROR_VARIABLE err)
    string(FIND "${out}${err}" "${text}" at)
    if(NOT rc EQUAL expected OR at EQUAL -1)
        message(FATAL_ERROR "kbdraw ${ARGN}: ${rc} (expected ${expected}), without \"${text}\":\n"
            "${out}${err}")
    endif()
endfunction()
set(usage "usage: kbdraw [--code-page 1252|932] layout.kbl [picture.bmp]\n")
kbdraw(0 "${usage}" --help)
kbdraw(2 "${usage}")
kbdraw(2 "${usage}" US104.kbl a.bmp b.bmp)
kbdraw(2 "kbdraw: unknown option --size\n${usage}" --size 2 US104.kbl)
kbdraw(2 "kbdraw: code page 437: only 1252 and 932 are known" --code-page 437 US104.kbl)
kbdraw(1 "kbdraw: none.kbl holds no key lines" none.kbl)
file(WRITE ${OUT}/bad.kbl "27,1,\"Esc\"\n")
kbdraw(1 "Clavoro - Error: Syntax error in line 1" bad.kbl)
kbdraw(1 "kbdraw: cannot write none/us.bmp" US104.kbl none/us.bmp)
kbdraw(0 "us.bmp and us@2x.bmp: 107 keys drawn" --code-page 1252 US104.kbl us.bmp)
kbdraw(0 "jp.bmp and jp@2x.bmp: 112 keys drawn" JP109.kbl jp.bmp --code-page 932)
foreach(pair us.bmp:US104.bmp us@2x.bmp:US104@2x.bmp jp.bmp:JP109.bmp)
    string(REPLACE ":" ";" pair ${pair})
    list(GET pair 0 named)
    list(GET pair 1 beside)
    file(SHA256 ${OUT}/${named} a)
    file(SHA256 ${OUT}/${beside} b)
    if(NOT "${a}" STREQUAL "${b}")
        message(FATAL_ERROR "${named} is not the picture drawn beside the layout, ${beside}")
    endif()
endforeach()
