# Runs kle2kbl as a user would and checks its exit statuses, its messages and that the
# files it writes pass kblcheck without a message or advice.
#   cmake -DKLE2KBL=... -DKBLCHECK=... -DDATA=tests/data/kle -DOUT=<folder> -P check_kle2kbl.cmake
file(REMOVE_RECURSE ${OUT})
file(MAKE_DIRECTORY ${OUT})

# run(<expected status> <text the output must hold> args...)
function(run expected text)
    execute_process(COMMAND ${KLE2KBL} ${ARGN} WORKING_DIRECTORY ${OUT} RESULT_VARIABLE rc
        OUTPUT_VARIABLE out ERROR_VARIABLE err)
    message("kle2kbl ${ARGN}: ${rc}\n${out}${err}")
    if(NOT rc EQUAL expected)
        message(FATAL_ERROR "exit status ${rc}, expected ${expected}")
    endif()
    string(FIND "${out}${err}" "${text}" at)
    if(at EQUAL -1)
        message(FATAL_ERROR "the output lacks: ${text}")
    endif()
endfunction()

function(check_layout kbl)
    execute_process(COMMAND ${KBLCHECK} ${kbl} RESULT_VARIABLE rc OUTPUT_VARIABLE out)
    if(NOT rc EQUAL 0 OR out MATCHES "\n== " OR out MATCHES "advice")
        message(FATAL_ERROR "kblcheck ${kbl}: ${rc}\n${out}")
    endif()
    string(REGEX REPLACE "\\.kbl$" ".bmp" bmp ${kbl})
    file(SIZE ${bmp} size)
    string(REGEX REPLACE "\\.bmp$" "@2x.bmp" bmp2 ${bmp})
    file(SIZE ${bmp2} size2)
    # 54 bytes of headers and 700 x 340 pixels of 3 bytes; 1400 x 680 at twice the size
    if(NOT size EQUAL 714054 OR NOT size2 EQUAL 2856054)
        message(FATAL_ERROR "${bmp} has ${size} bytes, ${bmp2} ${size2}")
    endif()
endfunction()

# The command line as every tool reads it (base/tool_options): options also after the files,
# "--" ends them, a lone "-" is a file name.
run(0 "usage: kle2kbl" a.json --help)
run(0 "kle2kbl ${VERSION}\n" a.json --version)
run(2 "usage: kle2kbl")
run(2 "usage: kle2kbl" a.json b.kbl c.kbl)
run(2 "kle2kbl: unknown option --mouse\nusage: kle2kbl" ${DATA}/ansi104.json --mouse)
run(2 "kle2kbl: --windows-layout needs a value\nusage: kle2kbl" a.json --windows-layout)
run(2 "kle2kbl: no Windows layout --no-mouse;" --windows-layout --no-mouse a.json)
run(1 "kle2kbl: cannot read --no-mouse\n" -- --no-mouse)
run(1 "kle2kbl: cannot read -\n" -)
run(1 "cannot read ${OUT}/none.json" ${OUT}/none.json)
run(1 "cannot write ${OUT}/none/ansi.kbl" ${DATA}/ansi104.json ${OUT}/none/ansi.kbl)
run(1 "kle2kbl: cannot write /dev/full\n" ${DATA}/ansi104.json /dev/full) # the close fails

run(0 "${OUT}/ansi.kbl: 107 keys written, picture ${OUT}/ansi.bmp" ${DATA}/ansi104.json
    ${OUT}/ansi.kbl)
check_layout(${OUT}/ansi.kbl)
file(READ ${OUT}/ansi.kbl kbl)
if(NOT kbl MATCHES "\n'9',10,\"9\",[^\n]*\n'0',11,\"0\",")
    message(FATAL_ERROR "the keys 9 and 0 are not written with their characters:\n${kbl}")
endif()
file(STRINGS ${OUT}/ansi.kbl first LIMIT_COUNT 1)
if(NOT first STREQUAL "# Written by kle2kbl from ansi104.json: 104 keys, and a three-button mouse.")
    message(FATAL_ERROR "first line: ${first}")
endif()
run(0 "105 keys written" ${DATA}/iso105.txt ${OUT}/iso.kbl --no-mouse)
check_layout(${OUT}/iso.kbl)
file(COPY ${DATA}/tkl87.json DESTINATION ${OUT})
run(0 "tkl87.kbl: 90 keys written, picture tkl87.bmp" -- tkl87.json)
check_layout(${OUT}/tkl87.kbl)

