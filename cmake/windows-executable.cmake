# The executable users get. Static runtime, so it imports only KERNEL32.dll,
# SETUPAPI.dll and msvcrt.dll; no manifest. Built for size: the whole tool
# costs about 1.5 KiB over the C runtime's start-up, and the size is
# checked. Built reproducibly: no link timestamp, no build paths.
enable_language(RC)

configure_file(src/platform/version.rc.in ${CMAKE_BINARY_DIR}/version.rc @ONLY)

# The core is compiled into the executable itself so that link-time
# optimisation sees the whole tool.
add_executable(zonechange
    ${ZONECHANGE_CORE_SOURCES}
    src/platform/console_main.cpp
    src/platform/error_output.cpp
    src/platform/module_path.cpp
    src/platform/inf_stage.cpp
    src/platform/launch_stage.cpp
    ${CMAKE_BINARY_DIR}/version.rc)
target_include_directories(zonechange PRIVATE src)
target_link_libraries(zonechange PRIVATE zonechange_warnings setupapi)
set_target_properties(zonechange PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR})

set(size_options
    -Oz -flto -fno-inline-functions-called-once
    -fno-exceptions -fno-rtti -fno-asynchronous-unwind-tables
    -ffunction-sections -fdata-sections -fno-ident)
target_compile_options(zonechange PRIVATE
    $<$<COMPILE_LANGUAGE:CXX>:${size_options}>
    $<$<COMPILE_LANGUAGE:CXX>:-ffile-prefix-map=${CMAKE_SOURCE_DIR}=.>
    $<$<COMPILE_LANGUAGE:CXX>:-ffile-prefix-map=${CMAKE_BINARY_DIR}=.>)
target_link_options(zonechange PRIVATE
    ${size_options}
    -static -s
    -Wl,--gc-sections
    -Wl,--no-insert-timestamp)

include(cmake/package.cmake)
