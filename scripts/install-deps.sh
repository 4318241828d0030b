#!/usr/bin/env bash
# Installs, from Debian's packages, whatever the build and its tests need and
# the machine lacks. Does nothing when all is there.
set -euo pipefail

packages=(
    cmake make g++ libgtest-dev googletest
    g++-mingw-w64-i686-win32 g++-mingw-w64-i686-posix
    g++-mingw-w64-x86-64-win32 g++-mingw-w64-x86-64-posix
    binutils-mingw-w64-i686 binutils-mingw-w64-x86-64
    wine64
    clang libclang-rt-14-dev
    tzdata unicode-cldr-core libpugixml-dev nlohmann-json3-dev
    dpkg-dev file lintian man-db groff-base strace
    gettext locales
)

missing=()
# npm brings CLDR's mapping; the machines come with Node.js and npm, which
# Debian's npm package would conflict with, so it is only a fallback.
command -v npm >/dev/null || missing+=(npm)
for package in "${packages[@]}"; do
    if ! dpkg-query -W -f='${Status}\n' "$package" 2>/dev/null | grep -q '^install ok installed$'; then
        missing+=("$package")
    fi
done

if ((${#missing[@]} > 0)); then
    echo "Installing: ${missing[*]}"
    sudo=()
    [ "$(id -u)" -eq 0 ] || sudo=(sudo)
    "${sudo[@]}" apt-get update
    DEBIAN_FRONTEND=noninteractive "${sudo[@]}" apt-get install -y --no-install-recommends "${missing[@]}"
fi

# CLDR's current Windows zone mapping, pinned by deps/package-lock.json
# (npm's cldr-core; Debian's unicode-cldr-core is an older release).
deps="$(cd "$(dirname "${BASH_SOURCE[0]}")/../deps" && pwd)"
if [ ! -f "$deps/node_modules/cldr-core/supplemental/windowsZones.json" ]; then
    echo "Installing CLDR's mapping from npm into $deps"
    npm ci --prefix "$deps" --ignore-scripts --no-audit --no-fund
fi

# pugixml's source, for zoneinf.exe (MinGW-w64 has no pugixml package):
# Debian's own source package, fetched and verified by apt with a source
# list of its own, so the machine's apt configuration is left as it is.
src="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)/deps/src"
if ! ls "$src"/pugixml_*.orig.tar.gz >/dev/null 2>&1; then
    echo "Fetching pugixml's Debian source into $src"
    mkdir -p "$src/lists/partial"
    echo 'deb-src http://deb.debian.org/debian bookworm main' >"$src/sources.list"
    apt_options=(-o "Dir::Etc::SourceList=$src/sources.list" -o Dir::Etc::SourceParts=/dev/null
                 -o "Dir::State::Lists=$src/lists")
    apt-get "${apt_options[@]}" update >/dev/null
    (cd "$src" && apt-get "${apt_options[@]}" source --download-only pugixml >/dev/null)
fi

# Spanish locales, for the test that zoneinf speaks Spanish there (Spain's
# and Paraguay's): added to Debian's list of generated locales, as
# dpkg-reconfigure locales would.
for spanish in es_ES es_PY; do
    locale -a 2>/dev/null | grep -qix "$spanish.utf-\?8" && continue
    echo "Generating the $spanish.UTF-8 locale"
    sudo=()
    [ "$(id -u)" -eq 0 ] || sudo=(sudo)
    if grep -q "^# *$spanish.UTF-8 UTF-8" /etc/locale.gen; then
        "${sudo[@]}" sed -i "s/^# *\($spanish.UTF-8 UTF-8\)/\1/" /etc/locale.gen
    elif ! grep -q "^$spanish.UTF-8 UTF-8" /etc/locale.gen; then
        echo "$spanish.UTF-8 UTF-8" | "${sudo[@]}" tee -a /etc/locale.gen >/dev/null
    fi
    "${sudo[@]}" locale-gen
done
