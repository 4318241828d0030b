# 64-bit Windows, the build the end-to-end tests run under Wine. The posix
# thread model gives GoogleTest the std::mutex it needs.
set(CMAKE_SYSTEM_PROCESSOR AMD64)
set(MINGW_TRIPLET x86_64-w64-mingw32)
set(MINGW_THREADS posix)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-common.cmake)
