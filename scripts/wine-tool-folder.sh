# Sourced by the demo, the benchmarks and the tests under Wine: Wine's
# loader and server, a Wine prefix of their own and a folder holding the
# tool as it is deployed, beside the example INF and the test stand-in for
# settz.exe (built by the win64 preset).
#   $wine, $wineserver        WINE and WINESERVER from the environment (the
#                             build's ZONECHANGE_WINE gives them to the
#                             tests), else Debian's wine64 and the server
#                             beside the loader
#   use_wine_prefix DIR       exports WINEPREFIX=DIR
#   stage_tool_folder DIR     empties DIR and copies the tool and its files in

wine=${WINE:-/usr/lib/wine/wine64}
wineserver=${WINESERVER:-$(dirname "$wine")/wineserver}

use_wine_prefix() {
    export WINEPREFIX="$1" WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
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
