# landxml_test_program(target [PREFIX prefix]): a GoogleTest program registered with CTest, each
# test's name after prefix (none by default). Its Windows build carries the plug-in's resource
# script, since the string table is read from the module that holds the code: here, the test
# program. Under an emulator one CTest test runs the whole program, as listing its tests would
# start Wine once more for every listing.
include(GoogleTest)

function(landxml_test_program target)
    cmake_parse_arguments(PARSE_ARGV 1 test "" PREFIX "")
    target_link_libraries(${target} PRIVATE GTest::gtest_main)
    if(WIN32)
        landxml_module_resources(${target})
    endif()
    landxml_warnings(${target})
    if(CMAKE_CROSSCOMPILING)
        add_test(NAME ${target} COMMAND ${target})
    else()
        gtest_discover_tests(${target} DISCOVERY_TIMEOUT 60 TEST_PREFIX "${test_PREFIX}")
    endif()
endfunction()
