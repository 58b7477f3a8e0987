# A build that links the sanitizers' shared runtime (-shared-libsan, as the asan and fuzz presets
# do for the plug-in library) runs its programs from the build tree with that runtime's folder
# in their run path. The folder is the compiler's own, asked of it.
if(CMAKE_CXX_COMPILER_ID MATCHES "Clang" AND
   "${CMAKE_EXE_LINKER_FLAGS} ${CMAKE_SHARED_LINKER_FLAGS}" MATCHES "-shared-libsan")
    execute_process(COMMAND ${CMAKE_CXX_COMPILER} -print-runtime-dir
        OUTPUT_VARIABLE landxmlSanitizerRuntime OUTPUT_STRIP_TRAILING_WHITESPACE
        COMMAND_ERROR_IS_FATAL ANY)
    message(STATUS "Sanitizer runtime: ${landxmlSanitizerRuntime}")
    list(APPEND CMAKE_BUILD_RPATH ${landxmlSanitizerRuntime})
endif()
