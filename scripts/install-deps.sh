#!/usr/bin/env bash
# Installs, from Debian's packages, whatever the build and its tests need and
# the machine lacks, and upgrades tzdata to the newest release Debian offers
# (the tests, the .deb and zoneinf.exe's built-in copy use the machine's).
# Does nothing, and says nothing, when all is there.
# With --zonechange-only, only what the zonechange preset needs: CMake,
# g++, GoogleTest and the 32-bit MinGW-w64 compiler (no npm, Wine, zoneinf's
# libraries, pugixml's source, tzdata upgrade or locales).
#   scripts/install-deps.sh [--zonechange-only]
set -euo pipefail

zonechange_only=false
case ${1:-} in
--zonechange-only) zonechange_only=true ;;
"") ;;
*) echo "usage: scripts/install-deps.sh [--zonechange-only]" >&2; exit 2 ;;
esac

# zonechange.exe and settz.exe: the host's unit tests and the 32-bit build.
zonechange_packages=(cmake make g++ libgtest-dev googletest g++-mingw-w64-i686-win32 binutils-mingw-w64-i686)
# What the other presets add: zoneinf and zoneinf.exe, Wine, the fuzz build.
packages=(
    g++-mingw-w64-i686-posix
    g++-mingw-w64-x86-64-win32 g++-mingw-w64-x86-64-posix
    binutils-mingw-w64-x86-64
    wine64
    clang libclang-rt-14-dev
    tzdata unicode-cldr-core libpugixml-dev nlohmann-json3-dev libarchive-dev
    dpkg-dev file lintian man-db groff-base strace
    gettext locales zip time
)

sudo=()
[ "$(id -u)" -eq 0 ] || sudo=(sudo)
deps="$(cd "$(dirname "${BASH_SOURCE[0]}")/../deps" && pwd)"

missing=()
if $zonechange_only; then
    packages=("${zonechange_packages[@]}")
else
    packages+=("${zonechange_packages[@]}")
    mkdir -p "$deps/src"
    # npm brings CLDR's mapping; the machines come with Node.js and npm, which
    # Debian's npm package would conflict with, so it is only a fallback.
    command -v npm >/dev/null || missing+=(npm)
fi
for package in "${packages[@]}"; do
    if ! dpkg-query -W -f='${Status}\n' "$package" 2>/dev/null | grep -q '^install ok installed$'; then
        missing+=("$package")
    fi
done

# The package lists, refreshed when a package is missing or, for tzdata,
# when this script last refreshed them over an hour ago: a new tzdata
# release is known within the hour.
lists_stamp=$deps/src/apt-lists-refreshed
if ((${#missing[@]} > 0)) || { ! $zonechange_only && [ -z "$(find "$lists_stamp" -mmin -60 2>/dev/null)" ]; }; then
    if "${sudo[@]}" apt-get update -qq >/dev/null; then
        $zonechange_only || touch "$lists_stamp"
    else
        echo "install-deps.sh: apt-get update failed; going on with the package lists as they are" >&2
    fi
fi

if ((${#missing[@]} > 0)); then
    echo "Installing: ${missing[*]}"
    DEBIAN_FRONTEND=noninteractive "${sudo[@]}" apt-get install -y --no-install-recommends "${missing[@]}"
fi
$zonechange_only && exit 0

# tzdata: the newest release apt knows of, an upgrade even when installed.
installed=$(dpkg-query -W -f='${Version}' tzdata)
candidate=$(apt-cache policy tzdata | sed -n 's/^ *Candidate: //p')
if [ -n "$candidate" ] && [ "$candidate" != "(none)" ] && dpkg --compare-versions "$candidate" gt "$installed"; then
    echo "Upgrading tzdata $installed to $candidate"
    DEBIAN_FRONTEND=noninteractive "${sudo[@]}" apt-get install -y -qq --only-upgrade tzdata >/dev/null
fi

# CLDR's current Windows zone mapping, pinned by deps/package-lock.json
# (npm's cldr-core; Debian's unicode-cldr-core is an older release).
if [ ! -f "$deps/node_modules/cldr-core/supplemental/windowsZones.json" ]; then
    echo "Installing CLDR's mapping from npm into $deps"
    npm ci --prefix "$deps" --ignore-scripts --no-audit --no-fund
fi

# pugixml's source, for zoneinf.exe (MinGW-w64 has no pugixml package):
# Debian's own source package, fetched and verified by apt from the archive
# the machine's own sources name (scripts/deb-src-entry.sh writes the
# deb-src entry), with a source list, package lists and cache of its own,
# so the machine's apt configuration and state are left as they are.
src=$deps/src
if ! ls "$src"/pugixml_*.orig.tar.gz >/dev/null 2>&1; then
    echo "Fetching pugixml's Debian source into $src"
    rm -rf "$src/lists" "$src/cache" "$src/sources.list.d" "$src/sources.list"
    mkdir -p "$src/lists/partial" "$src/cache/archives/partial" "$src/sources.list.d"
    "$(dirname "${BASH_SOURCE[0]}")/deb-src-entry.sh" libpugixml-dev >"$src/sources.list.d/pugixml.sources"
    apt_options=(-o Dir::Etc::SourceList=/dev/null -o "Dir::Etc::SourceParts=$src/sources.list.d"
                 -o "Dir::State::Lists=$src/lists" -o "Dir::Cache=$src/cache")
    apt-get "${apt_options[@]}" update -qq >/dev/null
    (cd "$src" && apt-get "${apt_options[@]}" source --download-only pugixml >/dev/null)
fi

# Spanish locales, for the test that zoneinf speaks Spanish there (Spain's
# and Paraguay's): added to Debian's list of generated locales, as
# dpkg-reconfigure locales would.
for spanish in es_ES es_PY; do
    locale -a 2>/dev/null | grep -qix "$spanish.utf-\?8" && continue
    echo "Generating the $spanish.UTF-8 locale"
    if grep -q "^# *$spanish.UTF-8 UTF-8" /etc/locale.gen; then
        "${sudo[@]}" sed -i "s/^# *\($spanish.UTF-8 UTF-8\)/\1/" /etc/locale.gen
    elif ! grep -q "^$spanish.UTF-8 UTF-8" /etc/locale.gen; then
        echo "$spanish.UTF-8 UTF-8" | "${sudo[@]}" tee -a /etc/locale.gen >/dev/null
    fi
    "${sudo[@]}" locale-gen
done
