# cmake -DSTAMP=FILE -DMAPPING=FILE -DVERSION=X.Y.Z -DTEMPLATE=version.rc.in
#       -DRC=FILE -DTEXT=FILE -P release-labels.cmake
# What zoneinf.exe carries, said where administrators look: its version
# resource (ProductVersion "1.0.0 (tzdata 2026f, CLDR 48)", which Explorer
# and PowerShell's VersionInfo show) and VERSION.txt of its zip, the lines
# zoneinf.exe --version prints. STAMP is zoneinfo-stamp.cmake's file.
file(STRINGS ${STAMP} stamp LIMIT_COUNT 1)
set(TZDATA_RELEASE ${stamp})
file(READ ${MAPPING} mapping LIMIT 4096)
set(CLDR_RELEASE unknown)
if(mapping MATCHES "\"_cldrVersion\": *\"([0-9A-Za-z.]+)\"")
    set(CLDR_RELEASE ${CMAKE_MATCH_1})
endif()
get_filename_component(mapping_name ${MAPPING} NAME)
string(REPLACE "." "," VERSION_COMMAS ${VERSION})

configure_file(${TEMPLATE} ${RC} @ONLY)
file(WRITE ${TEXT}.new "zoneinf ${VERSION}\ntzdata ${TZDATA_RELEASE} (built in)\nCLDR ${CLDR_RELEASE} (${mapping_name}, built in)\n")
file(COPY_FILE ${TEXT}.new ${TEXT} ONLY_IF_DIFFERENT)
file(REMOVE ${TEXT}.new)
