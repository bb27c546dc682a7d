# Cross build for 32-bit Windows: the host's automation server is 32-bit, and in-process
# objects must match its bitness.
set(VELMORA_MINGW_ARCH i686)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-common.cmake)
