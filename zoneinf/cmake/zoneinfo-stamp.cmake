# cmake -DZONEINFO=DIR -DOUTPUT=FILE -P zoneinfo-stamp.cmake
# Run at every build of a program that carries the tzdata release: writes
# FILE, "<release>\n<SHA-256 of the files built in>\n", only when that
# changed, so that what depends on FILE is made again exactly when the
# tree's files change. Their times tell nothing: dpkg gives installed files
# the package's times, which may be older than the last build.
cmake_minimum_required(VERSION 3.25)
include(${CMAKE_CURRENT_LIST_DIR}/zoneinfo-files.cmake)

# The release as zoneinf names it: the one rule of src/base/tzdata_release.h.
file(STRINGS ${CMAKE_CURRENT_LIST_DIR}/../src/base/tzdata_release.h rule REGEX "kTzdataReleasePattern\\[\\] = ")
string(REGEX REPLACE ".* = \"([^\"]*)\".*" "\\1" release_pattern "${rule}")
set(release unknown)
if(EXISTS ${ZONEINFO}/tzdata.zi)
    file(STRINGS ${ZONEINFO}/tzdata.zi first LIMIT_COUNT 1)
    string(REGEX REPLACE "^# version " "" named "${first}")
    if(first MATCHES "^# version " AND named MATCHES "${release_pattern}")
        set(release ${named})
    endif()
endif()

# The files embed-data.cmake builds in, by name and content.
zoneinfo_files_built_in(${ZONEINFO} files)
set(listing "")
foreach(name IN LISTS files)
    file(SHA256 ${ZONEINFO}/${name} hash)
    string(APPEND listing "${name} ${hash}\n")
endforeach()
string(SHA256 tree_hash "${listing}")

set(stamp "${release}\n${tree_hash}\n")
if(EXISTS ${OUTPUT})
    file(READ ${OUTPUT} previous)
    if(previous STREQUAL stamp)
        return()
    endif()
endif()
file(WRITE ${OUTPUT} "${stamp}")
