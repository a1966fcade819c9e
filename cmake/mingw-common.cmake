# Shared part of the MinGW-w64 toolchain files; VELIX_TRIPLE names the target.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_C_COMPILER ${VELIX_TRIPLE}-gcc-posix)
set(CMAKE_CXX_COMPILER ${VELIX_TRIPLE}-g++-posix)
set(CMAKE_RC_COMPILER ${VELIX_TRIPLE}-windres)

# Dependencies come from Debian's MinGW packages (zlib) and from the local prefix that
# scripts/build-deps.sh fills; VELIX_DEPS_PREFIX in the environment overrides the latter.
if(DEFINED ENV{VELIX_DEPS_PREFIX})
  set(velixDepsPrefix $ENV{VELIX_DEPS_PREFIX})
else()
  get_filename_component(velixDepsPrefix "${CMAKE_CURRENT_LIST_DIR}/../.deps/${VELIX_ARCH}" ABSOLUTE)
endif()
set(CMAKE_FIND_ROOT_PATH /usr/${VELIX_TRIPLE} ${velixDepsPrefix})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# Test programs run under Wine with the bench's prefix and environment.
set(CMAKE_CROSSCOMPILING_EMULATOR ${CMAKE_CURRENT_LIST_DIR}/../scripts/wine-exec)
