# cmake -DSOURCE_DIR=DIR -DFOLDER=DIR -DOUTPUT_DIR=DIR -DVERSION=X.Y.Z -DSTAMP=FILE
#       -DZONECHANGE=EXE -DSETTZ=EXE -DZONEINF_EXE=EXE -DZONEINF=PROGRAM -DZONEINFO=DIR
#       -P make-kit.cmake
# The kit for Windows fleets, laid out in FOLDER and zipped as
# zonechange-<version>-tzdata<release>-kit.zip in OUTPUT_DIR: the 32-bit
# zonechange.exe and settz.exe, zoneinf.exe, zonas.inf (every zone, written
# by the host's zoneinf from the tzdata release zoneinf.exe carries), both
# guides, and the scripts of kit/ with that release written in, CR LF ended
# as cmd.exe and Windows PowerShell expect. Made whole again each time;
# the zip has fixed times and order, so the same inputs give the same bytes.
# STAMP is zoneinf's built-in-zoneinfo.stamp: "<release>\n<hash>\n".
cmake_minimum_required(VERSION 3.25)

file(STRINGS ${STAMP} TZDATA_RELEASE LIMIT_COUNT 1)
file(REMOVE_RECURSE ${FOLDER})
file(MAKE_DIRECTORY ${FOLDER})
file(COPY ${ZONECHANGE} ${SETTZ} ${ZONEINF_EXE} ${SOURCE_DIR}/docs/USER-GUIDE.txt ${SOURCE_DIR}/docs/GUIA-DE-USO.txt
    DESTINATION ${FOLDER})

file(GLOB scripts RELATIVE ${SOURCE_DIR}/kit ${SOURCE_DIR}/kit/*.cmd ${SOURCE_DIR}/kit/*.ps1)
foreach(script IN LISTS scripts)
    configure_file(${SOURCE_DIR}/kit/${script} ${FOLDER}/${script} @ONLY NEWLINE_STYLE CRLF)
endforeach()

# zoneinf names on standard error the years it approximates and the shared
# keys it leaves to their main zone: the INF's own head lists them.
execute_process(COMMAND ${ZONEINF} --zoneinfo ${ZONEINFO} --all --approximate -o ${FOLDER}/zonas.inf
    RESULT_VARIABLE status ERROR_VARIABLE messages)
if(NOT status EQUAL 0)
    message(FATAL_ERROR "zoneinf --all --approximate failed (status ${status}):\n${messages}")
endif()

set(PRODUCT zonechange)
set(KIND kit)
include(${SOURCE_DIR}/zoneinf/cmake/windows-zip.cmake)
