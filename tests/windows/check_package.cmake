# Makes the release zip into a scratch folder and checks what it holds:
# the two executables, the example INF and the user's guide in English and
# Spanish, nothing else.
# -DBINARY_DIR= -DPACKAGE_NAME=zonechange-<version>-<platform>
cmake_minimum_required(VERSION 3.25)

set(scratch ${BINARY_DIR}/package-check)
file(REMOVE_RECURSE ${scratch})
execute_process(COMMAND ${CMAKE_CPACK_COMMAND} --config ${BINARY_DIR}/CPackConfig.cmake -B ${scratch}
    RESULT_VARIABLE result OUTPUT_VARIABLE output ERROR_VARIABLE output)
if(NOT result EQUAL 0)
    message(FATAL_ERROR "cpack failed:\n${output}")
endif()

set(zip ${scratch}/${PACKAGE_NAME}.zip)
if(NOT EXISTS ${zip})
    message(FATAL_ERROR "${zip} was not made")
endif()
execute_process(COMMAND ${CMAKE_COMMAND} -E tar tf ${zip} OUTPUT_VARIABLE listing RESULT_VARIABLE result)
string(REGEX REPLACE "\n$" "" listing "${listing}")
string(REPLACE "\n" ";" entries "${listing}")
list(SORT entries)
if(NOT entries STREQUAL "GUIA-DE-USO.txt;USER-GUIDE.txt;settz.exe;zona.inf;zonechange.exe")
    message(FATAL_ERROR "${zip} holds: ${entries}")
endif()

# The packaged executables are the ones that were built and checked.
file(MAKE_DIRECTORY ${scratch}/unpacked)
execute_process(COMMAND ${CMAKE_COMMAND} -E tar xf ${zip} WORKING_DIRECTORY ${scratch}/unpacked)
foreach(program zonechange.exe settz.exe)
    file(SHA256 ${scratch}/unpacked/${program} packaged)
    file(SHA256 ${BINARY_DIR}/${program} built)
    if(NOT packaged STREQUAL built)
        message(FATAL_ERROR "the zip's ${program} differs from the built one")
    endif()
endforeach()
file(REMOVE_RECURSE ${scratch})
message(STATUS "${PACKAGE_NAME}.zip: ${entries}")
