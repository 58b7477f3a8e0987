# GoogleTest as the targets GTest::gtest and GTest::gtest_main in every build.
#
# Native builds use the installed library (libgtest-dev). A cross build cannot link the host's
# library, so it compiles GoogleTest's sources (Debian's googletest package) into the build tree
# with the cross compiler, as static libraries that only the tests pull in.
include_guard(GLOBAL)

set(LANDXML_GOOGLETEST_SOURCE /usr/src/googletest
    CACHE PATH "GoogleTest sources, compiled into the build tree when cross-compiling")

if(CMAKE_CROSSCOMPILING)
    if(NOT EXISTS ${LANDXML_GOOGLETEST_SOURCE}/CMakeLists.txt)
        message(FATAL_ERROR "${LANDXML_GOOGLETEST_SOURCE} is missing: install the Debian package "
            "googletest, or set LANDXML_GOOGLETEST_SOURCE")
    endif()
    # GoogleTest's options, set as plain variables (it lets them override its option()s).
    set(BUILD_GMOCK OFF)
    set(INSTALL_GTEST OFF)
    set(BUILD_SHARED_LIBS OFF)
    set(gtest_force_shared_crt ON) # MSVC: the same runtime DLL as the code under test
    set(gtest_disable_pthreads ON) # MinGW: Win32 threads, no libwinpthread
    # SYSTEM: its headers are third-party code, outside our warnings.
    add_subdirectory(${LANDXML_GOOGLETEST_SOURCE} ${CMAKE_BINARY_DIR}/googletest
        EXCLUDE_FROM_ALL SYSTEM)
    if(NOT TARGET GTest::gtest_main)
        add_library(GTest::gtest ALIAS gtest)
        add_library(GTest::gtest_main ALIAS gtest_main)
    endif()
else()
    find_package(GTest REQUIRED)
endif()
