# A path as the probe takes it: under Wine (EMULATOR set) in Windows form on drive Z:, as a
# Windows host hands paths over; natively as it is. An empty path stays empty.
function(host_path path variable)
    if(EMULATOR AND path)
        string(REPLACE "/" "\\" path "Z:${path}")
    endif()
    set(${variable} "${path}" PARENT_SCOPE)
endfunction()
