# Warnings are errors in every build; third-party headers are SYSTEM includes and stay quiet.
function(landxml_warnings target)
    if(MSVC)
        target_compile_options(${target} PRIVATE /W4 /WX /permissive- /utf-8)
    else()
        target_compile_options(${target} PRIVATE -Wall -Wextra -Wpedantic -Wshadow -Wundef
            -Wold-style-cast -Wcast-qual -Werror)
    endif()
endfunction()
