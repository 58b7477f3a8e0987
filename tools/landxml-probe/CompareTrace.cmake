# Runs the probe on one file and compares its output with a reviewed trace, or, with
# EXPECTED_STATUS, checks only the exit status. Under Wine the paths are given in Windows form so
# that the plug-in finds the document's folder as a Windows host would hand it over.
set(input ${INPUT})
set(folder ${FOLDER})
set(plugin_args)
if(EMULATOR)
    string(REPLACE "/" "\\" input "Z:${INPUT}")
    string(REPLACE "/" "\\" folder "Z:${FOLDER}")
endif()
if(PLUGIN)
    set(plugin_args --plugin ${PLUGIN})
endif()
execute_process(
    COMMAND ${EMULATOR} ${PROBE} ${plugin_args} --relative-to ${folder} ${input}
    OUTPUT_FILE ${OUTPUT}
    RESULT_VARIABLE status)
if(DEFINED EXPECTED_STATUS)
    if(NOT status EQUAL EXPECTED_STATUS)
        message(FATAL_ERROR "landxml-probe exited with ${status}, expected ${EXPECTED_STATUS}")
    endif()
    return()
endif()
if(NOT status EQUAL 0)
    message(FATAL_ERROR "landxml-probe exited with ${status}")
endif()
execute_process(COMMAND ${CMAKE_COMMAND} -E compare_files --ignore-eol ${OUTPUT} ${EXPECTED}
    RESULT_VARIABLE different)
if(different)
    file(READ ${OUTPUT} actual)
    message(FATAL_ERROR "the probe's trace differs from ${EXPECTED}:\n${actual}")
endif()
