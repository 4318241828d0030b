# cmake -DFOLDER=DIR -DSTAMP=FILE -DVERSION=X.Y.Z -DOUTPUT_DIR=DIR -P windows-zip.cmake
# zoneinf-<version>-tzdata<release>-win64.zip from the files in FOLDER, in
# name order with fixed times (the same bytes for the same files); zips of
# the same version carrying another release are removed, so the build
# folder holds the one that matches zoneinf.exe.
file(STRINGS ${STAMP} release LIMIT_COUNT 1)
set(name zoneinf-${VERSION}-tzdata${release}-win64.zip)
file(GLOB stale ${OUTPUT_DIR}/zoneinf-${VERSION}-tzdata*-win64.zip)
list(REMOVE_ITEM stale ${OUTPUT_DIR}/${name})
if(stale)
    file(REMOVE ${stale})
endif()
file(GLOB contents RELATIVE ${FOLDER} ${FOLDER}/*)
list(SORT contents)
execute_process(COMMAND ${CMAKE_COMMAND} -E tar cf ${OUTPUT_DIR}/${name} "--mtime=2000-01-01 00:00:00 UTC" --format=zip
        ${contents}
    WORKING_DIRECTORY ${FOLDER} COMMAND_ERROR_IS_FATAL ANY)
message(STATUS "${OUTPUT_DIR}/${name}")
