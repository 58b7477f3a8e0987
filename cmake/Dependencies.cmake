# Header-only libraries from Debian's packages, for the native and the cross build alike. They
# are linked into the build tree so that a cross compiler sees them without the host's
# /usr/include, whose C library headers are not its own.
set(LANDXML_DEPS_INCLUDE ${CMAKE_BINARY_DIR}/deps/include)
file(MAKE_DIRECTORY ${LANDXML_DEPS_INCLUDE})

function(landxml_header_library name folder)
    set(source /usr/include/${folder})
    if(NOT EXISTS ${source})
        message(FATAL_ERROR "${source} is missing: install the Debian package that provides it")
    endif()
    if(NOT EXISTS ${LANDXML_DEPS_INCLUDE}/${folder})
        file(CREATE_LINK ${source} ${LANDXML_DEPS_INCLUDE}/${folder} SYMBOLIC)
    endif()
    add_library(${name} INTERFACE)
    target_include_directories(${name} SYSTEM INTERFACE ${LANDXML_DEPS_INCLUDE})
endfunction()

landxml_header_library(landxml_rapidxml rapidxml) # librapidxml-dev
landxml_header_library(landxml_cli11 CLI) # libcli11-dev
landxml_header_library(landxml_nlohmann nlohmann) # nlohmann-json3-dev
