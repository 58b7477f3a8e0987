# The plug-in's resource script (string table and version information), compiled into each
# Windows module that reads its texts from itself: the DLL and the test programs. The version
# information takes the project's version, set once in the top CMakeLists.txt. Source properties
# belong to a directory, so the definitions are set where the module is declared.
function(landxml_module_resources target)
    set(script ${PROJECT_SOURCE_DIR}/resources/HexagonLandXML.rc)
    target_sources(${target} PRIVATE ${script})
    set_property(SOURCE ${script} PROPERTY COMPILE_DEFINITIONS
        LANDXML_VERSION_MAJOR=${PROJECT_VERSION_MAJOR}
        LANDXML_VERSION_MINOR=${PROJECT_VERSION_MINOR}
        LANDXML_VERSION_PATCH=${PROJECT_VERSION_PATCH})
endfunction()
