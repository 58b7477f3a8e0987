# The fuzz targets' sources, shared by the fuzz executables (fuzz/CMakeLists.txt) and by the test
# suite, which replays their seed corpora (tests/hostile). Each user adds its own choice of the
# allocation-failure hooks: AllocationFailureInjected.cpp or AllocationFailureNone.cpp.
set(LANDXML_FUZZ_TARGET_SOURCES
    ${CMAKE_CURRENT_LIST_DIR}/CheckingHost.cpp
    ${CMAKE_CURRENT_LIST_DIR}/ImportRuns.cpp
    ${CMAKE_CURRENT_LIST_DIR}/ImporterFixture.cpp
    ${CMAKE_CURRENT_LIST_DIR}/ImportDocumentTarget.cpp
    ${CMAKE_CURRENT_LIST_DIR}/TextDecodingTarget.cpp
    ${CMAKE_CURRENT_LIST_DIR}/ConvertAngleTarget.cpp
    ${CMAKE_CURRENT_LIST_DIR}/PointCoordinatesTarget.cpp
)
