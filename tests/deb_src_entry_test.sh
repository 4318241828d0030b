#!/usr/bin/env bash
# scripts/deb-src-entry.sh on scratch apt configurations, one-line and
# deb822: the entry it prints for each, against a stand-in apt-cache that
# answers madison as apt does.
# Usage: deb_src_entry_test.sh WORK_DIR
set -u
work=$1
script=$(cd "$(dirname "$0")/../scripts" && pwd)/deb-src-entry.sh
. "$(dirname "$0")/../scripts/check-lines.sh"
rm -rf "$work"
mkdir -p "$work/bin"
cat >"$work/bin/apt-cache" <<'EOF'
#!/bin/sh
[ "$1" = madison ] && [ "$2" = libpugixml-dev ] && printf '%s\n' "$MADISON"
EOF
chmod +x "$work/bin/apt-cache"

# case NAME: a fresh configuration; its sources come from the case's body.
setup() {
    rm -rf "$work/etc"
    mkdir -p "$work/etc/parts"
    printf 'Dir::Etc::sourcelist "%s";\nDir::Etc::sourceparts "%s";\n' "$work/etc/sources.list" "$work/etc/parts" \
        >"$work/etc/apt.conf"
}
entry() { APT_CONFIG=$work/etc/apt.conf PATH=$work/bin:$PATH "$script" libpugixml-dev 2>"$work/err"; }
prints() { # EXPECTED: the script succeeds and prints exactly that
    local output
    output=$(entry) || { cat "$work/err"; return 1; }
    [ "$output" = "$1" ] || { diff <(echo "$1") <(echo "$output") | sed 's/^/        | /'; return 1; }
}
refuses() { ! entry >/dev/null && grep -q 'no configured apt source offers libpugixml-dev' "$work/err"; }

bookworm=' libpugixml-dev |   1.13-0.2 | http://deb.debian.org/debian bookworm/main amd64 Packages'
debian_entry='Types: deb-src
URIs: http://deb.debian.org/debian
Suites: bookworm
Components: main'

setup
cat >"$work/etc/parts/debian.sources" <<'EOF'
Types: deb
# http://snapshot.debian.org/archive/debian/20250520T000000Z
URIs: http://deb.debian.org/debian
Suites: bookworm bookworm-updates
Components: main
Signed-By: /usr/share/keyrings/debian-archive-keyring.gpg

Types: deb
URIs: http://deb.debian.org/debian-security
Suites: bookworm-security
Components: main
Signed-By: /usr/share/keyrings/debian-archive-keyring.gpg
EOF
MADISON=$bookworm check "deb822: the suite that offers it, with its Signed-By" \
    prints "$debian_entry
Signed-By: /usr/share/keyrings/debian-archive-keyring.gpg"

setup
cat >"$work/etc/sources.list" <<'EOF'
# the archive, behind a local mirror
deb [arch=amd64 signed-by=/etc/apt/keyrings/mirror.gpg] http://mirror.example/debian/ bookworm main contrib
deb-src http://mirror.example/debian bookworm main
deb http://mirror.example/debian-security bookworm-security main
EOF
MADISON=' libpugixml-dev |   1.13-0.2 | http://mirror.example/debian bookworm/main amd64 Packages' \
    check "one-line: the mirror's URI, its options' signed-by" prints "Types: deb-src
URIs: http://mirror.example/debian
Suites: bookworm
Components: main
Signed-By: /etc/apt/keyrings/mirror.gpg"

setup
printf 'deb http://deb.debian.org/debian bookworm main\n' >"$work/etc/sources.list"
MADISON=$bookworm check "one-line without options: no Signed-By" prints "$debian_entry"

setup
cat >"$work/etc/parts/embedded.sources" <<'EOF'
Types: deb deb-src
URIs: http://deb.debian.org/debian
Suites: bookworm
Components: main non-free
Signed-By:
 -----BEGIN PGP PUBLIC KEY BLOCK-----
 .
 mDMEZ0000000000000000000000000000000000000000000000
 -----END PGP PUBLIC KEY BLOCK-----
EOF
MADISON=$bookworm check "deb822: a key held in Signed-By is kept line for line" prints "$debian_entry
Signed-By:
 -----BEGIN PGP PUBLIC KEY BLOCK-----
 .
 mDMEZ0000000000000000000000000000000000000000000000
 -----END PGP PUBLIC KEY BLOCK-----"

setup
cat >"$work/etc/parts/debian.sources" <<'EOF'
Enabled: no
Types: deb
URIs: http://deb.debian.org/debian
Suites: bookworm
Components: main
EOF
printf 'deb http://deb.debian.org/debian bookworm contrib\n' >"$work/etc/sources.list"
MADISON=$bookworm check "a disabled entry, or one without main, offers nothing" refuses

setup
printf 'deb http://deb.debian.org/debian bookworm main\n' >"$work/etc/sources.list"
MADISON=' libpugixml-dev |   1.13-0.2 | http://deb.debian.org/debian bookworm/contrib amd64 Packages' \
    check "a package found only outside main is refused" refuses
MADISON='' check "no suite offers it: status 1 and one line" refuses

report_checks
