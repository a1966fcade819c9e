// Autostart and the registry accessor against the real registry of the test prefix.

#include <gtest/gtest.h>

#include <windows.h>

#include "app/KxApp.h"
#include "app/KxAutostart.h"
#include "app/KxRegistry.h"
#include "kx/base/KxWide.h"
#include "tests/support/WideNames.h"

namespace {

// A value as the registry holds it, read wide; size counts bytes of UTF-16.
struct RawValue {
  bool found = false;
  DWORD type = 0;
  DWORD size = 0;
  KxString data;
};

RawValue ReadRaw(HKEY root, const char* subKey, const KxString& name) {
  RawValue value;
  HKEY key = NULL;
  if (RegOpenKeyExW(root, KxWide(subKey), 0, KEY_QUERY_VALUE, &key) != ERROR_SUCCESS) return value;
  wchar_t buffer[4096] = {};
  DWORD size = sizeof(buffer) - sizeof(wchar_t);
  if (RegQueryValueExW(key, KxWide(name), NULL, &value.type, reinterpret_cast<BYTE*>(buffer), &size) ==
      ERROR_SUCCESS) {
    value.found = true;
    value.size = size;
    value.data = KxFromWide(buffer);
  }
  RegCloseKey(key);
  return value;
}

// The bytes a REG_SZ of text takes, its zero included.
DWORD StoredSize(const KxString& text) { return static_cast<DWORD>((KxWide(text).Length() + 1) * sizeof(wchar_t)); }

RawValue ReadRun(const KxString& name) { return ReadRaw(HKEY_CURRENT_USER, kRunKey, name); }

void DeleteRun(const KxString& name) {
  HKEY key = NULL;
  if (RegOpenKeyExW(HKEY_CURRENT_USER, KxWide(kRunKey), 0, KEY_SET_VALUE, &key) != ERROR_SUCCESS) return;
  RegDeleteValueW(key, KxWide(name));
  RegCloseKey(key);
}

// Clears a Run value for the length of a test and puts back what was there before.
class RunValueGuard {
public:
  explicit RunValueGuard(const KxString& name) : name(name), saved(ReadRun(name)) { DeleteRun(name); }
  ~RunValueGuard() {
    DeleteRun(name);
    if (!saved.found) return;
    HKEY key = NULL;
    if (RegOpenKeyExW(HKEY_CURRENT_USER, KxWide(kRunKey), 0, KEY_SET_VALUE, &key) != ERROR_SUCCESS) return;
    const KxWide data(saved.data);
    RegSetValueExW(key, KxWide(name), 0, saved.type, reinterpret_cast<const BYTE*>(data.Get()), StoredSize(saved.data));
    RegCloseKey(key);
  }

private:
  KxString name;
  RawValue saved;
};

// The path as the value holds it: in quotes.
void ExpectRunValue(const KxString& name, const KxString& path) {
  KxString data = "\"" + path + "\"";
  RawValue value = ReadRun(name);
  ASSERT_TRUE(value.found) << name.CStr();
  EXPECT_EQ(static_cast<DWORD>(REG_SZ), value.type) << name.CStr();
  EXPECT_EQ(StoredSize(data), value.size) << name.CStr();  // zero included
  EXPECT_STREQ(data.CStr(), value.data.CStr()) << name.CStr();
}

class KxAutostartTest : public ::testing::Test {
protected:
  // A fresh prefix may lack the current user's Run key; Windows always has it.
  static void SetUpTestSuite() {
    HKEY key = NULL;
    if (RegCreateKeyExA(HKEY_CURRENT_USER, kRunKey, 0, NULL, 0, KEY_ALL_ACCESS, NULL, &key, NULL) ==
        ERROR_SUCCESS) {
      RegCloseKey(key);
    }
  }
};

}  // namespace

