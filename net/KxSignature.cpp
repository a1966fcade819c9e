#include "net/KxSignature.h"

#include <windows.h>

#include <sodium.h>

#include <cstring>

#include "kx/base/KxSystemLibrary.h"

namespace {

constexpr int kAlgorithmBytes = 2;
constexpr int kKeyIdBytes = 8;
constexpr int kEd25519Bytes = 64;  // one signature
constexpr int kKeyLineBytes = kAlgorithmBytes + kKeyIdBytes + 32;
constexpr int kSignatureLineBytes = kAlgorithmBytes + kKeyIdBytes + kEd25519Bytes;
constexpr int kPrehashBytes = 64;  // BLAKE2b-512

const char kUntrustedPrefix[] = "untrusted comment: ";
const char kTrustedPrefix[] = "trusted comment: ";

struct Line {
  const char* text;
  int length;
};

// Splits text at "\n" (a "\r" before it is dropped) into at most max lines, up to the
// last line that is not empty. -1 when more lines follow.
int CollectLines(const KxString& text, Line* lines, int max) {
  int count = 0;
  int used = 0;  // lines up to the last one that is not empty
  const char* p = text.CStr();
  const char* end = p + text.Length();
  while (p < end) {
    const char* eol = static_cast<const char*>(std::memchr(p, '\n', end - p));
    const char* next = eol ? eol + 1 : end;
    if (!eol) eol = end;
    if (eol > p && eol[-1] == '\r') --eol;
    if (eol > p) {
      if (count >= max) return -1;
      used = count + 1;
    }
    if (count < max) lines[count] = Line{p, static_cast<int>(eol - p)};
    ++count;
    p = next;
  }
  return used;
}

bool StartsWith(const Line& line, const char* prefix) {
  const int n = static_cast<int>(std::strlen(prefix));
  return line.length >= n && std::memcmp(line.text, prefix, n) == 0;
}

int Base64Value(char c) {
  if (c >= 'A' && c <= 'Z') return c - 'A';
  if (c >= 'a' && c <= 'z') return c - 'a' + 26;
  if (c >= '0' && c <= '9') return c - '0' + 52;
  if (c == '+') return 62;
  if (c == '/') return 63;
  return -1;
}

// Strict base64 of exactly size bytes: RFC 4648 alphabet, "=" padding to whole groups
// of four, no blanks, the unused bits zero. Anything else fails, so a line has exactly
// one accepted spelling.
bool DecodeBase64Exact(const Line& line, unsigned char* out, int size) {
  if (line.length != (size + 2) / 3 * 4) return false;
  int written = 0;
  for (int i = 0; i < line.length; i += 4) {
    unsigned bits = 0;
    int padding = 0;
    for (int k = 0; k < 4; ++k) {
      const char c = line.text[i + k];
      int value = 0;
      if (c == '=') {
        if (i + 4 != line.length || k < 2) return false;
        ++padding;
      } else {
        value = Base64Value(c);
        if (value < 0 || padding > 0) return false;
      }
      bits = bits << 6 | static_cast<unsigned>(value);
    }
    if ((padding == 1 && (bits & 0xff) != 0) || (padding == 2 && (bits & 0xffff) != 0)) {
      return false;
    }
    for (int b = 0; b < 3 - padding; ++b) {
      if (written == size) return false;
      out[written++] = static_cast<unsigned char>(bits >> (16 - 8 * b));
    }
  }
  return written == size;
}

bool IsBlank(const KxString& text) {
  for (int i = 0; i < text.Length(); ++i) {
    const char c = text.At(i);
    if (c != ' ' && c != '\t' && c != '\r' && c != '\n') return false;
  }
  return true;
}

}  // namespace

bool ParseMinisignPublicKey(const KxString& text, MinisignPublicKey& key) {
  Line lines[2];
  const int count = CollectLines(text, lines, 2);
  if (count < 1) return false;
  if (count == 2 && !StartsWith(lines[0], kUntrustedPrefix)) return false;
  unsigned char raw[kKeyLineBytes];
  if (!DecodeBase64Exact(lines[count - 1], raw, kKeyLineBytes)) return false;
  if (raw[0] != 'E' || raw[1] != 'd') return false;
  std::memcpy(key.keyId, raw + kAlgorithmBytes, kKeyIdBytes);
  std::memcpy(key.key, raw + kAlgorithmBytes + kKeyIdBytes, sizeof key.key);
  return true;
}

