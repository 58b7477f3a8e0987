# Recompiles that ccache has seen before come from its cache: the same sources are compiled by
# several presets and again after every switch of branch. Without ccache the compilers run as is.
find_program(LANDXML_CCACHE ccache)
if(LANDXML_CCACHE AND NOT CMAKE_CXX_COMPILER_LAUNCHER)
    set(CMAKE_C_COMPILER_LAUNCHER ${LANDXML_CCACHE})
    set(CMAKE_CXX_COMPILER_LAUNCHER ${LANDXML_CCACHE})
endif()
