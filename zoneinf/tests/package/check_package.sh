#!/usr/bin/env bash
# One check of the built Debian package, by name (the Spanish manual page
# and catalogue with the English ones):
#   check_package.sh CHECK DEB UNPACKED_DIR VERSION
set -euo pipefail
check=$1 deb=$2 unpacked=$3 version=$4

if [ ! -f "$deb" ]; then
    echo "no $deb: build it with cmake --build --preset zoneinf --target package" >&2
    exit 1
fi
binary=$unpacked/usr/bin/zoneinf
manual=$unpacked/usr/share/man/man1/zoneinf.1.gz
spanish_manual=$unpacked/usr/share/man/es/man1/zoneinf.1.gz

# The long options a text lists, one per line, sorted.
long_options() { grep -oE -- '--[a-z][a-z-]*' | sort -u; }

case $check in
unpacked_binary_runs)
    rm -rf "$unpacked"
    dpkg -x "$deb" "$unpacked"
    # It runs from anywhere: the mapping is built in, the database is the
    # system's.
    "$binary" --version
    [ "$("$binary" --version | head -n 1)" = "zoneinf $version" ]
    "$binary" --version | grep -qx "tzdata $(sed -n '1s/^# version //p' /usr/share/zoneinfo/tzdata.zi) (/usr/share/zoneinfo)"
    "$binary" --version | grep -qx 'CLDR [0-9.]* (windowsZones.json, built in)'
    "$binary" UTC --from 2026 | grep -q $'^;   Etc/UTC -> UTC\r$'
    ;;
contents)
    dpkg-deb -c "$deb"
    listing=$(dpkg-deb -c "$deb" | awk '{print $6}')
    for path in ./usr/bin/zoneinf ./usr/share/man/man1/zoneinf.1.gz ./usr/share/man/es/man1/zoneinf.1.gz \
        ./usr/share/locale/es/LC_MESSAGES/zoneinf.mo ./usr/share/doc/zoneinf/README.md \
        ./usr/share/doc/zoneinf/copyright ./usr/share/doc/zoneinf/changelog.gz; do
        grep -qxF "$path" <<<"$listing" || { echo "missing: $path" >&2; exit 1; }
    done
    # The mapping is in the binary, not beside it.
    ! grep -q windowsZones <<<"$listing"
    # The user's README, not the developer's; the mapping's licence.
    dpkg-deb --fsys-tarfile "$deb" | tar -xO ./usr/share/doc/zoneinf/README.md | grep -q 'zoneinf --check' &&
        ! dpkg-deb --fsys-tarfile "$deb" | tar -xO ./usr/share/doc/zoneinf/README.md | grep -qE 'src/|cmake'
    dpkg-deb --fsys-tarfile "$deb" | tar -xO ./usr/share/doc/zoneinf/copyright | grep -q '^License: Unicode-3.0$'
    # Optimised and stripped, with no sanitizer runtime.
    ! readelf -d "$binary" | grep -E 'libasan|libubsan'
    ! readelf -S "$binary" | grep -q '\.debug_info'
    ;;
depends)
    depends=$(dpkg-deb -f "$deb" Depends)
    echo "Depends: $depends"
    ! tr ',' '\n' <<<"$depends" | awk '{print $1}' | grep -qxF unicode-cldr-core
    for package in tzdata libc6 libstdc++6 libpugixml1v5 libarchive13; do
        tr ',' '\n' <<<"$depends" | awk '{print $1}' | grep -qxF "$package" ||
            { echo "no dependency on $package" >&2; exit 1; }
    done
    [ "$(dpkg-deb -f "$deb" Version)" = "$version" ]
    ;;
lintian)
    lintian --fail-on error --display-level '>=warning' "$deb"
    ;;
manual_page)
    for page in "$manual" "$spanish_manual"; do
        warnings=$(MANWIDTH=80 man --warnings -l "$page" 2>&1 >/dev/null)
        [ -z "$warnings" ] || { echo "$page: $warnings" >&2; exit 1; }
    done
    MANWIDTH=80 man -l "$manual" 2>/dev/null | grep -q '^EXIT STATUS'
    MANWIDTH=80 LC_ALL=C.UTF-8 man -l "$spanish_manual" 2>/dev/null | grep -q '^ESTADO DE SALIDA'
    ;;
help_matches_manual_page)
    from_help=$("$binary" --help | long_options)
    from_page=$(zcat "$manual" | sed -n '/^\.SH OPTIONS/,/^\.SH/p' | sed 's/\\-/-/g' | long_options)
    from_spanish_page=$(zcat "$spanish_manual" | sed -n '/^\.SH OPCIONES/,/^\.SH/p' | sed 's/\\-/-/g' | long_options)
    # The packaged catalogue's --help, as a Spanish locale shows it.
    from_catalogue=$(msgunfmt "$unpacked/usr/share/locale/es/LC_MESSAGES/zoneinf.mo" |
        awk '/^"Usage: zoneinf/ {usage = 1}
             usage == 1 && /^msgstr/ {usage = 2}
             usage == 2 && !/^(msgstr|")/ {usage = 3}
             usage == 2' |
        long_options)
    echo "--help:                $(echo $from_help)"
    echo "manual page:           $(echo $from_page)"
    echo "Spanish manual page:   $(echo $from_spanish_page)"
    echo "Spanish --help:        $(echo $from_catalogue)"
    [ -n "$from_help" ] && [ "$from_help" = "$from_page" ] && [ "$from_help" = "$from_spanish_page" ] &&
        [ "$from_help" = "$from_catalogue" ]
    ;;
*)
    echo "unknown check $check" >&2
    exit 2
    ;;
esac