TEST_F(KxAutostartTest, EmptyPathMeansTheApplicationsModulePath) {
  RunValueGuard guard("velix.exe");
  KxApp app(GetModuleHandleA(NULL), "");
  app.modulePath = "D:\\Tools\\velix.exe";

  ASSERT_TRUE(SetAutostart("", true));
  ExpectRunValue("velix.exe", "D:\\Tools\\velix.exe");
  EXPECT_TRUE(AutostartExists(""));

  ASSERT_TRUE(SetAutostart("", false));
  EXPECT_FALSE(ReadRun("velix.exe").found);
  EXPECT_FALSE(AutostartExists(""));
}

TEST_F(KxAutostartTest, WithoutApplicationObjectTheRunningExecutableIsUsed) {
  ASSERT_EQ(nullptr, TheApp);
  char module[MAX_PATH] = {};
  GetModuleFileNameA(NULL, module, MAX_PATH);
  const char* name = strrchr(module, '\\') + 1;
  RunValueGuard guard(name);

  ASSERT_TRUE(SetAutostart("", true));
  ExpectRunValue(name, module);
  EXPECT_TRUE(AutostartExists(""));
  ASSERT_TRUE(SetAutostart("", false));
  EXPECT_FALSE(AutostartExists(""));
}

TEST_F(KxAutostartTest, ValueNameIsTheTextAfterTheLastSlashOrBackslash) {
  struct Case {
    KxString path;
    KxString name;
  } cases[] = {
      {"D:/Tools/velix-fwd.exe", "velix-fwd.exe"},
      {"D:\\Tools/sub\\velix-back.exe", "velix-back.exe"},
      {"D:\\Tools\\sub/velix-slash.exe", "velix-slash.exe"},
      {"D:\\速启工具\\速启.exe", "速启.exe"},
      {"D:\\" + Gb(kKoreanFolder) + "\\" + Gb(kProbeProgram), Gb(kProbeProgram)},
  };
  for (const Case& c : cases) {
    RunValueGuard guard(c.name);
    ASSERT_TRUE(SetAutostart(c.path, true)) << c.path.CStr();
    ExpectRunValue(c.name, c.path);
    EXPECT_TRUE(AutostartExists(c.name)) << c.path.CStr();
    ASSERT_TRUE(SetAutostart(c.path, false)) << c.path.CStr();
    EXPECT_FALSE(ReadRun(c.name).found) << c.path.CStr();
  }
}

TEST_F(KxAutostartTest, ExistsLooksForTheNameExactlyAsGiven) {
  RunValueGuard withExtension("velix.exe");
  RunValueGuard bare("velix");

  ASSERT_TRUE(SetAutostart("D:\\Tools\\velix.exe", true));
  EXPECT_FALSE(AutostartExists("velix"));
  EXPECT_TRUE(AutostartExists("velix.exe"));

  ASSERT_TRUE(SetAutostart("D:\\Tools\\velix", true));
  EXPECT_TRUE(AutostartExists("velix"));
}

TEST_F(KxAutostartTest, SwitchingOffAMissingValueFails) {
  RunValueGuard guard("velix-absent.exe");
  EXPECT_FALSE(SetAutostart("C:\\velix-absent.exe", false));
  EXPECT_FALSE(AutostartExists("velix-absent.exe"));
}

// ---- KxRegistry

namespace {

const char kScratchKey[] = "Software\\VelixTests\\Registry";

class KxRegistryTest : public ::testing::Test {
protected:
  void SetUp() override {
    RegDeleteTreeA(HKEY_CURRENT_USER, kScratchKey);
    HKEY key = NULL;
    ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyExA(HKEY_CURRENT_USER, kScratchKey, 0, NULL, 0,
                                             KEY_ALL_ACCESS, NULL, &key, NULL));
    RegCloseKey(key);
  }
  void TearDown() override { RegDeleteTreeA(HKEY_CURRENT_USER, "Software\\VelixTests"); }
};

}  // namespace

