# Cross build for 64-bit Windows, for the Wine tests on machines that run no 32-bit code; the
# product itself is the 32-bit build.
set(VELMORA_MINGW_ARCH x86_64)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-common.cmake)
