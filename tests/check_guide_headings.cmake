# The user's guide and its Spanish translation keep in step: the same
# numbered sections ("3. Exit status" / "3. Código de salida"), each
# underlined with '-', in the same order, under one title underlined
# with '='.
# -DENGLISH=docs/USER-GUIDE.txt -DSPANISH=docs/GUIA-DE-USO.txt
cmake_minimum_required(VERSION 3.25)

# "title|=;1|-;2|-;..." for a guide: its headings, by section number.
function(guide_outline file result)
    file(STRINGS ${file} lines ENCODING UTF-8)
    set(outline "")
    set(previous "")
    foreach(line IN LISTS lines)
        if(line MATCHES "^(=+|-+)$" AND NOT previous STREQUAL "")
            string(SUBSTRING "${line}" 0 1 underline)
            if(underline STREQUAL "=")
                list(APPEND outline "title|=")
            elseif(previous MATCHES "^([0-9]+)\\. [^ ]")
                list(APPEND outline "${CMAKE_MATCH_1}|-")
            else()
                message(FATAL_ERROR "${file}: heading \"${previous}\" has no section number, as in \"3. Exit status\"")
            endif()
        endif()
        set(previous "${line}")
    endforeach()
    set(${result} "${outline}" PARENT_SCOPE)
endfunction()

guide_outline(${ENGLISH} english)
guide_outline(${SPANISH} spanish)
list(LENGTH english count)
if(count LESS 3)
    message(FATAL_ERROR "${ENGLISH}: only ${count} headings found")
endif()
# Sections numbered 1, 2, 3... in order.
set(expected "title|=")
math(EXPR sections "${count} - 1")
foreach(number RANGE 1 ${sections})
    list(APPEND expected "${number}|-")
endforeach()
if(NOT english STREQUAL expected)
    message(FATAL_ERROR "${ENGLISH}: sections are not numbered 1 to ${sections} in order: ${english}")
endif()
if(NOT spanish STREQUAL english)
    message(FATAL_ERROR "${SPANISH} and ${ENGLISH} differ in their sections:\n  ${spanish}\n  ${english}")
endif()
message(STATUS "${count} headings in step")
