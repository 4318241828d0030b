# cmake --build --preset zoneinf --target package makes
# zoneinf_<version>_amd64.deb: the optimised binary in /usr/bin, the manual
# page in English and Spanish, the Spanish catalogue of its messages, and
# the user's README, licences and changelog under /usr/share/doc/zoneinf.
# CLDR's Windows zone mapping is built into the binary. Dependencies:
# tzdata, which it reads, and the shared libraries it links, as
# dpkg-shlibdeps finds them.
include(GNUInstallDirs)

# Debian's usual hardening.
target_compile_options(zoneinf_core PRIVATE -D_FORTIFY_SOURCE=2 -fstack-protector-strong)
target_compile_options(zoneinf PRIVATE -D_FORTIFY_SOURCE=2 -fstack-protector-strong)
target_link_options(zoneinf PRIVATE -Wl,-z,relro -Wl,-z,now)

# Compressed as Debian policy wants, without a timestamp.
set(package_docs ${CMAKE_CURRENT_BINARY_DIR}/package-docs)
file(MAKE_DIRECTORY ${package_docs})
foreach(document doc/zoneinf.1 doc/zoneinf.es.1 doc/changelog)
    get_filename_component(name ${document} NAME)
    add_custom_command(OUTPUT ${package_docs}/${name}.gz
        COMMAND gzip -9n -c ${CMAKE_CURRENT_SOURCE_DIR}/${document} > ${package_docs}/${name}.gz
        DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/${document})
    list(APPEND compressed_docs ${package_docs}/${name}.gz)
endforeach()
add_custom_target(package_docs ALL DEPENDS ${compressed_docs})

# debian/copyright: zoneinf's own, then the mapping's (built into the
# binary from the source tree's copy), under the Unicode licence that comes
# with it (cldr-core's LICENSE), in the copyright format's layout (each
# line indented, blank lines as " .").
get_filename_component(cldr_core ${ZONEINF_WINDOWS_ZONES_JSON} DIRECTORY)
get_filename_component(cldr_core ${cldr_core} DIRECTORY)
file(READ ${CMAKE_CURRENT_SOURCE_DIR}/doc/copyright zoneinf_copyright)
file(STRINGS ${cldr_core}/LICENSE unicode_licence ENCODING UTF-8)
set(unicode_copyright "Unicode, Inc.")
foreach(line IN LISTS unicode_licence)
    if(line MATCHES "^Copyright [^0-9]*([0-9].*)$")
        set(unicode_copyright "${CMAKE_MATCH_1}")
    endif()
endforeach()
string(CONCAT unicode_stanza "\nFiles: deps/node_modules/cldr-core/supplemental/windowsZones.json\n"
    "Copyright: ${unicode_copyright}\n"
    "Comment: CLDR's Windows zone mapping, from npm's cldr-core, built into /usr/bin/zoneinf.\n"
    "License: Unicode-3.0\n")
foreach(line IN LISTS unicode_licence)
    if(line STREQUAL "")
        string(APPEND unicode_stanza " .\n")
    else()
        string(APPEND unicode_stanza " ${line}\n")
    endif()
endforeach()
file(WRITE ${package_docs}/copyright "${zoneinf_copyright}${unicode_stanza}")

install(TARGETS zoneinf RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
install(FILES ${package_docs}/zoneinf.1.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
install(FILES ${package_docs}/zoneinf.es.1.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/es/man1 RENAME zoneinf.1.gz)
install(FILES ${ZONEINF_SPANISH_CATALOGUE} DESTINATION ${CMAKE_INSTALL_LOCALEDIR}/es/LC_MESSAGES)
install(FILES doc/README.md ${package_docs}/copyright ${package_docs}/changelog.gz DESTINATION ${CMAKE_INSTALL_DOCDIR})

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME zoneinf)
set(CPACK_PACKAGE_VENDOR "The zonechange developers")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "Windows time-zone definitions from the IANA time zone database")
set(CPACK_PACKAGE_DESCRIPTION "zoneinf writes the TZI and Dynamic DST records Windows computes local time
from, for any IANA zone, as an INF file that zonechange.exe applies. Each
record is proven against the database before it is written. It also checks
the records exported from Windows machines (reg export) and lists the zones
that are stale.")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "The zonechange developers <zonechange-dev@lists.example.org>")
set(CPACK_DEBIAN_PACKAGE_SECTION utils)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_DEPENDS "tzdata")
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_STRIP_FILES ON)
set(CPACK_PACKAGE_DIRECTORY ${CMAKE_BINARY_DIR})
include(CPack)
