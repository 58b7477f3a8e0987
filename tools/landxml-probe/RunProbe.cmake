# Runs landxml-probe on INPUT with its paths shown relative to FOLDER and output to OUTPUT, then
# checks its exit status (EXPECTED_STATUS, 0 by default), its message on standard error
# (EXPECTED_ERROR, a text it must contain) and compares its output with the file EXPECTED.
# Under Wine (EMULATOR) the paths are handed over in Windows form, as a Windows host would.
#   cmake -DPROBE=... [-DEMULATOR=...] -DINPUT=... -DFOLDER=... -DOUTPUT=... [-DOPTIONS=...]
#         [-DPLUGIN=...] [-DEXPECTED=...] [-DEXPECTED_STATUS=...] [-DEXPECTED_ERROR=...]
#         [-DREQUIRES=path] [-DKEPT=text] [-DNOT_UTF8_NAME=ON] [-DDEEP_LEVELS=n]
#         [-DPLAN=... -DPLAN_ELEMENTS=class:n,... -DXMLLINT=... -DRSVG_CONVERT=...]
#         -P RunProbe.cmake
# REQUIRES: a path that must exist, else the case prints "SKIPPED:" (the test's skip pattern).
# KEPT: OUTPUT holds this text before the run and must hold it still afterwards.
# NOT_UTF8_NAME: INPUT gets a byte that is no UTF-8 (0xFF) before ".xml".
# DEEP_LEVELS: INPUT is written first: a LandXML document with elements nested that deep.
# PLAN: also writes the plan there; it must be well-formed, hold as many elements of each class
# as PLAN_ELEMENTS says (point:7,station:2 ...), and render.
foreach(path IN ITEMS ${REQUIRES} ${XMLLINT} ${RSVG_CONVERT})
    if(NOT EXISTS ${path})
        message("SKIPPED: ${path} is absent")
        return()
    endif()
endforeach()
if(NOT_UTF8_NAME)
    string(ASCII 255 byte)
    set(INPUT "${INPUT}${byte}.xml")
endif()
if(DEEP_LEVELS)
    string(REPEAT "<a>" ${DEEP_LEVELS} opening)
    string(REPEAT "</a>" ${DEEP_LEVELS} closing)
    file(WRITE ${INPUT} "<?xml version=\"1.0\"?>\n<LandXML>${opening}${closing}</LandXML>\n")
endif()
include(${CMAKE_CURRENT_LIST_DIR}/ProbeScript.cmake)
foreach(name INPUT FOLDER OUTPUT PLUGIN PLAN)
    host_path("${${name}}" host_${name})
endforeach()
set(arguments ${OPTIONS} --relative-to ${host_FOLDER} --output ${host_OUTPUT})
if(PLUGIN)
    list(APPEND arguments --plugin ${host_PLUGIN})
endif()
if(PLAN)
    list(APPEND arguments --plan ${host_PLAN})
    file(REMOVE ${PLAN})
endif()
if(NOT DEFINED EXPECTED_STATUS)
    set(EXPECTED_STATUS 0)
endif()

if(DEFINED KEPT)
    file(WRITE ${OUTPUT} "${KEPT}")
else()
    file(REMOVE ${OUTPUT})
endif()
execute_process(
    COMMAND ${EMULATOR} ${PROBE} ${arguments} ${host_INPUT}
    RESULT_VARIABLE status
    ERROR_VARIABLE errors)
if(NOT status STREQUAL EXPECTED_STATUS)
    message(FATAL_ERROR "landxml-probe exited with ${status}, expected ${EXPECTED_STATUS}:\n${errors}")
endif()
if(DEFINED EXPECTED_ERROR)
    string(FIND "${errors}" "${EXPECTED_ERROR}" at)
    if(at EQUAL -1)
        message(FATAL_ERROR "standard error does not mention ${EXPECTED_ERROR}:\n${errors}")
    endif()
elseif(errors AND NOT EMULATOR)
    # (Wine may add lines of its own.)
    message(FATAL_ERROR "landxml-probe wrote to standard error:\n${errors}")
endif()
if(DEFINED EXPECTED)
    execute_process(COMMAND ${CMAKE_COMMAND} -E compare_files ${OUTPUT} ${EXPECTED}
        RESULT_VARIABLE different)
    if(different)
        file(READ ${OUTPUT} actual)
        message(FATAL_ERROR "the output differs from ${EXPECTED}; it was:\n${actual}")
    endif()
endif()
if(DEFINED KEPT)
    file(READ ${OUTPUT} after)
    if(NOT after STREQUAL KEPT)
        message(FATAL_ERROR "${OUTPUT} was changed; it holds:\n${after}")
    endif()
endif()
if(PLAN)
    execute_process(COMMAND ${XMLLINT} --noout ${PLAN} RESULT_VARIABLE invalid ERROR_VARIABLE why)
    if(invalid)
        message(FATAL_ERROR "the plan is not well-formed XML:\n${why}")
    endif()
    file(READ ${PLAN} plan)
    string(REPLACE "," ";" expectedElements "${PLAN_ELEMENTS}")
    foreach(expected IN LISTS expectedElements)
        string(REPLACE ":" ";" expected "${expected}")
        list(GET expected 0 kind)
        list(GET expected 1 expectedCount)
        string(REGEX MATCHALL "class=\"${kind}\"" found "${plan}")
        list(LENGTH found count)
        if(NOT count EQUAL expectedCount)
            message(FATAL_ERROR "the plan has ${count} ${kind} elements, expected ${expectedCount}")
        endif()
    endforeach()
    render_plan(${PLAN})
endif()
