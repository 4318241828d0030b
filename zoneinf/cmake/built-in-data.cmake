# The tzdata release and CLDR's mapping, carried inside the program
# (zoneinf.exe): built_in_data.cpp is generated at build time from the
# machine's database and the mapping file, the same bytes for the same
# inputs (files in name order, no dates, no paths).
set(ZONEINF_ZONEINFO_DIR /usr/share/zoneinfo CACHE PATH "Compiled tzdata release built into the program")
set(ZONEINF_WINDOWS_ZONES_JSON /usr/share/unicode/cldr/common/supplemental/windowsZones.xml
    CACHE FILEPATH "CLDR's Windows zone mapping built into the program")

# The mapping's CLDR release: npm's package.json beside it, or Debian's package.
set(cldr_release unknown)
get_filename_component(mapping_dir ${ZONEINF_WINDOWS_ZONES_JSON} DIRECTORY)
if(EXISTS ${mapping_dir}/../package.json)
    file(READ ${mapping_dir}/../package.json package_json)
    string(JSON cldr_release GET ${package_json} version)
else()
    execute_process(COMMAND dpkg-query -W -f=\${Version} unicode-cldr-core
        OUTPUT_VARIABLE cldr_release ERROR_QUIET)
endif()

set(built_in_source ${CMAKE_CURRENT_BINARY_DIR}/built_in_data.cpp)
add_custom_command(OUTPUT ${built_in_source}
    COMMAND ${CMAKE_COMMAND} -DZONEINFO=${ZONEINF_ZONEINFO_DIR} -DMAPPING=${ZONEINF_WINDOWS_ZONES_JSON}
        -DCLDR_RELEASE=${cldr_release} -DOUTPUT=${built_in_source}
        -P ${CMAKE_CURRENT_SOURCE_DIR}/cmake/embed-data.cmake
    DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/cmake/embed-data.cmake ${ZONEINF_ZONEINFO_DIR}/tzdata.zi
        ${ZONEINF_WINDOWS_ZONES_JSON}
    COMMENT "Building tzdata and CLDR's mapping into zoneinf")
target_sources(zoneinf_core PRIVATE ${built_in_source})
