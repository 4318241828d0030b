# Wine, which runs the tests' Windows programs: ZONECHANGE_WINE is its
# loader, and its wineserver lies beside it. ZONECHANGE_WINE_ENVIRONMENT
# hands both to the test scripts, as WINE and WINESERVER, the names
# scripts/wine-tool-folder.sh reads (and Wine's own for its server).
set(ZONECHANGE_WINE /usr/lib/wine/wine64 CACHE FILEPATH "Wine's 64-bit loader, for the tests under Wine")
cmake_path(GET ZONECHANGE_WINE PARENT_PATH wine_folder)
set(ZONECHANGE_WINESERVER ${wine_folder}/wineserver)
set(ZONECHANGE_WINE_ENVIRONMENT WINE=${ZONECHANGE_WINE} WINESERVER=${ZONECHANGE_WINESERVER})
