#!/usr/bin/env bash
# Prints, in the deb822 form of sources.list(5), the deb-src entry that
# fetches the source of BINARY_PACKAGE from the machine's own archive: for
# each suite whose main component offers the package (as apt-cache madison
# reports it), the URI, suite and Signed-By of the configured "deb" entry
# that names it. Reads the one-line sources.list and the deb822 *.sources
# files where apt-config says they are (APT_CONFIG is honoured); changes
# nothing. Exit status 1 when no configured suite offers the package.
#   deb-src-entry.sh BINARY_PACKAGE
set -euo pipefail
package=$1

eval "$(apt-config shell list Dir::Etc::sourcelist/f parts Dir::Etc::sourceparts/d)"
files=()
[ -f "${list:-}" ] && files+=("$list")
for file in "${parts:-/nonexistent}"/*.list "${parts:-/nonexistent}"/*.sources; do
    [ -f "$file" ] && files+=("$file")
done

# One line per configured "deb" entry and suite: URI, suite, components
# and Signed-By, separated by tabs (the URI without a trailing slash; the
# lines of a Signed-By that holds a key joined by \037).
entries() {
    local file
    for file in ${files[@]+"${files[@]}"}; do
        case $file in
        *.sources) awk -f - "$file" <<'AWK' ;;
function flush(   n, i, uris, suites) {
    if (types ~ /(^| )deb( |$)/ && tolower(enabled) != "no") {
        n = split(uri_field, uris, /[ \t]+/)
        split(suite_field, suites, /[ \t]+/)
        for (i = 1; i <= n; i++)
            for (s in suites)
                if (uris[i] != "" && suites[s] != "") {
                    sub(/\/+$/, "", uris[i])
                    printf "%s\t%s\t%s\t%s\n", uris[i], suites[s], components, signed_by
                }
    }
    types = uri_field = suite_field = components = signed_by = enabled = field = ""
}
/^#/ { next }
/^[ \t]*$/ { flush(); next }
/^[ \t]/ {  # a continued field: only Signed-By's key spans lines
    if (field == "signed-by") signed_by = signed_by "\037" $0
    next
}
{
    field = tolower(substr($0, 1, index($0, ":") - 1))
    value = substr($0, index($0, ":") + 1)
    gsub(/^[ \t]+|[ \t]+$/, "", value)
    if (field == "types") types = value
    else if (field == "uris") uri_field = value
    else if (field == "suites") suite_field = value
    else if (field == "components") components = value
    else if (field == "signed-by") signed_by = value
    else if (field == "enabled") enabled = value
}
END { flush() }
AWK
        *) awk '
/^[ \t]*deb[ \t]/ {
    sub(/#.*/, "")
    signed_by = ""
    if (match($0, /\[[^]]*\]/)) {  # options: [arch=amd64 signed-by=/usr/share/keyrings/x.gpg]
        n = split(substr($0, RSTART + 1, RLENGTH - 2), options, /[ \t]+/)
        for (i = 1; i <= n; i++)
            if (options[i] ~ /^signed-by=/) signed_by = substr(options[i], 11)
        $0 = substr($0, 1, RSTART - 1) substr($0, RSTART + RLENGTH)
    }
    if (NF < 3) next
    uri = $2
    sub(/\/+$/, "", uri)
    components = ""
    for (i = 4; i <= NF; i++) components = components (i > 4 ? " " : "") $i
    printf "%s\t%s\t%s\t%s\n", uri, $3, components, signed_by
}' "$file" ;;
        esac
    done
}

# "URI SUITE" for each suite whose main component offers the package, e.g.
# "http://deb.debian.org/debian bookworm" from
# " libpugixml-dev | 1.13-0.2 | http://deb.debian.org/debian bookworm/main amd64 Packages".
offered=$(apt-cache madison "$package" 2>/dev/null |
    awk -F'|' '{ split($3, where, " "); uri = where[1]; sub(/\/+$/, "", uri)
                 n = split(where[2], parts, "/")
                 if (parts[n] == "main" && n > 1) { suite = parts[1]; for (i = 2; i < n; i++) suite = suite "/" parts[i]; print uri " " suite } }' |
    sort -u)

found=0
while IFS=$'\t' read -r uri suite components signed_by; do
    # Plain tokens only: whatever the files hold, one entry per line of ours.
    [[ $uri =~ ^[a-z+]+://[^[:space:][:cntrl:]]+$ && $suite =~ ^[^[:space:][:cntrl:]]+$ ]] || continue
    grep -qxF "$uri $suite" <<<"$offered" || continue
    [[ " $components " == *" main "* ]] || continue
    ((found > 0)) && echo
    printf 'Types: deb-src\nURIs: %s\nSuites: %s\nComponents: main\n' "$uri" "$suite"
    if [ -n "$signed_by" ]; then
        # A key held in the field starts on the next line: no blank after the colon.
        [[ $signed_by == $'\037'* ]] || signed_by=" $signed_by"
        printf 'Signed-By:%s\n' "${signed_by//$'\037'/$'\n'}"
    fi
    found=$((found + 1))
done < <(entries | sort -u -t$'\t' -k1,2)

if ((found == 0)); then
    echo "deb-src-entry.sh: no configured apt source offers $package in a main component" >&2
    exit 1
fi