# National drawings: the Windows layout named on standard error, files kblcheck passes.
run(0 "Windows layout de (German), from the legends: QWERTZ letters" ${DATA}/de105.json
    ${OUT}/de.kbl)
check_layout(${OUT}/de.kbl)
run(0 "Windows layout jp (Japanese), from the legends" ${DATA}/jp109.json ${OUT}/jp.kbl)
check_layout(${OUT}/jp.kbl)
run(0 "Windows layout fr (French), as --windows-layout chose" --windows-layout fr
    ${DATA}/fr105.txt ${OUT}/fr.kbl)
check_layout(${OUT}/fr.kbl)
run(2 "no Windows layout xx; there are: us uk de fr es it ch-de nordic da fi no sv jp"
    --windows-layout xx ${DATA}/fr105.txt)

file(WRITE ${OUT}/odd.txt "[\"Esc\",\"Fn\",\"Foo\"],\n[{w:7},\"\"]")
run(3 "row 1, key 3: \"Foo\" is not a key kle2kbl knows; written as not testable"
    ${OUT}/odd.txt)
run(3 "row 1, key 2: \"Fn\" sends nothing to the PC" ${OUT}/odd.txt)
check_layout(${OUT}/odd.kbl)
file(READ ${OUT}/odd.kbl kbl)
if(kbl MATCHES "Print Screen|two parts|Left and right Shift")
    message(FATAL_ERROR "notes on keys that odd.txt does not have:\n${kbl}")
endif()
# A Japanese label is cut to 24 bytes before a double-byte character, not inside it.
file(WRITE ${OUT}/long.json "[\"abcdefghijklmnopqrstuvwー\"]")
run(3 "long.kbl: 1 keys written" --windows-layout jp --no-mouse ${OUT}/long.json)
file(READ ${OUT}/long.kbl kbl)
if(NOT kbl MATCHES "\n0,128,\"abcdefghijklmnopqrstuvw\",")
    message(FATAL_ERROR "the long label is not cut before ー:\n${kbl}")
endif()

# A drawing named without an extension, in a folder whose name holds a dot.
file(WRITE ${OUT}/v1.2/board "[\"Esc\"]")
run(0 "${OUT}/v1.2/board.kbl: 4 keys written, picture ${OUT}/v1.2/board.bmp" ${OUT}/v1.2/board)

file(WRITE ${OUT}/bad.txt "[\"Esc\"],\n[{x:1,},\"A\"]")
run(1 "${OUT}/bad.txt:2:7: syntax error while parsing object key - unexpected '}'; expected string literal\n"
    ${OUT}/bad.txt)
file(WRITE ${OUT}/nested.json "[[\"A\"],5]")
run(1 "${OUT}/nested.json: row 2 is not a list of keys" ${OUT}/nested.json)
file(WRITE ${OUT}/pic.json "[\"Esc\"]")
file(MAKE_DIRECTORY ${OUT}/pic.bmp) # in the way of the picture
run(1 "kle2kbl: cannot write ${OUT}/pic.bmp" ${OUT}/pic.json)
# Drawings that are refused, with nothing written. The rotation of a row goes on to the
# next rows.
file(WRITE ${OUT}/turned.json "[[\"A\",\"B\",{\"r\":15,\"rx\":5}],[\"C\"]]")
run(1 "row 2, key 1 (\"C\") is rotated by 15 degrees" ${OUT}/turned.json)
file(WRITE ${OUT}/wide.txt "[\"A\",{x:200},\"B\"]")
run(1 "the drawing cannot be scaled to the 700 x 340 picture" ${OUT}/wide.txt)
file(WRITE ${OUT}/flat.txt "[{w:0},\"A\"]")
run(1 "the drawing cannot be scaled to the 700 x 340 picture" ${OUT}/flat.txt)
file(WRITE ${OUT}/empty.txt "{name:\"empty\"}")
run(1 "empty.txt: the drawing has no keys; nothing written" ${OUT}/empty.txt)
file(GLOB written ${OUT}/bad.* ${OUT}/turned.* ${OUT}/wide.* ${OUT}/flat.* ${OUT}/empty.*)
list(LENGTH written count)
if(NOT count EQUAL 5)
    message(FATAL_ERROR "files were written for drawings that were refused: ${written}")
endif()
