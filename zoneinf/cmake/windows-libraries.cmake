# pugixml and nlohmann-json for zoneinf.exe, under the names find_package
# gives on Debian. MinGW-w64 has neither: pugixml is built from Debian's
# source package (scripts/install-deps.sh fetches it into deps/src/), and
# the header-only nlohmann-json is Debian's own headers, seen alone so that
# no other host header reaches the Windows build.
set(deps_source ${CMAKE_CURRENT_SOURCE_DIR}/../deps/src)
file(GLOB pugixml_archive ${deps_source}/pugixml_*.orig.tar.gz)
if(NOT pugixml_archive)
    message(FATAL_ERROR "No pugixml source in ${deps_source}: run scripts/install-deps.sh")
endif()
set(pugixml_dir ${CMAKE_CURRENT_BINARY_DIR}/pugixml)
if(NOT EXISTS ${pugixml_dir}/done)
    file(ARCHIVE_EXTRACT INPUT ${pugixml_archive} DESTINATION ${pugixml_dir})
    file(TOUCH ${pugixml_dir}/done)
endif()
file(GLOB pugixml_source ${pugixml_dir}/pugixml-*/src/pugixml.cpp)
add_library(pugixml_static STATIC ${pugixml_source})
get_filename_component(pugixml_include ${pugixml_source} DIRECTORY)
target_include_directories(pugixml_static SYSTEM PUBLIC ${pugixml_include})
add_library(pugixml::pugixml ALIAS pugixml_static)

set(json_include ${CMAKE_CURRENT_BINARY_DIR}/json-include)
file(MAKE_DIRECTORY ${json_include})
file(CREATE_LINK /usr/include/nlohmann ${json_include}/nlohmann SYMBOLIC)
add_library(nlohmann_json INTERFACE)
target_include_directories(nlohmann_json SYSTEM INTERFACE ${json_include})
add_library(nlohmann_json::nlohmann_json ALIAS nlohmann_json)
