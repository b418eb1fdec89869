# Cross build for 32-bit Windows with MinGW-w64 (posix threads variant): the
# exe that runs on every Windows from 7 on, 32- or 64-bit. The Windows tests
# run on the 64-bit build; this one is checked end to end (scripts/test), so
# no GoogleTest here.
set(CMAKE_SYSTEM_PROCESSOR i686)
set(TOOLCHAIN_PREFIX i686-w64-mingw32)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-w64-common.cmake)
