#pragma once

#include <cstddef>

#include "kx/base/KxString.h"

// The check of a downloaded file against its minisign signature (FILE.minisig beside it
// on the server), with Ed25519 from libsodium. Nothing downloaded is used before this
// says Ok: the connection is plain HTTP, so anyone on the way could hand out a program.
//
// A public key (the second line of a minisign .pub file) is base64 of
//   "Ed" | key id (8 bytes) | Ed25519 public key (32 bytes).
// A signature file has four lines:
//   untrusted comment: <anything>
//   base64 of  algorithm (2 bytes) | key id (8 bytes) | signature (64 bytes)
//   trusted comment: <text>
//   base64 of  global signature (64 bytes)
// Algorithm "Ed" signs the file itself, "ED" (minisign's default) its BLAKE2b-512 hash.
// The global signature covers the 64 signature bytes followed by the trusted comment
// text, so the comment (time stamp, file name) cannot be changed either. Lines may end in
// "\r\n"; nothing but empty lines may follow the fourth.

struct MinisignPublicKey {
  unsigned char keyId[8];
  unsigned char key[32];
};

enum class SignatureCheck {
  kOk,
  kMissing,            // no signature at all, or an empty one
  kMalformed,          // not four lines of the form above, bad base64, unknown algorithm
  kOtherKey,           // made with another key (its key id differs)
  kMismatch,           // the signature does not fit the file: changed file or forged signature
  kBadTrustedComment,  // the trusted comment was changed after signing
  kOtherFile,          // valid, but made for a file of another name
};

// Signature texts longer than this are kMalformed (minisign's trusted comment is < 8 KiB).
constexpr int kSignatureTextLimit = 16 * 1024;

// Reads a minisign public key: either the whole .pub file (an "untrusted comment:" line,
// then the key line) or the key line alone. False for anything else, or an algorithm
// other than "Ed".
bool ParseMinisignPublicKey(const KxString& text, MinisignPublicKey& key);

// Checks file against the text of its .minisig with key. On Ok, trustedComment (may be
// nullptr) receives the trusted comment, whose "file:" part names the file that was signed.
SignatureCheck VerifySignature(const void* file, size_t fileSize, const KxString& signature,
                               const MinisignPublicKey& key, KxString* trustedComment = nullptr);
inline SignatureCheck VerifySignature(const KxString& file, const KxString& signature,
                                      const MinisignPublicKey& key,
                                      KxString* trustedComment = nullptr) {
  return VerifySignature(file.CStr(), static_cast<size_t>(file.Length()), signature, key,
                         trustedComment);
}

// VerifySignature, and then the trusted comment must name the file: one of its
// tab-separated fields is "file:" + fileName, as minisign writes it by default
// ("timestamp:...\tfile:NAME\thashed"). A signature of one file of the site then cannot be
// handed out beside another (a plug-in package as the program, say): OtherFile.
// On Ok, trustedComment (may be nullptr) receives the trusted comment.
SignatureCheck VerifySignedFile(const KxString& file, const KxString& signature,
                                const MinisignPublicKey& key, const KxString& fileName,
                                KxString* trustedComment = nullptr);

// The time a signature was made, from its trusted comment's field "timestamp:" + seconds
// since 1970 in decimal (minisign's default comment). False when the comment has no such
// field or it is not a plain number of at most 18 digits.
bool SignatureTimestamp(const KxString& trustedComment, long long& seconds);

// The BLAKE2b-256 digest of bytes in 64 lower-case hex digits, as `b2sum -l 256` prints it:
// the signed description names each package by it.
KxString PackageDigest(const KxString& bytes);

// The short text a label shows for a result (GBK): "签名缺失", "文件与签名不符", ...
const char* SignatureCheckText(SignatureCheck result);
