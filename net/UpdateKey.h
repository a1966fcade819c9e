#pragma once

#include <cstring>

#include "net/KxSignature.h"

// The public key that downloaded updates and plug-ins must be signed with. The bytes are
// defined in a source file that the build generates from a minisign .pub file
// (cmake/VelixUpdateKey.cmake): the shipped program links the release key's, a test copy
// of the program the test key's. Only programs that call UpdateKey() need either.
extern const unsigned char kUpdateKeyId[8];
extern const unsigned char kUpdatePublicKey[32];

inline MinisignPublicKey UpdateKey() {
  MinisignPublicKey key;
  std::memcpy(key.keyId, kUpdateKeyId, sizeof key.keyId);
  std::memcpy(key.key, kUpdatePublicKey, sizeof key.key);
  return key;
}
