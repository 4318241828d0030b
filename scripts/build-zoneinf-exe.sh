#!/usr/bin/env bash
# Builds zoneinf.exe, and the kit's zip, carrying an IANA release for a
# fleet of Windows machines that has no Linux machine to run zoneinf on:
#   scripts/build-zoneinf-exe.sh tzdata2026f.tar.gz   (or its unpacked folder)
# The release's data files are compiled with the system's zic the way the
# Debian tree is (zic -b fat, and tzdata.zi with the release and the links)
# into build/win64-tzdata<release>/zoneinfo, and the win64 preset is built in
# build/win64-tzdata<release> with that tree built into zoneinf.exe
# (ZONEINF_ZONEINFO_DIR); the zips' names and zoneinf.exe --version name the
# release. JOBS sets the build's parallel jobs (default: the processors).
set -euo pipefail
if [ $# -ne 1 ]; then
    echo "usage: $0 TARBALL|FOLDER (an IANA release: tzdata2026f.tar.gz)" >&2
    exit 2
fi
source=$(realpath -e "$1")
cd "$(dirname "$0")/.."
root=$PWD

# The files zic compiles, as IANA's Makefile lists them (backzone left
# out, as its default build does); tzdata.zi stands in for them when
# none is there. They are taken from the top of the tarball or from its
# one top folder (tzdb-2026f/), each written out by this script under its
# own name: no member's path is ever used to write.
data_files=(africa antarctica asia australasia europe northamerica southamerica etcetera backward factory)
work=$(mktemp -d "${TMPDIR:-/tmp}/build-zoneinf-exe-XXXXXX")
trap 'rm -rf "$work"' EXIT
mkdir "$work/source"
take() {  # take NAME: the file NAME of the release into $work/source, if there
    local name=$1 member
    if [ -d "$source" ]; then
        if [ -f "$source/$name" ] && [ ! -L "$source/$name" ]; then
            cp -- "$source/$name" "$work/source/$name"
        fi
        return
    fi
    member=$(grep -E -m1 "^(\./)?([^/]+/)?$name\$" "$work/members" || true)
    if [ -n "$member" ]; then
        tar -xOf "$source" -- "$member" >"$work/source/$name"
    fi
}
if [ ! -d "$source" ]; then
    tar -tf "$source" >"$work/members" || { echo "$0: $1: not a readable tarball" >&2; exit 3; }
fi
take version
release=$(head -n 1 "$work/source/version" 2>/dev/null | tr -d '\r')
# zoneinf's one rule for a release's name.
release_pattern=$(sed -n 's/.*kTzdataReleasePattern\[\] = "\(.*\)";/\1/p' zoneinf/src/base/tzdata_release.h)
if ! [[ $release =~ $release_pattern ]]; then
    echo "$0: $1: no 'version' naming a release such as 2026f" >&2
    exit 3
fi
printf '%s\n' "$release" >"$work/source/version"
: >"$work/source/zones"
for name in "${data_files[@]}"; do
    take "$name"
    if [ -f "$work/source/$name" ]; then
        cat "$work/source/$name" >>"$work/source/zones"
    fi
done
if [ ! -s "$work/source/zones" ]; then
    take tzdata.zi
    [ -f "$work/source/tzdata.zi" ] && sed '1{/^# version /d}' "$work/source/tzdata.zi" >"$work/source/zones"
fi
if [ ! -s "$work/source/zones" ]; then
    echo "$0: $1: no data files (africa, europe... or tzdata.zi)" >&2
    exit 3
fi

build=$root/build/win64-tzdata$release
zic=$(command -v zic || echo /usr/sbin/zic)
mkdir -p "$build"
cmake -DZIC="$zic" -DSOURCE="$work/source" -DOUTPUT="$build/zoneinfo" \
    -P zoneinf/cmake/compile-test-database.cmake
echo "Compiled tzdata $release into $build/zoneinfo"

cmake --preset win64 -B "$build" -DZONEINF_ZONEINFO_DIR="$build/zoneinfo" >/dev/null
cmake --build "$build" --parallel "${JOBS:-$(nproc)}" --target zoneinf_zip kit
echo "zoneinf.exe carrying tzdata $release: $build/zoneinf.exe"
echo "Zips:"
ls -1 "$build"/*-tzdata"$release"-*.zip
