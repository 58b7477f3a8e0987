# What a release holds, installed flat into one folder and packed by CPack:
#   cmake --build --preset windows --target package   -> HexagonLandXML-<version>-win64.zip
#   cmake --build --preset native --target package    -> HexagonLandXML-<version>-linux-x86_64.tar.gz
# in the build tree's packages/ folder. The host loads the plug-in library alone; its debug file
# and the reference host beside it are for support: the probe finds the library beside itself.

# The installed modules are reworked in place: install(CODE) runs after the copies of the rules
# before it, in the installation folder (under DESTDIR when one is set). Where the toolchain has
# objcopy (GNU binutils, the native and the MinGW build) the library's debug information moves
# into a file beside it; an MSVC build installs the library's PDB instead.
install(FILES $<TARGET_FILE:HexagonLandXML> DESTINATION .)
if(TARGET landxml-probe)
    install(PROGRAMS $<TARGET_FILE:landxml-probe> DESTINATION .)
endif()
if(CMAKE_OBJCOPY)
    set(landxmlInstalled "\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}")
    install(CODE "include(\"${CMAKE_CURRENT_LIST_DIR}/SplitDebugInfo.cmake\")")
    install(CODE "landxml_split_debug_info(\"${CMAKE_OBJCOPY}\"
        \"${landxmlInstalled}/$<TARGET_FILE_NAME:HexagonLandXML>\")")
    if(TARGET landxml-probe)
        install(CODE "landxml_strip_debug_info(\"${CMAKE_OBJCOPY}\"
            \"${landxmlInstalled}/$<TARGET_FILE_NAME:landxml-probe>\")")
    endif()
elseif(MSVC)
    install(FILES $<TARGET_PDB_FILE:HexagonLandXML> DESTINATION . OPTIONAL)
else()
    message(STATUS "No objcopy: the packages keep the debug information in the modules")
endif()
install(FILES README.md LICENSE CHANGELOG.md DESTINATION .)

set(CPACK_PACKAGE_NAME HexagonLandXML)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR "the HexagonLandXML maintainers")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "LandXML import plug-in for a desktop surveying application")
if(WIN32)
    set(CPACK_GENERATOR ZIP)
    set(CPACK_SYSTEM_NAME win64)
else()
    set(CPACK_GENERATOR TGZ)
    string(TOLOWER ${CMAKE_SYSTEM_NAME}-${CMAKE_SYSTEM_PROCESSOR} CPACK_SYSTEM_NAME)
endif()
set(CPACK_PACKAGE_DIRECTORY ${CMAKE_BINARY_DIR}/packages)
set(CPACK_VERBATIM_VARIABLES ON)
include(CPack)
