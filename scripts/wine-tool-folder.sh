# Sourced by the demo and the benchmark: a Wine prefix of their own and a
# folder holding the tool as it is deployed, beside the example INF and the
# test stand-in for settz.exe (built by the win64 preset).
#   use_wine_prefix DIR       exports WINEPREFIX=DIR and sets $wine
#   stage_tool_folder DIR     empties DIR and copies the tool and its files in

use_wine_prefix() {
    export WINEPREFIX="$1" WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
    wine=/usr/lib/wine/wine64
    if [ ! -d "$WINEPREFIX" ]; then
        echo "Creating a Wine prefix in $WINEPREFIX (a few seconds)..."
        "$wine" wineboot --init >/dev/null 2>&1
    fi
}

stage_tool_folder() {
    rm -rf "$1"
    mkdir -p "$1"
    cp build/win64/zonechange.exe build/win64/e2e-bin/settz.exe examples/zona.inf "$1/"
}
