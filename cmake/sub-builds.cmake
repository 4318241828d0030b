# The builds this one makes in folders of its own, with other settings:
#   add_win32_build(NAME FOLDER)
#       the win32 preset's build in FOLDER of zonechange.exe and settz.exe
#   add_host_zoneinf()
#       host_zoneinf, zoneinf built for the host in host-zoneinf/ (it writes
#       the INFs of the tests under Wine and the kit's zonas.inf), with the
#       helpers those tests run; sets HOST_ZONEINF_DIR
include(ExternalProject)

# Under make, a sub-build is a sub-make ($(MAKE)) that shares the outer
# build's job slots (make warns of a jobserver it cannot use otherwise);
# another generator builds it on its own.
function(sub_build_command out folder)
    if(CMAKE_GENERATOR MATCHES "Makefiles")
        set(${out} $(MAKE) ${ARGN} PARENT_SCOPE)
    else()
        set(${out} ${CMAKE_COMMAND} --build ${folder} --target ${ARGN} PARENT_SCOPE)
    endif()
endfunction()

function(add_win32_build name folder)
    sub_build_command(build ${folder} zonechange settz)
    ExternalProject_Add(${name}
        SOURCE_DIR ${PROJECT_SOURCE_DIR}
        BINARY_DIR ${folder}
        CONFIGURE_COMMAND ${CMAKE_COMMAND} --preset win32 -S ${PROJECT_SOURCE_DIR} -B ${folder}
        BUILD_COMMAND ${build}
        INSTALL_COMMAND ""
        BUILD_ALWAYS ON
        BUILD_BYPRODUCTS ${folder}/zonechange.exe ${folder}/settz.exe)
endfunction()

function(add_host_zoneinf)
    set(folder ${CMAKE_BINARY_DIR}/host-zoneinf)
    sub_build_command(build ${folder} zoneinf offset_expectations record_offsets)
    ExternalProject_Add(host_zoneinf
        SOURCE_DIR ${PROJECT_SOURCE_DIR}/zoneinf
        BINARY_DIR ${folder}
        CMAKE_ARGS -DCMAKE_BUILD_TYPE=Release -DCMAKE_CXX_COMPILER=g++ -DBUILD_TESTING=OFF
        BUILD_COMMAND ${build}
        INSTALL_COMMAND ""
        BUILD_ALWAYS ON)
    set(HOST_ZONEINF_DIR ${folder} PARENT_SCOPE)
endfunction()
