# The libraries the build uses, found the way CMake finds any: a vendor's toolchain and package
# manager supply them through CMAKE_PREFIX_PATH (and CMAKE_FIND_ROOT_PATH when cross-compiling).
# The plug-in library needs RapidXML alone; the tests add GoogleTest, the tools and benchmarks
# CLI11, the reference host nlohmann_json, each through its own CMake package.

# RapidXML is a header-only library without a CMake package: the folder that holds
# rapidxml/rapidxml.hpp. Its headers are a SYSTEM include, outside our warnings.
find_path(HEXAGON_LANDXML_RAPIDXML_INCLUDE_DIR rapidxml/rapidxml.hpp
    DOC "the folder holding rapidxml/rapidxml.hpp")
if(NOT HEXAGON_LANDXML_RAPIDXML_INCLUDE_DIR)
    message(FATAL_ERROR "RapidXML not found: name the folder that holds rapidxml/rapidxml.hpp's "
        "include/ in CMAKE_PREFIX_PATH, or set HEXAGON_LANDXML_RAPIDXML_INCLUDE_DIR")
endif()
message(STATUS "RapidXML: ${HEXAGON_LANDXML_RAPIDXML_INCLUDE_DIR}")
add_library(landxml_rapidxml INTERFACE)
target_include_directories(landxml_rapidxml SYSTEM INTERFACE ${HEXAGON_LANDXML_RAPIDXML_INCLUDE_DIR})

if(HEXAGON_LANDXML_BUILD_TESTS)
    find_package(GTest REQUIRED)
endif()
if(HEXAGON_LANDXML_BUILD_TOOLS OR HEXAGON_LANDXML_BUILD_BENCHMARKS)
    find_package(CLI11 REQUIRED)
endif()
if(HEXAGON_LANDXML_BUILD_TOOLS)
    find_package(nlohmann_json REQUIRED)
endif()
