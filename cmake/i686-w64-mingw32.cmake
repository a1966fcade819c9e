set(VELIX_TRIPLE i686-w64-mingw32)
set(VELIX_ARCH i686)
set(CMAKE_SYSTEM_PROCESSOR x86)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-common.cmake)
