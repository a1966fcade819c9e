// What the identify run and its parent exchange, without either: the answer file, the
// identity it may carry, the command line, and the verdict on a run.

#include <gtest/gtest.h>

#include <cstdint>
#include <string>

#include "plugin/PluginIdentity.h"

namespace {

const char kHeader[] = "VELIX-PLUGIN-IDENTITY 1\n";

KxString Bytes(const std::string& text) { return KxString(text.data(), static_cast<int>(text.size())); }
std::string Std(const KxString& text) { return std::string(text.CStr(), text.Length()); }

bool SameIdentity(const PluginIdentity& a, const PluginIdentity& b) {
  return a.version == b.version && a.id == b.id && a.name == b.name;
}

TEST(PluginIdentity, AnswerAndIdentityChecks) {
  PluginIdentity sample{"1.0", "9001", "示例插件"};
  PluginIdentity parsed;
  ASSERT_TRUE(ParseIdentity(FormatIdentity(sample), parsed));
  EXPECT_EQ(parsed.version, sample.version);
  EXPECT_EQ(parsed.id, sample.id);
  EXPECT_EQ(parsed.name, sample.name);
  // Zero bytes and line ends inside a field are carried by its count.
  PluginIdentity odd{KxString("a\n\0b", 4), "x", ""};
  ASSERT_TRUE(ParseIdentity(FormatIdentity(odd), parsed));
  EXPECT_EQ(parsed.version, odd.version);

  KxString good = FormatIdentity(sample);
  const KxString malformed[] = {
      "",
      good.Mid(good.Length() - 1, 0),              // cut short
      good + "x",                                  // trailing bytes
      "VELIX-PLUGIN-IDENTITY 2\n" + good.Mid(-1, 24),  // another format
      "VELIX-PLUGIN-IDENTITY 1\n3\n1.0\n9\n9001\n0\n\n",   // a count past the end
      "VELIX-PLUGIN-IDENTITY 1\n99999\n",                  // an absurd count
  };
  for (const KxString& bytes : malformed) EXPECT_FALSE(ParseIdentity(bytes, parsed)) << bytes.CStr();

  struct Case {
    KxString id;
    KxString name;
    bool valid;
  } cases[] = {
      {"9001", "示例插件", true},
      {KxString("\x81\x5c", 2), "a", true},  // trail byte 0x5C is not a backslash
      {"", "a", false},
      {"..", "a", false},
      {"a\\b", "a", false},
      {"a/b", "a", false},
      {"c:", "a", false},
      {"a*", "a", false},
      {KxString('7', 20), "a", true},
      {KxString('7', 21), "a", false},
      {"\x81", "a", false},  // a lead byte alone
      // A lead byte before a byte that cannot end a character: the system would read the
      // "/" or ":" after a broken character.
      {"\x81/", "a", false},
      {"a\x81:b", "a", false},
      {KxString("\x81\x7F", 2), "a", false},
      {"\xFF", "a", false},
      {"\xFE\xFE\x81\x40", "a", true},
      {"\x80", "a", true},  // a character of its own in the code page
      {"ok", "line\r\nbreak", false},
      {"ok", KxString('n', 81), false},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(IsValidIdentity(PluginIdentity{"1.0", c.id, c.name}), c.valid) << c.id.CStr();
  }
}

TEST(PluginIdentity, IdentifyCommandLine) {
  struct Case {
    const char* line;
    const char* dll;  // nullptr: not the identify run
    const char* result;
  } cases[] = {
      {"-identify \"C:\\a b\\p.vlx\" \"C:\\t\\r.tmp\"", "C:\\a b\\p.vlx", "C:\\t\\r.tmp"},
      {"-identify C:\\p.vlx C:\\r.tmp ", "C:\\p.vlx", "C:\\r.tmp"},
      {"-identify C:\\p.vlx", nullptr, nullptr},
      {"-identify a b c", nullptr, nullptr},
      {"-identify \"a\" \"\"", nullptr, nullptr},
      {"-identifyx a b", nullptr, nullptr},
      {"upgrade a b", nullptr, nullptr},
      {"", nullptr, nullptr},
  };
  for (const Case& c : cases) {
    KxString dll;
    KxString result;
    ASSERT_EQ(ParseIdentifyCommand(c.line, dll, result), c.dll != nullptr) << c.line;
    if (c.dll) {
      EXPECT_EQ(dll, c.dll);
      EXPECT_EQ(result, c.result);
    }
  }
  // What the parent writes, the child reads back: blanks and GBK trail bytes 0x5C included.
  for (const char* path : {"C:\\p.vlx", "C:\\Program Files\\a b\\p.vlx", "D:\\\xD6\xD0\xCE\xC4\\\x81\x5C.vlx"}) {
    KxString dll;
    KxString result;
    ASSERT_TRUE(ParseIdentifyCommand(IdentifyArguments(path, "C:\\t\\vpi1.tmp"), dll, result)) << path;
    EXPECT_EQ(dll, path);
    EXPECT_EQ(result, "C:\\t\\vpi1.tmp");
  }
}

// Whatever bytes the answer file holds (the plug-in's code ran in the child and may have
// written it), a parse either refuses them and leaves the identity alone, or accepts an
// identity that survives its own round trip.
TEST(PluginIdentity, ArbitraryAnswersAreRefusedCleanly) {
  const PluginIdentity before{"old", "old", "old"};
  auto parses = [&](const KxString& bytes) {
    PluginIdentity identity = before;
    bool accepted = ParseIdentity(bytes, identity);
    if (!accepted) {
      EXPECT_TRUE(SameIdentity(identity, before)) << Std(bytes);
      return false;
    }
    PluginIdentity again;
    EXPECT_TRUE(ParseIdentity(FormatIdentity(identity), again)) << Std(bytes);
    EXPECT_TRUE(SameIdentity(identity, again)) << Std(bytes);
    EXPECT_LE(FormatIdentity(identity).Length(), bytes.Length()) << Std(bytes);
    return true;
  };

  const std::string good = Std(FormatIdentity(PluginIdentity{"1.0", "9001", "示例插件"}));
  const std::string head = kHeader;
  const std::string field4096 = "4096\n" + std::string(4096, 'v') + "\n";
  struct Case {
    std::string bytes;
    bool accepted;
  } cases[] = {
      {good, true},
      {head + "0\n\n0\n\n0\n\n", true},  // empty fields parse; the identity check refuses them
      {head + field4096 + "1\nx\n0\n\n", true},
      {head + "4097\n" + std::string(4097, 'v') + "\n1\nx\n0\n\n", false},  // a field over the bound
      {head + "00001\nv\n1\nx\n0\n\n", false},                               // a count of five digits
      {head + "3\n1.0\n4\n9001\n", false},                                     // a field missing
      {head + "2\n1.0\n4\n9001\n0\n\n", false},                               // a count one short
      {head + "4\n1.0\n4\n9001\n0\n\n", false},                               // a count one long
      {head + "-1\n\n4\n9001\n0\n\n", false},
      {head + "3 \n1.0\n4\n9001\n0\n\n", false},
      {head + "\n1.0\n4\n9001\n0\n\n", false},                                // no count at all
      {head + "3\r\n1.0\n4\n9001\n0\n\n", false},
      {good + "\n", false},
      {"velix-plugin-identity 1\n" + good.substr(head.size()), false},
      {std::string(kHeader, head.size() - 1), false},
      {std::string("\0", 1) + good, false},
  };
  for (const Case& c : cases) EXPECT_EQ(parses(Bytes(c.bytes)), c.accepted) << c.bytes.substr(0, 60);
  for (size_t length = 0; length < good.size(); ++length) EXPECT_FALSE(parses(Bytes(good.substr(0, length))));

  // Random bytes after the header and random changes of a good answer, from a fixed seed.
  uint32_t seed = 20240611;
  auto next = [&seed](uint32_t below) {
    seed = seed * 1664525u + 1013904223u;
    return (seed >> 8) % below;
  };
  const char kAlphabet[] = "0123456789\n\n\nVv\x81\xFF";
  for (int round = 0; round < 3000; ++round) {
    std::string bytes;
    if (round % 2 == 0) {
      bytes = head;
      for (uint32_t n = next(40); n > 0; --n)
        bytes += next(2) ? kAlphabet[next(sizeof kAlphabet - 1)] : static_cast<char>(next(256));
    } else {
      bytes = good;
      for (uint32_t n = 1 + next(3); n > 0; --n) {
        size_t at = next(static_cast<uint32_t>(bytes.size()) + 1);
        switch (next(3)) {
          case 0: if (at < bytes.size()) bytes[at] = static_cast<char>(next(256)); break;
          case 1: bytes.insert(at, 1, kAlphabet[next(sizeof kAlphabet - 1)]); break;
          default: bytes.erase(at, 1); break;
        }
      }
    }
    parses(Bytes(bytes));
  }
}

TEST(PluginIdentity, TheVerdictOnARun) {
  const KxString good = FormatIdentity(PluginIdentity{"1.0", "9001", "示例插件"});
  const KxString badId = FormatIdentity(PluginIdentity{"1.0", "a/b", "x"});
  struct Case {
    bool started;
    DWORD exitCode;
    KxString answer;
    IdentifyResult result;
  } cases[] = {
      {true, kIdentifyAnswered, good, IdentifyResult::kIdentified},
      {false, kIdentifyAnswered, good, IdentifyResult::kNotRun},   // never started
      {true, kAnswerNotWritten, good, IdentifyResult::kNotRun},    // the child could not write
      {true, kIdentifyAnswered, "", IdentifyResult::kRefused},     // no answer to read
      {true, kIdentifyAnswered, good + "x", IdentifyResult::kRefused},
      {true, kIdentifyAnswered, badId, IdentifyResult::kRefused},  // parses, but no usable identity
      {true, kNotIdentified, good, IdentifyResult::kRefused},
      {true, EXCEPTION_ACCESS_VIOLATION, good, IdentifyResult::kRefused},
      {true, 0xFFFFFFFF, good, IdentifyResult::kRefused},  // the plug-in's own exit code
  };
  for (const Case& c : cases) {
    PluginIdentity identity{"old", "old", "old"};
    EXPECT_EQ(JudgeIdentifyRun(c.started, c.exitCode, c.answer, identity), c.result) << c.exitCode;
    EXPECT_EQ(identity.id, c.result == IdentifyResult::kIdentified ? "9001" : "old") << c.exitCode;
  }
}

}  // namespace
