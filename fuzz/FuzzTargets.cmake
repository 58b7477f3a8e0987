# The fuzz targets' sources, shared by the fuzz executables (fuzz/CMakeLists.txt) and by the test
# suite, which replays their seed corpora (tests/hostile), with the test-support files they share.
# Each user adds its own choice of the allocation-failure hooks: AllocationFailureInjected.cpp or
# AllocationFailureNone.cpp.
set(LANDXML_FUZZ_TARGET_SOURCES
    ${PROJECT_SOURCE_DIR}/tests/support/Files.cpp
    ${CMAKE_CURRENT_LIST_DIR}/RuleChecker.cpp
    ${CMAKE_CURRENT_LIST_DIR}/ImportRuns.cpp
    ${CMAKE_CURRENT_LIST_DIR}/ImporterFixture.cpp
    ${CMAKE_CURRENT_LIST_DIR}/ImportDocumentTarget.cpp
    ${CMAKE_CURRENT_LIST_DIR}/TextDecodingTarget.cpp
    ${CMAKE_CURRENT_LIST_DIR}/ConvertAngleTarget.cpp
    ${CMAKE_CURRENT_LIST_DIR}/PointCoordinatesTarget.cpp
)
