# Checks a built zonechange.exe with objdump: PE format and machine, console
# subsystem, no manifest, only the three system
# DLLs imported, and an optional size limit.
# -DOBJDUMP= -DEXECUTABLE= -DEXPECTED_FORMAT=pei-i386|pei-x86-64 [-DMAX_SIZE=bytes]
cmake_minimum_required(VERSION 3.25)

execute_process(COMMAND ${OBJDUMP} -p ${EXECUTABLE}
    OUTPUT_VARIABLE headers RESULT_VARIABLE result)
if(NOT result EQUAL 0)
    message(FATAL_ERROR "objdump failed on ${EXECUTABLE}")
endif()

set(failures "")
if(NOT headers MATCHES "file format ${EXPECTED_FORMAT}\n")
    string(APPEND failures "  not of format ${EXPECTED_FORMAT}\n")
endif()
if(NOT headers MATCHES "Subsystem[ \t]+00000003")
    string(APPEND failures "  not a console (CUI) executable\n")
endif()

string(REGEX MATCHALL "DLL Name: [^\n]+" imports "${headers}")
list(TRANSFORM imports REPLACE "DLL Name: " "")
list(TRANSFORM imports TOUPPER)
list(SORT imports)
if(NOT imports STREQUAL "KERNEL32.DLL;MSVCRT.DLL;SETUPAPI.DLL")
    string(APPEND failures "  imports ${imports}, expected only KERNEL32.dll, msvcrt.dll, SETUPAPI.dll\n")
endif()

# A manifest would carry an <assembly> element.
file(STRINGS ${EXECUTABLE} manifest_text REGEX "<assembly")
if(manifest_text)
    string(APPEND failures "  carries a manifest\n")
endif()

file(SIZE ${EXECUTABLE} size)
if(MAX_SIZE AND size GREATER MAX_SIZE)
    string(APPEND failures "  ${size} bytes, more than the ${MAX_SIZE} allowed\n")
endif()

if(failures)
    message(FATAL_ERROR "${EXECUTABLE}:\n${failures}")
endif()
message(STATUS "${EXECUTABLE}: ${EXPECTED_FORMAT}, console, imports ${imports}, ${size} bytes")
