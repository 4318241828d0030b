# What every target of the tree is built with, in the top project and in
# zoneinf built on its own: one C++ standard, and zonechange_warnings, the
# warnings each target links.
set(CMAKE_CXX_STANDARD 20)
set(CMAKE_CXX_STANDARD_REQUIRED ON)
set(CMAKE_CXX_EXTENSIONS OFF)

if(NOT TARGET zonechange_warnings)
    add_library(zonechange_warnings INTERFACE)
    # C++ only: windres compiles the version resources.
    target_compile_options(zonechange_warnings INTERFACE $<$<COMPILE_LANGUAGE:CXX>:-Wall -Wextra -Wpedantic>)
endif()
