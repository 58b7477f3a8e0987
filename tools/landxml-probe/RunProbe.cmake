# Runs landxml-probe on INPUT with its paths shown relative to FOLDER and output to OUTPUT, then
# checks its exit status (EXPECTED_STATUS, 0 by default), its message on standard error
# (EXPECTED_ERROR, a text it must contain) and compares its output with the file EXPECTED.
# Under Wine (EMULATOR) the paths are handed over in Windows form, as a Windows host would.
#   cmake -DPROBE=... [-DEMULATOR=...] -DINPUT=... -DFOLDER=... -DOUTPUT=... [-DOPTIONS=...]
#         [-DPLUGIN=...] [-DEXPECTED=...] [-DEXPECTED_STATUS=...] [-DEXPECTED_ERROR=...]
#         -P RunProbe.cmake
foreach(name INPUT FOLDER OUTPUT PLUGIN)
    set(path ${${name}})
    if(EMULATOR AND path)
        string(REPLACE "/" "\\" path "Z:${path}")
    endif()
    set(host_${name} ${path})
endforeach()
set(arguments ${OPTIONS} --relative-to ${host_FOLDER} --output ${host_OUTPUT})
if(PLUGIN)
    list(APPEND arguments --plugin ${host_PLUGIN})
endif()
if(NOT DEFINED EXPECTED_STATUS)
    set(EXPECTED_STATUS 0)
endif()

file(REMOVE ${OUTPUT})
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
