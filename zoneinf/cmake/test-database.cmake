# The tests' own time zone database, compiled at build time from
# tests/data/tzsource with the system's zic into the build folder:
#   ZONEINF_TEST_DATABASE  the compiled tree
#   ZONEINF_TEST_MAPPING   the part of CLDR's mapping for its zones
# and the target zoneinf_test_database that makes it. Included by each
# folder of tests that uses it; defined once per build.
set(ZONEINF_TEST_DATABASE ${CMAKE_BINARY_DIR}/test-zoneinfo)
set(ZONEINF_TEST_MAPPING ${CMAKE_CURRENT_LIST_DIR}/../tests/data/windowsZones.json)
if(NOT TARGET zoneinf_test_database)
    find_program(ZIC zic PATHS /usr/sbin /sbin REQUIRED)
    set(test_source ${CMAKE_CURRENT_LIST_DIR}/../tests/data/tzsource)
    add_custom_command(OUTPUT ${ZONEINF_TEST_DATABASE}/tzdata.zi
        COMMAND ${CMAKE_COMMAND} -DZIC=${ZIC} -DSOURCE=${test_source} -DOUTPUT=${ZONEINF_TEST_DATABASE}
            -P ${CMAKE_CURRENT_LIST_DIR}/compile-test-database.cmake
        DEPENDS ${test_source}/zones ${test_source}/version ${CMAKE_CURRENT_LIST_DIR}/compile-test-database.cmake
        COMMENT "Compiling the tests' time zone database")
    add_custom_target(zoneinf_test_database ALL DEPENDS ${ZONEINF_TEST_DATABASE}/tzdata.zi)
endif()
