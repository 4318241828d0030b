# cmake -DZIC=PROGRAM -DSOURCE=DIR -DOUTPUT=DIR -P compile-test-database.cmake
# (the tests' own database; scripts/build-zoneinf-exe.sh compiles a release
# for zoneinf.exe with it too)
# Compiles the tests' own time zone database, SOURCE/zones with SOURCE/version
# (tests/data/tzsource), with the system's zic into OUTPUT, the way Debian's
# tree is made: TZif files (-b fat), and tzdata.zi, the source with the
# release on its first line and links as "L TARGET LINK". Made in a fresh
# folder and moved into place whole.
file(STRINGS ${SOURCE}/version release LIMIT_COUNT 1)
file(REMOVE_RECURSE ${OUTPUT}.new)
execute_process(COMMAND ${ZIC} -b fat -d ${OUTPUT}.new ${SOURCE}/zones
    RESULT_VARIABLE status ERROR_VARIABLE errors)
if(NOT status EQUAL 0)
    message(FATAL_ERROR "zic failed on ${SOURCE}/zones:\n${errors}")
endif()
file(READ ${SOURCE}/zones source)
string(REGEX REPLACE "(^|\n)Link\t" "\\1L\t" source "${source}")
file(WRITE ${OUTPUT}.new/tzdata.zi "# version ${release}\n${source}")
file(REMOVE_RECURSE ${OUTPUT})
file(RENAME ${OUTPUT}.new ${OUTPUT})
