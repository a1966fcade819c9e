#include "net/KxSignature.h"

#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <initializer_list>
#include <set>
#include <string>
#include <vector>

#include "net/UpdateKey.h"
#include "tests/support/TestUtil.h"

// The fixtures are made by minisign at build time (tests/net/CMakeLists.txt): payload.bin
// (binary, zeros among its bytes) signed with the build's test key, prehashed and legacy,
// and with a second key; the public keys beside them. The test program is linked with the
// test key as its update key.

namespace {

std::string Fixture(const char* name) {
  const KxString bytes = ReadFileBytes(TestBinDir() + "\\signature-fixtures\\" + name);
  return std::string(bytes.CStr(), bytes.Length());
}

KxString Bytes(const std::string& s) { return KxString(s.data(), static_cast<int>(s.size())); }

std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> lines(1);
  for (char c : text) {
    if (c == '\n') lines.emplace_back(); else lines.back() += c;
  }
  return lines;
}

// The signature with line index changed by edit.
std::string EditLine(const std::string& text, size_t index,
                     const std::function<void(std::string&)>& edit) {
  std::vector<std::string> lines = Lines(text);
  edit(lines.at(index));
  std::string out;
  for (size_t i = 0; i < lines.size(); ++i) out += (i ? "\n" : "") + lines[i];
  return out;
}

// Another valid base64 character at pos.
std::function<void(std::string&)> Flip(size_t pos) {
  return [pos](std::string& l) { l.at(pos) = l.at(pos) == 'A' ? 'B' : 'A'; };
}

}  // namespace

TEST(KxSignatureTest, ChecksFilesAgainstMinisignSignatures) {
  const std::string payload = Fixture("payload.bin");
  const std::string hashed = Fixture("payload.bin.minisig");
  const std::string legacy = Fixture("payload.bin.legacy.minisig");
  const std::string other = Fixture("payload.bin.other.minisig");
  ASSERT_GT(payload.size(), 1000u);
  ASSERT_NE(payload.find('\0'), std::string::npos);
  ASSERT_EQ(hashed.compare(0, 19, "untrusted comment: "), 0) << "no fixtures from minisign";

  const MinisignPublicKey testKey = UpdateKey();
  MinisignPublicKey otherKey;
  ASSERT_TRUE(ParseMinisignPublicKey(Bytes(Fixture("other.pub")), otherKey));
  // The right key id in front of the wrong key: the id alone proves nothing.
  MinisignPublicKey impostor = otherKey;
  std::memcpy(impostor.keyId, testKey.keyId, sizeof impostor.keyId);

  std::string tampered = payload;
  tampered[tampered.size() / 2] ^= 0x01;
  std::string crlf;
  for (char c : hashed) crlf += c == '\n' ? std::string("\r\n") : std::string(1, c);
  auto setChar = [](size_t pos, char c) { return [=](std::string& l) { l.at(pos) = c; }; };
  const std::string legacyComment = Lines(legacy).at(2);

  using R = SignatureCheck;
  struct Case {
    const char* what;
    std::string file;
    std::string signature;
    R expected;
    const MinisignPublicKey* key = nullptr;  // the test key
  } cases[] = {
      {"prehashed", payload, hashed, R::kOk},
      {"legacy", payload, legacy, R::kOk},
      {"CRLF line ends", payload, crlf, R::kOk},
      {"prehashed, file changed", tampered, hashed, R::kMismatch},
      {"legacy, file changed", tampered, legacy, R::kMismatch},
      {"file cut short", payload.substr(0, payload.size() - 1), hashed, R::kMismatch},
      {"key id of ours, key of another", payload, hashed, R::kMismatch, &impostor},
      // "ED" turned into "Ed": the signature is then checked over the file, not its hash.
      {"prehashed marked legacy", payload, EditLine(hashed, 1, setChar(1, 'W')), R::kMismatch},
      {"signature byte changed", payload, EditLine(hashed, 1, Flip(40)), R::kMismatch},
      {"another key", payload, other, R::kOtherKey},
      {"trusted comment changed", payload,
       EditLine(hashed, 2, [](std::string& l) { l += "x"; }), R::kBadTrustedComment},
      {"trusted comment of another signature", payload,
       EditLine(hashed, 2, [&](std::string& l) { l = legacyComment; }), R::kBadTrustedComment},
      {"global signature changed", payload, EditLine(hashed, 3, Flip(0)),
       R::kBadTrustedComment},
      {"empty", payload, "", R::kMissing},
      {"blank lines", payload, "\r\n\r\n", R::kMissing},
      {"an error page", payload, "<html><body>404 Not Found</body></html>\n", R::kMalformed},
      {"two lines only", payload, hashed.substr(0, hashed.find("\ntrusted comment: ")), R::kMalformed},
      {"a fifth line", payload, hashed + "more\n", R::kMalformed},
      {"no trusted comment prefix", payload, EditLine(hashed, 2, setChar(0, 'T')), R::kMalformed},
      {"bad base64", payload, EditLine(hashed, 1, setChar(5, '!')), R::kMalformed},
      {"signature line short", payload,
       EditLine(hashed, 1, [](std::string& l) { l.erase(8, 4); }), R::kMalformed},
      {"unknown algorithm", payload, EditLine(hashed, 1, setChar(1, 'V')), R::kMalformed},
      // 64 bytes end in "==" after four zero bits (A, Q, g or w); B, R, h or x sets one.
      {"padding bits set", payload,
       EditLine(hashed, 3, [](std::string& l) { l.at(l.size() - 3) += 1; }), R::kMalformed},
  };
  for (const Case& c : cases) {
    KxString comment;
    const SignatureCheck got = VerifySignature(Bytes(c.file), Bytes(c.signature),
                                               c.key ? *c.key : testKey, &comment);
    EXPECT_EQ(static_cast<int>(got), static_cast<int>(c.expected)) << c.what;
    if (c.expected == R::kOk) {
      EXPECT_NE(std::string(comment.CStr()).find("file:payload.bin"), std::string::npos) << c.what;
    }
  }

  // The trusted comment must name the file as the site names it, field by field.
  for (const auto& named : std::initializer_list<std::pair<const char*, R>>{
           {"payload.bin", R::kOk}, {"other.bin", R::kOtherFile}, {"payload.bi", R::kOtherFile},
           {"", R::kOtherFile}}) {
    EXPECT_EQ(static_cast<int>(VerifySignedFile(Bytes(payload), Bytes(hashed), testKey, named.first)),
              static_cast<int>(named.second)) << named.first;
  }
  EXPECT_EQ(static_cast<int>(VerifySignedFile(Bytes(tampered), Bytes(hashed), testKey, "payload.bin")),
            static_cast<int>(R::kMismatch));

  // Each refusal has a text of its own for the label.
  std::set<std::string> texts;
  for (R r : {R::kMissing, R::kMalformed, R::kOtherKey, R::kMismatch, R::kBadTrustedComment, R::kOtherFile}) {
    texts.insert(SignatureCheckText(r));
  }
  EXPECT_EQ(texts.size(), 6u);
  EXPECT_EQ(texts.count(""), 0u);
}

