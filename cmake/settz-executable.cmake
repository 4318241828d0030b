# settz.exe, the zone setter zonechange.exe starts. Built without the C
# runtime (its own entry point, settz/platform/entry.cpp), so it imports
# only KERNEL32.dll and ADVAPI32.dll and stays a few KiB; no manifest;
# reproducible like zonechange.exe: no link timestamp, no build paths.
enable_language(RC)
configure_file(settz/platform/version.rc.in ${CMAKE_BINARY_DIR}/settz-version.rc @ONLY)

set(SETTZ_SOURCES
    ${SETTZ_CORE_SOURCES}
    ${CMAKE_CURRENT_SOURCE_DIR}/settz/platform/entry.cpp
    ${CMAKE_CURRENT_SOURCE_DIR}/settz/platform/zone_registry.cpp
    ${CMAKE_CURRENT_SOURCE_DIR}/settz/platform/console_output.cpp
    ${CMAKE_BINARY_DIR}/settz-version.rc)

# The decorated name of the entry point: 32-bit C symbols carry an underscore.
if(CMAKE_SIZEOF_VOID_P EQUAL 8)
    set(settz_entry SettzStart)
else()
    set(settz_entry _SettzStart)
endif()

# settz_program(TARGET APPLY_SOURCE): settz.exe with the given ApplyZone;
# the test build under Wine swaps in one that records instead of setting.
function(settz_program target apply_source)
    add_executable(${target} ${SETTZ_SOURCES} ${apply_source})
    set_target_properties(${target} PROPERTIES OUTPUT_NAME settz)
    target_include_directories(${target} PRIVATE ${PROJECT_SOURCE_DIR}/settz)
    target_compile_definitions(${target} PRIVATE _WIN32_WINNT=0x0601 WIN32_LEAN_AND_MEAN)
    set(size_options
        -Oz -fno-exceptions -fno-rtti -fno-asynchronous-unwind-tables
        -ffunction-sections -fdata-sections -fno-ident
        -fno-tree-loop-distribute-patterns -fno-stack-protector)
    target_compile_options(${target} PRIVATE
        $<$<COMPILE_LANGUAGE:CXX>:${size_options}>
        $<$<COMPILE_LANGUAGE:CXX>:-ffile-prefix-map=${CMAKE_SOURCE_DIR}=.>
        $<$<COMPILE_LANGUAGE:CXX>:-ffile-prefix-map=${CMAKE_BINARY_DIR}=.>)
    target_link_options(${target} PRIVATE
        -nostdlib -Wl,-e,${settz_entry} -Wl,--subsystem,console
        -s -Wl,--gc-sections -Wl,--no-insert-timestamp)
    # libgcc only for the stack probe a large frame would call; it imports nothing.
    target_link_libraries(${target} PRIVATE zonechange_warnings kernel32 advapi32 gcc)
endfunction()

settz_program(settz ${CMAKE_CURRENT_SOURCE_DIR}/settz/platform/apply_zone.cpp)
set_target_properties(settz PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR})
