# cmake -DFOLDER=DIR -DSTAMP=FILE -DVERSION=X.Y.Z -DOUTPUT_DIR=DIR
#       [-DPRODUCT=zoneinf] [-DKIND=win64] -P windows-zip.cmake
# <product>-<version>-tzdata<release>-<kind>.zip (zoneinf's by default,
# zoneinf-1.0.0-tzdata2026f-win64.zip) from the files in FOLDER, in name
# order with fixed times and no other file metadata (the same bytes for the
# same files): Info-ZIP's zip -X, as cmake -E tar would store each file's
# access and change times, which no option fixes; zips of the
# same version carrying another release are removed, so the build folder
# holds the one that matches zoneinf.exe. The kit's zip is made with it too.
if(NOT DEFINED PRODUCT)
    set(PRODUCT zoneinf)
endif()
if(NOT DEFINED KIND)
    set(KIND win64)
endif()
file(STRINGS ${STAMP} release LIMIT_COUNT 1)
set(name ${PRODUCT}-${VERSION}-tzdata${release}-${KIND}.zip)
file(GLOB stale ${OUTPUT_DIR}/${PRODUCT}-${VERSION}-tzdata*-${KIND}.zip)
list(REMOVE_ITEM stale ${OUTPUT_DIR}/${name})
if(stale)
    file(REMOVE ${stale})
endif()
file(GLOB contents RELATIVE ${FOLDER} ${FOLDER}/*)
list(SORT contents)
find_program(ZIP zip REQUIRED)
file(REMOVE ${OUTPUT_DIR}/${name})
execute_process(COMMAND touch -d "2000-01-01 00:00:00 UTC" ${contents}
    WORKING_DIRECTORY ${FOLDER} COMMAND_ERROR_IS_FATAL ANY)
execute_process(COMMAND ${CMAKE_COMMAND} -E env TZ=UTC ${ZIP} -X -D -q ${OUTPUT_DIR}/${name} ${contents}
    WORKING_DIRECTORY ${FOLDER} COMMAND_ERROR_IS_FATAL ANY)
message(STATUS "${OUTPUT_DIR}/${name}")
