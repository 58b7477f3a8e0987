# Run at install time (see cmake/Packaging.cmake): moves the debug information of an installed
# module into a file beside it, so that the module users get carries no debug sections while a
# debugger given both files still finds the symbols.
#
# landxml_split_debug_info(objcopy file): writes <file>.debug with the debug sections only, strips
# debug sections and the symbols not needed for loading from <file>, and records the debug file's
# name and checksum in <file>'s .gnu_debuglink section. objcopy must be the binutils of the
# module's format (the MinGW-w64 one for the DLL).
function(landxml_split_debug_info objcopy file)
    get_filename_component(folder ${file} DIRECTORY)
    get_filename_component(name ${file} NAME)
    # The link records the debug file's name as given: run beside it.
    foreach(arguments IN ITEMS
            "--only-keep-debug;${name};${name}.debug"
            "--strip-debug;--strip-unneeded;${name}"
            "--add-gnu-debuglink=${name}.debug;${name}")
        execute_process(COMMAND ${objcopy} ${arguments} WORKING_DIRECTORY ${folder}
            COMMAND_ERROR_IS_FATAL ANY)
    endforeach()
endfunction()

# landxml_strip_debug_info(objcopy file): removes the debug sections from <file> and keeps them
# nowhere; for the support tools, which are rebuilt from the same tree when needed.
function(landxml_strip_debug_info objcopy file)
    execute_process(COMMAND ${objcopy} --strip-debug ${file} COMMAND_ERROR_IS_FATAL ANY)
endfunction()
