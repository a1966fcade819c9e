// What the identify run and its parent exchange, without either: the answer file, the
// identity it may carry, the command line, and the verdict on a run.

#include <gtest/gtest.h>

#include "plugin/PluginIdentity.h"

namespace {

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
}

}  // namespace
