# The kit's one version number: zonechange.exe's, settz.exe's and zoneinf's,
# their packages' and zips'. Read before project() by the top project and by
# zoneinf's, which is also built on its own.
set(ZONECHANGE_VERSION 1.0.0)
