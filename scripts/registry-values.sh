# Sourced by the tests that compare registry exports (zoneinf's undo under
# Wine, the kit's scripts under Wine):
#   registry_values FILE...  the values of 'reg export' files (UTF-16 with
#                            its byte-order mark) as sorted lines, "[key]"
#                            for each key and "[key]|value" for each value,
#                            continuation lines joined: equal lists mean
#                            equal keys and values, whatever their order
registry_values() {
    local file
    for file in "$@"; do
        iconv -f UTF-16 -t UTF-8 "$file" | tr -d '\r'
        echo
    done | awk '/\\$/ { sub(/\\$/, ""); held = held $0; next }
                { line = held $0; held = ""; sub(/^ +/, "", line) }
                line ~ /^\[/ { key = line; print key; next }
                line != "" && key != "" && line !~ /^Windows Registry Editor/ { print key "|" line }' |
        LC_ALL=C sort
}
