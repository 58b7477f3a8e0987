# landxml_test_program(target): a GoogleTest program of the plug-in's code, registered with CTest.
# Its Windows build carries the plug-in's resource script, since the string table is read from
# the module that holds the code: here, the test program. Under an emulator one CTest test runs
# the whole program, as listing its tests would start Wine once more for every listing.
include(GoogleTest)

function(landxml_test_program target)
    target_link_libraries(${target} PRIVATE GTest::gtest_main)
    if(WIN32)
        landxml_module_resources(${target})
    endif()
    landxml_warnings(${target})
    if(CMAKE_CROSSCOMPILING)
        add_test(NAME ${target} COMMAND ${target})
    else()
        gtest_discover_tests(${target} DISCOVERY_TIMEOUT 60)
    endif()
endfunction()
