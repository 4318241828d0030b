# The tzdata release and CLDR's mapping, carried inside the program
# (zoneinf.exe): built_in_data.cpp is generated at build time from the
# machine's database and the mapping file ZONEINF_WINDOWS_ZONES_JSON, the
# same bytes for the same inputs (files in name order, no dates, no paths).
set(ZONEINF_ZONEINFO_DIR /usr/share/zoneinfo CACHE PATH "Compiled tzdata release built into the program")

set(built_in_source ${CMAKE_CURRENT_BINARY_DIR}/built_in_data.cpp)
add_custom_command(OUTPUT ${built_in_source}
    COMMAND ${CMAKE_COMMAND} -DZONEINFO=${ZONEINF_ZONEINFO_DIR} -DMAPPING=${ZONEINF_WINDOWS_ZONES_JSON}
        -DOUTPUT=${built_in_source}
        -P ${CMAKE_CURRENT_SOURCE_DIR}/cmake/embed-data.cmake
    DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/cmake/embed-data.cmake ${ZONEINF_ZONEINFO_DIR}/tzdata.zi
        ${ZONEINF_WINDOWS_ZONES_JSON}
    COMMENT "Building tzdata and CLDR's mapping into zoneinf")
target_sources(zoneinf_core PRIVATE ${built_in_source})
