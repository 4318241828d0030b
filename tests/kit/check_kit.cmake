# The kit's zip holds exactly what an administrator deploys, as the build
# made it: the 32-bit programs of the win32 preset, this build's zoneinf.exe,
# zonas.inf as the host's zoneinf writes it from the tzdata release
# zoneinf.exe carries, the guides, and scripts ready for cmd.exe and Windows
# PowerShell: CR LF line ends, ASCII, the release written in, and no zone
# named anywhere (each computer keeps its own).
# -DBINARY_DIR= -DFOLDER= -DVERSION= -DSTAMP= -DWIN32_DIR= -DZONEINF_EXE=
# -DZONEINF= -DZONEINFO=
cmake_minimum_required(VERSION 3.25)

set(failures "")
file(STRINGS ${STAMP} release LIMIT_COUNT 1)
file(GLOB zips ${BINARY_DIR}/zonechange-${VERSION}-tzdata*-kit.zip)
set(zip ${BINARY_DIR}/zonechange-${VERSION}-tzdata${release}-kit.zip)
if(NOT zips STREQUAL zip)
    message(FATAL_ERROR "expected ${zip} alone, found: ${zips}")
endif()

set(scratch ${BINARY_DIR}/kit-check)
file(REMOVE_RECURSE ${scratch})
file(MAKE_DIRECTORY ${scratch}/unpacked)
execute_process(COMMAND ${CMAKE_COMMAND} -E tar tf ${zip} OUTPUT_VARIABLE listing COMMAND_ERROR_IS_FATAL ANY)
string(REGEX REPLACE "\n$" "" listing "${listing}")
string(REPLACE "\n" ";" entries "${listing}")
set(scripts detect.cmd detect.ps1 install.cmd install.ps1 remediate.cmd remediate.ps1 uninstall.cmd uninstall.ps1
    zonechange-kit.cmd zonechange-kit.ps1)
set(expected GUIA-DE-USO.txt USER-GUIDE.txt settz.exe zonas.inf zonechange.exe zoneinf.exe ${scripts})
list(SORT expected)
if(NOT entries STREQUAL expected)
    message(FATAL_ERROR "${zip} holds, in this order: ${entries}\nexpected: ${expected}")
endif()
execute_process(COMMAND ${CMAKE_COMMAND} -E tar xf ${zip} WORKING_DIRECTORY ${scratch}/unpacked COMMAND_ERROR_IS_FATAL ANY)

# Each file is the one built, or the one the build laid out.
macro(same file origin)
    file(SHA256 ${scratch}/unpacked/${file} packed)
    file(SHA256 ${origin} made)
    if(NOT packed STREQUAL made)
        string(APPEND failures "  ${file} is not ${origin}\n")
    endif()
endmacro()
same(zonechange.exe ${WIN32_DIR}/zonechange.exe)
same(settz.exe ${WIN32_DIR}/settz.exe)
same(zoneinf.exe ${ZONEINF_EXE})
foreach(file IN LISTS expected)
    same(${file} ${FOLDER}/${file})
endforeach()

execute_process(COMMAND ${ZONEINF} --zoneinfo ${ZONEINFO} --all --approximate -o ${scratch}/zonas.inf
    RESULT_VARIABLE status ERROR_QUIET)
if(NOT status EQUAL 0)
    message(FATAL_ERROR "zoneinf --all --approximate failed with ${status}")
endif()
same(zonas.inf ${scratch}/zonas.inf)

# A failure of the script when TEXT matches PATTERN; "@0@" names the match.
function(refuse text pattern what)
    if(text MATCHES "${pattern}")
        string(REPLACE "@0@" "${CMAKE_MATCH_0}" said "${what}")
        set(failures "${failures}  ${script}: ${said}\n" PARENT_SCOPE)
    endif()
endfunction()
foreach(script IN LISTS scripts)
    set(path ${scratch}/unpacked/${script})
    file(READ ${path} text)
    file(READ ${path} bytes HEX)
    string(REGEX REPLACE "(..)" "\\1 " bytes "${bytes}")
    string(REPLACE "0d 0a " "" without_crlf "${bytes}")
    # cmd.exe misreads labels in a batch file of bare LF line ends.
    refuse("${without_crlf}" "(^| )0a " "a line not ended by CR LF")
    # Windows PowerShell reads a script without a byte-order mark in the ANSI
    # code page, cmd.exe in the console's: ASCII reads the same in both.
    refuse("${bytes}" "(^| )[89a-f]. " "a byte outside ASCII")
    refuse("${text}" "@[A-Z_]+@" "@0@ not replaced")
    # No fixed zone: not in commands, not in comments either.
    refuse("${text}" "[A-Za-z.]+ Standard Time" "names a zone: @0@")
endforeach()
foreach(script zonechange-kit.cmd zonechange-kit.ps1)
    file(STRINGS ${scratch}/unpacked/${script} release_lines REGEX "[Rr]elease *= *[\"']?${release}[\"']?")
    if(NOT release_lines)
        string(APPEND failures "  ${script} does not carry the release ${release}\n")
    endif()
endforeach()

if(failures)
    message(FATAL_ERROR "${zip}:\n${failures}")
endif()
file(REMOVE_RECURSE ${scratch})
message(STATUS "${zip}: ${entries}")
