# Included by the scripts that read a compiled tree for the program to carry.
cmake_policy(SET CMP0009 NEW)  # links are listed, not followed (the function keeps this)

# zoneinfo_files_built_in(DIR OUT): the names, in order, of the files of the
# tree DIR that are built in: every TZif file and tzdata.zi, not right/ and
# posix/ (the leap-second and duplicate trees) nor localtime (the machine's
# own zone).
function(zoneinfo_files_built_in zoneinfo out)
    file(GLOB_RECURSE files RELATIVE ${zoneinfo} LIST_DIRECTORIES false ${zoneinfo}/*)
    list(SORT files)
    set(kept "")
    foreach(name IN LISTS files)
        if(name MATCHES "^(right|posix)/" OR name STREQUAL "localtime")
            continue()
        endif()
        file(READ ${zoneinfo}/${name} magic LIMIT 4 HEX)
        if(magic STREQUAL "545a6966" OR name STREQUAL "tzdata.zi")
            list(APPEND kept ${name})
        endif()
    endforeach()
    set(${out} ${kept} PARENT_SCOPE)
endfunction()
