# Cross-compiling the programs for 64-bit Windows with mingw-w64 against a Qt and libraries built
# for it (scripts/build-windows.sh): the toolchain of the Windows back ends, with the prefixes in
# VERDANIX_WINDOWS_PREFIXES (a ;-list, from the environment) searched as well. Qt's DLLs use the
# compiler's runtime DLLs, so the programs do too, rather than a static copy of their own.
include(${CMAKE_CURRENT_LIST_DIR}/mingw-w64.cmake)
list(APPEND CMAKE_FIND_ROOT_PATH $ENV{VERDANIX_WINDOWS_PREFIXES})
set(CMAKE_EXE_LINKER_FLAGS_INIT "")
