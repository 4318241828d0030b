# The kit for Windows fleets (win64 preset): one zip with everything an
# administrator deploys, made by cmake/make-kit.cmake as
# build/win64/zonechange-<version>-tzdata<release>-kit.zip, its files laid
# out in build/win64/kit/. zoneinf.exe and the host's zoneinf (which writes
# zonas.inf) are this build's; the 32-bit zonechange.exe and settz.exe users
# get come from a build of the win32 preset in build/win64/kit-win32 (the
# same bytes as build/win32's: those builds are reproducible), of those two
# targets only (cmake/sub-builds.cmake).
set(kit_win32_dir ${CMAKE_BINARY_DIR}/kit-win32)
add_win32_build(kit_win32_programs ${kit_win32_dir})

set(ZONECHANGE_KIT_FOLDER ${CMAKE_BINARY_DIR}/kit)
set(kit_host_zoneinf ${HOST_ZONEINF_DIR}/zoneinf)
set(kit_stamp ${CMAKE_BINARY_DIR}/zoneinf/built-in-zoneinfo.stamp)
set(kit_made ${CMAKE_BINARY_DIR}/kit.made)
file(GLOB kit_scripts CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/kit/*.cmd ${PROJECT_SOURCE_DIR}/kit/*.ps1)
add_custom_command(OUTPUT ${kit_made}
    COMMAND ${CMAKE_COMMAND} -DSOURCE_DIR=${PROJECT_SOURCE_DIR} -DFOLDER=${ZONECHANGE_KIT_FOLDER}
        -DOUTPUT_DIR=${CMAKE_BINARY_DIR} -DVERSION=${PROJECT_VERSION} -DSTAMP=${kit_stamp}
        -DZONECHANGE=${kit_win32_dir}/zonechange.exe -DSETTZ=${kit_win32_dir}/settz.exe
        -DZONEINF_EXE=$<TARGET_FILE:zoneinf> -DZONEINF=${kit_host_zoneinf} -DZONEINFO=${ZONEINF_ZONEINFO_DIR}
        -P ${PROJECT_SOURCE_DIR}/cmake/make-kit.cmake
    COMMAND ${CMAKE_COMMAND} -E touch ${kit_made}
    DEPENDS zoneinf kit_win32_programs host_zoneinf ${kit_win32_dir}/zonechange.exe ${kit_win32_dir}/settz.exe
        ${kit_host_zoneinf} ${kit_stamp} ${kit_scripts}
        ${PROJECT_SOURCE_DIR}/docs/USER-GUIDE.txt ${PROJECT_SOURCE_DIR}/docs/GUIA-DE-USO.txt
        ${PROJECT_SOURCE_DIR}/cmake/make-kit.cmake ${PROJECT_SOURCE_DIR}/zoneinf/cmake/windows-zip.cmake
    COMMENT "Packaging zonechange-${PROJECT_VERSION}-tzdata<release>-kit.zip")
add_custom_target(kit ALL DEPENDS ${kit_made})

add_subdirectory(tests/kit)
