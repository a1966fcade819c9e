# Finds libsodium as the imported target Sodium::Sodium, linked statically: on Linux
# scripts/build-sodium.sh builds it into .deps/<arch> (the toolchain files search there),
# on Windows MSYS2's mingw-w64-i686-libsodium provides it. The static archive is preferred
# to an import library, so that the program needs no libsodium DLL.
find_path(SODIUM_INCLUDE_DIR sodium.h)
find_library(SODIUM_LIBRARY NAMES libsodium.a sodium)

include(FindPackageHandleStandardArgs)
find_package_handle_standard_args(Sodium REQUIRED_VARS SODIUM_LIBRARY SODIUM_INCLUDE_DIR)

if(Sodium_FOUND AND NOT TARGET Sodium::Sodium)
  add_library(Sodium::Sodium STATIC IMPORTED)
  # SODIUM_STATIC keeps the headers from declaring the functions as DLL imports; the
  # random source, RtlGenRandom, comes from advapi32.
  set_target_properties(Sodium::Sodium PROPERTIES
    IMPORTED_LOCATION ${SODIUM_LIBRARY}
    INTERFACE_INCLUDE_DIRECTORIES ${SODIUM_INCLUDE_DIR}
    INTERFACE_COMPILE_DEFINITIONS SODIUM_STATIC
    INTERFACE_LINK_LIBRARIES advapi32)
endif()
mark_as_advanced(SODIUM_INCLUDE_DIR SODIUM_LIBRARY)
