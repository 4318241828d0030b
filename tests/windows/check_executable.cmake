# Checks a built zonechange.exe or settz.exe: PE format and machine,
# console subsystem, no manifest, only the expected system DLLs imported,
# its version resource, and an optional size limit.
# -DOBJDUMP= -DEXECUTABLE= -DEXPECTED_FORMAT=pei-i386|pei-x86-64 -DVERSION=x.y.z
# [-DMAX_SIZE=bytes] [-DEXPECTED_IMPORTS=A.DLL,B.DLL] (upper case, sorted;
# zonechange.exe's three by default)
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
if(NOT EXPECTED_IMPORTS)
    set(EXPECTED_IMPORTS KERNEL32.DLL,MSVCRT.DLL,SETUPAPI.DLL)
endif()
string(REPLACE "," ";" expected_imports "${EXPECTED_IMPORTS}")
if(NOT imports STREQUAL expected_imports)
    string(APPEND failures "  imports ${imports}, expected only ${expected_imports}\n")
endif()

# A manifest would carry an <assembly> element.
file(STRINGS ${EXECUTABLE} manifest_text REGEX "<assembly")
if(manifest_text)
    string(APPEND failures "  carries a manifest\n")
endif()

# File properties: the project's version, and none of the words that make
# Windows' installer detection demand elevation for a program without a
# manifest.
file(STRINGS ${EXECUTABLE} resource_strings ENCODING UTF-16LE)
# A stray bracket in the code's bytes would stop CMake splitting the list.
string(REPLACE "[" "(" resource_strings "${resource_strings}")
string(REPLACE "]" ")" resource_strings "${resource_strings}")
list(FIND resource_strings "FileVersion" file_version_at)
list(FIND resource_strings "ProductVersion" product_version_at)
if(file_version_at EQUAL -1 OR product_version_at EQUAL -1)
    string(APPEND failures "  no FileVersion or ProductVersion in the version resource\n")
else()
    math(EXPR file_version_at "${file_version_at} + 1")
    math(EXPR product_version_at "${product_version_at} + 1")
    list(GET resource_strings ${file_version_at} file_version)
    list(GET resource_strings ${product_version_at} product_version)
    if(NOT file_version STREQUAL VERSION OR NOT product_version STREQUAL VERSION)
        string(APPEND failures "  version resource says ${file_version}/${product_version}, project is ${VERSION}\n")
    endif()
endif()
get_filename_component(file_name ${EXECUTABLE} NAME)
foreach(text IN LISTS resource_strings ITEMS ${file_name})
    string(TOLOWER "${text}" lower_text)
    if(lower_text MATCHES "install|setup|update|patch")
        string(APPEND failures "  \"${text}\" would trigger installer detection\n")
    endif()
endforeach()

file(SIZE ${EXECUTABLE} size)
if(MAX_SIZE AND size GREATER MAX_SIZE)
    string(APPEND failures "  ${size} bytes, more than the ${MAX_SIZE} allowed\n")
endif()

if(failures)
    message(FATAL_ERROR "${EXECUTABLE}:\n${failures}")
endif()
message(STATUS "${EXECUTABLE}: ${EXPECTED_FORMAT}, console, imports ${imports}, ${size} bytes")
