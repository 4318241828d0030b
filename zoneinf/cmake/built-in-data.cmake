# The data carried inside the program: CLDR's mapping in every build (a
# program runs wherever it is, the build tree too), and with
# ZONEINF_BUILT_IN_TZDATA (zoneinf.exe: one file to copy) the tzdata
# release of ZONEINF_ZONEINFO_DIR. built_in_data.cpp is generated at build
# time, the same bytes for the same inputs (files in name order, no dates,
# no paths), and made again whenever the mapping file or the tree's files
# change: a stamp of the tree's contents is taken at every build.
set(ZONEINF_ZONEINFO_DIR /usr/share/zoneinfo CACHE PATH "Compiled tzdata release built into the program")

set(built_in_source ${CMAKE_CURRENT_BINARY_DIR}/built_in_data.cpp)
set(built_in_arguments -DMAPPING=${ZONEINF_WINDOWS_ZONES_JSON})
set(built_in_depends ${CMAKE_CURRENT_SOURCE_DIR}/cmake/embed-data.cmake ${CMAKE_CURRENT_SOURCE_DIR}/cmake/zoneinfo-files.cmake
    ${ZONEINF_WINDOWS_ZONES_JSON})
if(ZONEINF_BUILT_IN_TZDATA)
    set(ZONEINF_ZONEINFO_STAMP ${CMAKE_CURRENT_BINARY_DIR}/built-in-zoneinfo.stamp)
    add_custom_target(zoneinf_zoneinfo_stamp
        COMMAND ${CMAKE_COMMAND} -DZONEINFO=${ZONEINF_ZONEINFO_DIR} -DOUTPUT=${ZONEINF_ZONEINFO_STAMP}
            -P ${CMAKE_CURRENT_SOURCE_DIR}/cmake/zoneinfo-stamp.cmake
        BYPRODUCTS ${ZONEINF_ZONEINFO_STAMP})
    add_dependencies(zoneinf_core zoneinf_zoneinfo_stamp)
    list(APPEND built_in_arguments -DZONEINFO=${ZONEINF_ZONEINFO_DIR})
    list(APPEND built_in_depends ${ZONEINF_ZONEINFO_STAMP})
endif()
add_custom_command(OUTPUT ${built_in_source}
    COMMAND ${CMAKE_COMMAND} ${built_in_arguments} -DOUTPUT=${built_in_source}
        -P ${CMAKE_CURRENT_SOURCE_DIR}/cmake/embed-data.cmake
    DEPENDS ${built_in_depends}
    COMMENT "Building the built-in data into zoneinf")
target_sources(zoneinf_core PRIVATE ${built_in_source})