TEST(KxSignatureTest, TheSigningTimeFromTheTrustedComment) {
  // The comment minisign writes by default, and the fixture's, carry a time.
  const std::string hashed = Fixture("payload.bin.minisig");
  KxString comment;
  ASSERT_EQ(static_cast<int>(VerifySignature(Bytes(Fixture("payload.bin")), Bytes(hashed), UpdateKey(), &comment)),
            static_cast<int>(SignatureCheck::kOk));
  long long seconds = -1;
  EXPECT_TRUE(SignatureTimestamp(comment, seconds)) << comment.CStr();
  EXPECT_GT(seconds, 1600000000);
  struct { const char* comment; bool found; long long seconds; } cases[] = {
      {"timestamp:1800000000\tfile:info.xml\thashed", true, 1800000000},
      {"file:info.xml\ttimestamp:7", true, 7},
      {"file:info.xml\thashed", false, 0},
      {"timestamp:\tfile:info.xml", false, 0},
      {"timestamp:18e8\tfile:info.xml", false, 0},
      {"timestamp:-5", false, 0},
      {"timestamp:1234567890123456789", false, 0},  // 19 digits
      {"the timestamp:5", false, 0},
  };
  for (const auto& c : cases) {
    long long got = -1;
    EXPECT_EQ(c.found, SignatureTimestamp(c.comment, got)) << c.comment;
    if (c.found) {
      EXPECT_EQ(c.seconds, got) << c.comment;
    }
  }
}

// The digest the description gives for a package is what b2sum -l 256 prints.
TEST(KxSignatureTest, PackageDigestsAsB2sumPrintsThem) {
  EXPECT_STREQ("0e5751c026e543b2e8ab2eb06099daa1d1e5df47778f7787faab45cdf12fe3a8", PackageDigest("").CStr());
  EXPECT_STREQ("bddd813c634239723171ef3fee98579b94964e3bb1cb3e427262c8c068d52319", PackageDigest("abc").CStr());
}

TEST(KxSignatureTest, ReadsPublicKeysAsTheBuildCompilesThem) {
  // The parser and the build's key generator must agree on the test key's bytes.
  const std::string pub = Fixture("test.pub");
  const MinisignPublicKey compiled = UpdateKey();
  MinisignPublicKey whole, lineOnly, release;
  ASSERT_TRUE(ParseMinisignPublicKey(Bytes(pub), whole));
  ASSERT_TRUE(ParseMinisignPublicKey(Bytes(pub.substr(pub.find('\n') + 1)), lineOnly));
  EXPECT_EQ(std::memcmp(&whole, &compiled, sizeof whole), 0);
  EXPECT_EQ(std::memcmp(&lineOnly, &compiled, sizeof whole), 0);
  // The release key reads as well, and the tests never sign with it.
  ASSERT_TRUE(ParseMinisignPublicKey(Bytes(Fixture("velix-release.pub")), release));
  EXPECT_NE(std::memcmp(release.keyId, compiled.keyId, sizeof release.keyId), 0);

  MinisignPublicKey ignored;
  for (const char* bad : {"", "untrusted comment: x\n", "RWSTlTIRwUf5rBRPpCw9E7Aw\n",
                          "comment\nRWSTlTIRwUf5rBRPpCw9E7AwT6H82Dv+P8rW7Ej4uh7rM8lZaytPUY7Y\n"}) {
    EXPECT_FALSE(ParseMinisignPublicKey(bad, ignored)) << bad;
  }
  // A key of another algorithm: "Ed" becomes "ET" when the line starts "RV" for "RW".
  EXPECT_FALSE(ParseMinisignPublicKey(Bytes("RV" + pub.substr(pub.find('\n') + 3)), ignored));
}
