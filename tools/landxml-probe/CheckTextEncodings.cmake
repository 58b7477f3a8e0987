# The summary names the encoding the plug-in read each document's text in: the rows of CASES
# (document, words) are run with the documents in FOLDER in one probe run, and each document's
# jsonl summary must give the row's words as its "encoding".
#   cmake -DPROBE=... [-DEMULATOR=...] -DFOLDER=... -DCASES=... -DOUTPUT=... -P CheckTextEncodings.cmake

include(${CMAKE_CURRENT_LIST_DIR}/ProbeScript.cmake)

file(STRINGS ${CASES} rows REGEX "^[^#]" ENCODING UTF-8)
set(documents "")
foreach(row IN LISTS rows)
    string(REGEX REPLACE " .*" "" document "${row}")
    host_path(${FOLDER}/${document} path)
    list(APPEND documents ${path})
endforeach()
host_path(${FOLDER} folder)
host_path(${OUTPUT} output)
execute_process(COMMAND ${EMULATOR} ${PROBE} --summary --format jsonl --relative-to ${folder}
    --output ${output} ${documents} RESULT_VARIABLE status ERROR_VARIABLE errors)
if(NOT status EQUAL 0)
    message(FATAL_ERROR "landxml-probe exited with ${status}:\n${errors}")
endif()
file(STRINGS ${OUTPUT} summaries ENCODING UTF-8)

set(failures "")
foreach(row IN LISTS rows)
    string(REGEX MATCH "^([^ ]+) +(.*)$" matched "${row}")
    set(document "${CMAKE_MATCH_1}")
    set(expected "${CMAKE_MATCH_2}")
    set(text "(no summary)")
    foreach(line IN LISTS summaries)
        string(JSON file GET "${line}" file)
        if(file STREQUAL "<dir>/${document}")
            string(JSON text GET "${line}" encoding)
        endif()
    endforeach()
    if(NOT text STREQUAL expected)
        string(APPEND failures "${document}: \"${text}\", expected \"${expected}\"\n")
    endif()
endforeach()
if(failures)
    message(FATAL_ERROR "${failures}")
endif()
list(LENGTH rows cases)
message(STATUS "${cases} cases checked")
