# The public key that downloaded updates and plug-ins must be signed with (net/UpdateKey.h)
# is compiled into the program from a minisign .pub file. The shipped program links the
# release key; tests make a key pair of their own in the build tree and link a copy of the
# program, or the test itself, with that one. Included by the top CMakeLists; it defines:
#
#   VELIX_RELEASE_KEY_PUBLIC  keys/velix-release.pub, the public half of the release key
#   VELIX_RELEASE_KEY_SOURCE  the generated source defining it; object library velix_release_key
#   VELIX_MINISIGN            the minisign program, when installed
# and, when minisign is installed (it must be for the tests):
#   VELIX_TEST_KEY_PUBLIC     <build>/keys/velix-test.pub
#   VELIX_TEST_KEY_SECRET     <build>/keys/velix-test.key, without a password
#   VELIX_TEST_KEY_SOURCE     the generated source defining it; object library velix_test_key
#
# velix_update_key_source(<pub file> <output .cpp>) writes such a source at configure time
# (again whenever the .pub file changes).
# velix_sign_file(<file> <signature> [SECRET_KEY <key>] [LEGACY]) adds the build rule that
# signs file with minisign (by default with the test key) into signature; LEGACY makes the
# older kind that signs the file itself rather than its BLAKE2b hash.

# Bytes of the base64 text as a list of 0x.. numbers; a fatal error for bad base64.
function(_velix_base64_bytes text what outVar)
  set(alphabet "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/")
  string(LENGTH "${text}" length)
  math(EXPR rest "${length} % 4")
  if(length EQUAL 0 OR NOT rest EQUAL 0)
    message(FATAL_ERROR "${what}: the key line is not base64")
  endif()
  set(bytes "")
  set(i 0)
  while(i LESS length)
    set(bits 0)
    set(padding 0)
    foreach(k 0 1 2 3)
      math(EXPR pos "${i} + ${k}")
      string(SUBSTRING "${text}" ${pos} 1 c)
      if(c STREQUAL "=")
        math(EXPR padding "${padding} + 1")
        set(value 0)
      else()
        string(FIND "${alphabet}" "${c}" value)
        if(value LESS 0 OR padding GREATER 0)
          message(FATAL_ERROR "${what}: the key line is not base64")
        endif()
      endif()
      math(EXPR bits "(${bits} << 6) | ${value}")
    endforeach()
    math(EXPR count "3 - ${padding}")
    foreach(b RANGE 1 ${count})
      math(EXPR byte "(${bits} >> (24 - 8 * ${b})) & 255" OUTPUT_FORMAT HEXADECIMAL)
      list(APPEND bytes ${byte})
    endforeach()
    math(EXPR i "${i} + 4")
  endwhile()
  set(${outVar} ${bytes} PARENT_SCOPE)
endfunction()

function(velix_update_key_source pubFile output)
  set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${pubFile})
  file(STRINGS ${pubFile} lines)
  list(LENGTH lines lineCount)
  if(lineCount LESS 1 OR lineCount GREATER 2)
    message(FATAL_ERROR "${pubFile}: not a minisign public key")
  endif()
  list(GET lines -1 keyLine)
  string(STRIP "${keyLine}" keyLine)
  _velix_base64_bytes("${keyLine}" ${pubFile} bytes)
  list(LENGTH bytes byteCount)
  list(GET bytes 0 a)
  list(GET bytes 1 b)
  # "Ed", 8 bytes of key id, 32 bytes of Ed25519 key.
  if(NOT byteCount EQUAL 42 OR NOT a STREQUAL "0x45" OR NOT b STREQUAL "0x64")
    message(FATAL_ERROR "${pubFile}: not a minisign Ed25519 public key")
  endif()
  list(SUBLIST bytes 2 8 keyId)
  list(SUBLIST bytes 10 32 key)
  list(JOIN keyId ", " keyIdText)
  set(keyText "")
  foreach(row 0 8 16 24)
    list(SUBLIST key ${row} 8 rowBytes)
    list(JOIN rowBytes ", " rowText)
    string(APPEND keyText "\n    ${rowText},")
  endforeach()
  file(WRITE ${output}.new
"// Made by cmake/VelixUpdateKey.cmake from ${pubFile}.
#include \"net/UpdateKey.h\"

const unsigned char kUpdateKeyId[8] = {${keyIdText}};
const unsigned char kUpdatePublicKey[32] = {${keyText}
};
")
  configure_file(${output}.new ${output} COPYONLY)
  file(REMOVE ${output}.new)
endfunction()

set(VELIX_RELEASE_KEY_PUBLIC ${CMAKE_SOURCE_DIR}/keys/velix-release.pub)
set(VELIX_RELEASE_KEY_SOURCE ${CMAKE_BINARY_DIR}/keys/ReleaseKey.cpp)
velix_update_key_source(${VELIX_RELEASE_KEY_PUBLIC} ${VELIX_RELEASE_KEY_SOURCE})
add_library(velix_release_key OBJECT ${VELIX_RELEASE_KEY_SOURCE})
target_link_libraries(velix_release_key PRIVATE velix_options)

find_program(VELIX_MINISIGN minisign)
if(VELIX_MINISIGN)
  set(VELIX_TEST_KEY_PUBLIC ${CMAKE_BINARY_DIR}/keys/velix-test.pub)
  set(VELIX_TEST_KEY_SECRET ${CMAKE_BINARY_DIR}/keys/velix-test.key)
  set(VELIX_TEST_KEY_SOURCE ${CMAKE_BINARY_DIR}/keys/TestKey.cpp)
  # Made once per build tree and kept: a new pair would invalidate signed fixtures.
  if(NOT EXISTS ${VELIX_TEST_KEY_PUBLIC} OR NOT EXISTS ${VELIX_TEST_KEY_SECRET})
    file(MAKE_DIRECTORY ${CMAKE_BINARY_DIR}/keys)
    execute_process(COMMAND ${VELIX_MINISIGN} -G -f -W -p ${VELIX_TEST_KEY_PUBLIC}
                            -s ${VELIX_TEST_KEY_SECRET}
      RESULT_VARIABLE status OUTPUT_QUIET ERROR_VARIABLE errors)
    if(NOT status EQUAL 0)
      message(FATAL_ERROR "minisign could not make the test key pair: ${errors}")
    endif()
  endif()
  velix_update_key_source(${VELIX_TEST_KEY_PUBLIC} ${VELIX_TEST_KEY_SOURCE})
  add_library(velix_test_key OBJECT ${VELIX_TEST_KEY_SOURCE})
  target_link_libraries(velix_test_key PRIVATE velix_options)
elseif(VELIX_TESTS)
  message(FATAL_ERROR "The tests sign their files with minisign: install Debian's minisign")
endif()

function(velix_sign_file file signature)
  cmake_parse_arguments(arg "LEGACY" "SECRET_KEY" "" ${ARGN})
  if(NOT arg_SECRET_KEY)
    set(arg_SECRET_KEY ${VELIX_TEST_KEY_SECRET})
  endif()
  set(legacy "")
  if(arg_LEGACY)
    set(legacy -l)
  endif()
  # minisign signs without asking when the secret key has no password.
  add_custom_command(OUTPUT ${signature}
    COMMAND ${VELIX_MINISIGN} -S -q ${legacy} -s ${arg_SECRET_KEY} -m ${file} -x ${signature}
    DEPENDS ${file} ${arg_SECRET_KEY}
    COMMENT "Signing ${file}"
    VERBATIM)
endfunction()
