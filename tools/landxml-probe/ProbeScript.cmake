# What the probe's test scripts share.

# A path as the probe takes it: under Wine (EMULATOR set) in Windows form on drive Z:, as a
# Windows host hands paths over; natively as it is. An empty path stays empty.
function(host_path path variable)
    if(EMULATOR AND path)
        string(REPLACE "/" "\\" path "Z:${path}")
    endif()
    set(${variable} "${path}" PARENT_SCOPE)
endfunction()

# Fails the test when rsvg-convert cannot render the plan (an SVG) into a PNG beside it.
function(render_plan plan)
    execute_process(COMMAND ${RSVG_CONVERT} -o ${plan}.png ${plan}
        RESULT_VARIABLE failed ERROR_VARIABLE why)
    if(failed)
        message(FATAL_ERROR "rsvg-convert cannot render the plan:\n${why}")
    endif()
endfunction()