SignatureCheck VerifySignature(const void* file, size_t fileSize, const KxString& signature,
                               const MinisignPublicKey& key, KxString* trustedComment) {
  if (IsBlank(signature)) return SignatureCheck::kMissing;
  if (signature.Length() > kSignatureTextLimit) return SignatureCheck::kMalformed;

  Line lines[4];
  if (CollectLines(signature, lines, 4) != 4 || !StartsWith(lines[0], kUntrustedPrefix) ||
      !StartsWith(lines[2], kTrustedPrefix)) {
    return SignatureCheck::kMalformed;
  }
  unsigned char raw[kSignatureLineBytes];
  unsigned char global[kEd25519Bytes];
  if (!DecodeBase64Exact(lines[1], raw, kSignatureLineBytes) ||
      !DecodeBase64Exact(lines[3], global, kEd25519Bytes)) {
    return SignatureCheck::kMalformed;
  }
  const bool prehashed = raw[0] == 'E' && raw[1] == 'D';
  if (!prehashed && !(raw[0] == 'E' && raw[1] == 'd')) return SignatureCheck::kMalformed;
  if (std::memcmp(raw + kAlgorithmBytes, key.keyId, kKeyIdBytes) != 0) {
    return SignatureCheck::kOtherKey;
  }
  const unsigned char* sig = raw + kAlgorithmBytes + kKeyIdBytes;

  // No sodium_init(): Ed25519 verification and BLAKE2b keep no state, and BLAKE2b starts
  // on its portable code. The call would choose CPU-specific code for every primitive of
  // the library and so link all of them into the program (about 110 KB); the tests run
  // this path exactly as the program does.
  static const unsigned char kNothing = 0;
  const unsigned char* bytes = file ? static_cast<const unsigned char*>(file) : &kNothing;
  int verified;
  if (prehashed) {
    unsigned char hash[kPrehashBytes];
    crypto_generichash(hash, sizeof hash, bytes, fileSize, nullptr, 0);
    verified = crypto_sign_verify_detached(sig, hash, sizeof hash, key.key);
  } else {
    verified = crypto_sign_verify_detached(sig, bytes, fileSize, key.key);
  }
  if (verified != 0) return SignatureCheck::kMismatch;

  const Line& comment = lines[2];
  const int prefixLength = static_cast<int>(sizeof kTrustedPrefix - 1);
  KxString signedPart(reinterpret_cast<const char*>(sig), kEd25519Bytes);
  signedPart.Append(comment.text + prefixLength, comment.length - prefixLength);
  if (signedPart.Length() != kEd25519Bytes + comment.length - prefixLength) {
    return SignatureCheck::kBadTrustedComment;  // out of memory: refuse rather than pass
  }
  if (crypto_sign_verify_detached(global,
                                  reinterpret_cast<const unsigned char*>(signedPart.CStr()),
                                  static_cast<unsigned long long>(signedPart.Length()),
                                  key.key) != 0) {
    return SignatureCheck::kBadTrustedComment;
  }
  if (trustedComment) {
    trustedComment->Assign(comment.text + prefixLength, comment.length - prefixLength);
  }
  return SignatureCheck::kOk;
}

namespace {

// Calls visit with each tab-separated field of the comment until it says true.
template <typename Visit>
bool AnyCommentField(const KxString& comment, Visit visit) {
  for (int start = 0; start <= comment.Length();) {
    int tab = comment.Find(start, "\t");
    int end = tab < 0 ? comment.Length() : tab;
    if (visit(comment.Mid(end - start, start))) return true;
    start = end + 1;
  }
  return false;
}

}  // namespace

SignatureCheck VerifySignedFile(const KxString& file, const KxString& signature,
                                const MinisignPublicKey& key, const KxString& fileName,
                                KxString* trustedComment) {
  KxString comment;
  SignatureCheck result = VerifySignature(file, signature, key, &comment);
  if (result != SignatureCheck::kOk) return result;
  const KxString wanted = "file:" + fileName;
  if (!AnyCommentField(comment, [&wanted](const KxString& field) { return field == wanted; })) {
    return SignatureCheck::kOtherFile;
  }
  if (trustedComment) *trustedComment = comment;
  return SignatureCheck::kOk;
}

bool SignatureTimestamp(const KxString& trustedComment, long long& seconds) {
  static const char kField[] = "timestamp:";
  const int prefix = static_cast<int>(sizeof kField - 1);
  KxString digits;
  bool found = AnyCommentField(trustedComment, [&](const KxString& field) {
    if (field.Length() < prefix || std::memcmp(field.CStr(), kField, prefix) != 0) return false;
    digits = field.Mid(-1, prefix);
    return true;
  });
  if (!found || digits.IsEmpty() || digits.Length() > 18) return false;
  long long value = 0;
  for (int i = 0; i < digits.Length(); ++i) {
    const char c = digits.At(i);
    if (c < '0' || c > '9') return false;
    value = value * 10 + (c - '0');
  }
  seconds = value;
  return true;
}

// libsodium's random source calls advapi32's SystemFunction036 (RtlGenRandom). Windows 7's
// advapi32 forwards it to cryptbase.dll, which is no KnownDLL: imported, it would have the
// loader look for cryptbase.dll beside the program before the program's first line runs.
// This definition takes the import's place and finds the function at its first call, when
// the DLL search is kept to the system folder. Checking signatures never calls it.
extern "C" BOOLEAN WINAPI SystemFunction036(PVOID buffer, ULONG length) {
  using RandomCall = BOOLEAN(WINAPI*)(PVOID, ULONG);
  static RandomCall call = reinterpret_cast<RandomCall>(
      reinterpret_cast<void*>(SystemLibraryFunction("advapi32.dll", "SystemFunction036")));
  return call ? call(buffer, length) : FALSE;
}

KxString PackageDigest(const KxString& bytes) {
  unsigned char digest[32];
  crypto_generichash(digest, sizeof digest, reinterpret_cast<const unsigned char*>(bytes.CStr()),
                     static_cast<unsigned long long>(bytes.Length()), nullptr, 0);
  KxString text;
  for (unsigned char b : digest) text += KxString::ByteToHex(b);
  return text;
}

const char* SignatureCheckText(SignatureCheck result) {
  switch (result) {
    case SignatureCheck::kOk: return "签名有效";
    case SignatureCheck::kMissing: return "签名缺失";
    case SignatureCheck::kMalformed: return "签名格式错误";
    case SignatureCheck::kOtherKey: return "签名密钥不符";
    case SignatureCheck::kMismatch: return "文件与签名不符";
    case SignatureCheck::kBadTrustedComment: return "签名注释被改动";
    case SignatureCheck::kOtherFile: return "签名文件名不符";
  }
  return "签名无效";
}