TEST_F(KxRegistryTest, StringsRoundTripWithTheirZeroCounted) {
  KxString longText('x', 3000);
  const KxString values[] = {"", "plain", "速启 工具 C:\\路径", longText, Gb(kKoreanFolder) + Gb(kRareHanzi)};
  KxRegistry reg;
  ASSERT_TRUE(reg.Open(kScratchKey, KEY_ALL_ACCESS));
  for (const KxString& value : values) {
    ASSERT_TRUE(reg.WriteString("v", value));
    RawValue raw = ReadRaw(HKEY_CURRENT_USER, kScratchKey, "v");
    EXPECT_EQ(static_cast<DWORD>(REG_SZ), raw.type);
    EXPECT_EQ(StoredSize(value), raw.size);
    EXPECT_EQ(value, raw.data);
    KxString back = "unchanged";
    ASSERT_TRUE(reg.ReadString("v", back));
    EXPECT_STREQ(value.CStr(), back.CStr()) << value.Length();
  }
}

TEST_F(KxRegistryTest, HasAndDeleteFollowTheValue) {
  KxRegistry reg;
  ASSERT_TRUE(reg.Open(kScratchKey, KEY_ALL_ACCESS));
  EXPECT_FALSE(reg.HasValue("name"));
  ASSERT_TRUE(reg.WriteString("name", "data"));
  EXPECT_TRUE(reg.HasValue("name"));
  EXPECT_TRUE(reg.DeleteValue("name"));
  EXPECT_FALSE(reg.HasValue("name"));
  EXPECT_FALSE(reg.DeleteValue("name"));
  KxString value = "kept";
  EXPECT_FALSE(reg.ReadString("name", value));
  EXPECT_STREQ("kept", value.CStr());
}

TEST_F(KxRegistryTest, ReadingANonStringValueFails) {
  HKEY key = NULL;
  ASSERT_EQ(ERROR_SUCCESS, RegOpenKeyExA(HKEY_CURRENT_USER, kScratchKey, 0, KEY_SET_VALUE, &key));
  DWORD number = 7;
  RegSetValueExA(key, "n", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&number), sizeof(number));
  RegCloseKey(key);

  KxRegistry reg;
  ASSERT_TRUE(reg.Open(kScratchKey, KEY_QUERY_VALUE));
  KxString value = "kept";
  EXPECT_TRUE(reg.HasValue("n"));
  EXPECT_FALSE(reg.ReadString("n", value));
  EXPECT_STREQ("kept", value.CStr());
}

TEST_F(KxRegistryTest, AccessIsLimitedToTheRightsAskedFor) {
  KxRegistry reg;
  ASSERT_TRUE(reg.Open(kScratchKey, KEY_QUERY_VALUE));
  EXPECT_FALSE(reg.WriteString("w", "x"));
  EXPECT_FALSE(ReadRaw(HKEY_CURRENT_USER, kScratchKey, "w").found);
}

TEST_F(KxRegistryTest, AMissingKeyLeavesNothingOpen) {
  KxRegistry reg;
  ASSERT_TRUE(reg.Open(kScratchKey, KEY_ALL_ACCESS));
  EXPECT_FALSE(reg.Open("Software\\VelixTests\\Missing", KEY_ALL_ACCESS));
  EXPECT_FALSE(reg.IsOpen());
  EXPECT_EQ(HKEY_CURRENT_USER, reg.Key());
  // With nothing open no call reaches the root itself.
  EXPECT_FALSE(reg.WriteString("stray", "x"));
  EXPECT_FALSE(ReadRaw(HKEY_CURRENT_USER, "", "stray").found);
}

TEST_F(KxRegistryTest, DestructionClosesTheKey) {
  HKEY opened = NULL;
  {
    KxRegistry reg;
    ASSERT_TRUE(reg.Open(kScratchKey, KEY_ALL_ACCESS));
    opened = reg.Key();
  }
  // A closed handle is refused by the registry functions.
  EXPECT_EQ(ERROR_INVALID_HANDLE, RegQueryValueExA(opened, "", NULL, NULL, NULL, NULL));
}
