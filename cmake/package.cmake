# cmake --build --preset win32 --target package makes
# zonechange-<version>-win32.zip: zonechange.exe and settz.exe, the example
# INF and the user's guide in English and Spanish, side by side as they are
# deployed.
if(CMAKE_SIZEOF_VOID_P EQUAL 8)
    set(package_platform win64)
else()
    set(package_platform win32)
endif()

install(TARGETS zonechange settz RUNTIME DESTINATION .)
install(FILES examples/zona.inf docs/USER-GUIDE.txt docs/GUIA-DE-USO.txt DESTINATION .)

set(CPACK_GENERATOR ZIP)
set(ZONECHANGE_PACKAGE_NAME zonechange-${PROJECT_VERSION}-${package_platform})
set(CPACK_PACKAGE_FILE_NAME ${ZONECHANGE_PACKAGE_NAME})
set(CPACK_INCLUDE_TOPLEVEL_DIRECTORY OFF)
set(CPACK_PACKAGE_DIRECTORY ${CMAKE_BINARY_DIR})
include(CPack)
