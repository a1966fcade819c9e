// INI values in real files of a scratch folder.

#include <gtest/gtest.h>

#include "app/KxIni.h"
#include "kx/base/KxWide.h"
#include "tests/support/TestUtil.h"
#include "tests/support/WideNames.h"

namespace {

// Each case gets a file of its own: the profile functions cache files by name and time.
KxString IniWith(const KxString& dir, const char* name, const KxString& body) {
  KxString path = dir + "\\" + name;
  WriteFileBytes(path, body);
  return path;
}

// The text of a UTF-16LE file after its byte order mark; "<no mark>" without one.
KxString WideFileText(const KxString& path) {
  KxString bytes = ReadFileBytes(path);
  if (bytes.Mid(2, 0) != KxString("\xFF\xFE")) return "<no mark>";
  return KxFromWide(reinterpret_cast<const wchar_t*>(bytes.CStr() + 2), (bytes.Length() - 2) / 2);
}

}  // namespace

TEST(KxIni, LongValuesAreReadWhole) {
  KxString dir = MakeScratchDir("ini-long");
  KxString wide;
  for (int i = 0; i < 300; ++i) wide += "汉";  // 600 bytes, more characters than fit in 512
  KxString wideExact;
  for (int i = 0; i < 256; ++i) wideExact += "字";  // exactly 512 bytes
  const KxString values[] = {KxString('a', 510), KxString('b', 511), KxString('c', 512),
                             KxString('d', 1023), KxString('e', 1024), KxString('f', 2000),
                             wide, wideExact};
  int n = 0;
  for (const KxString& value : values) {
    KxString file = "long" + KxString::FromInt(n++) + ".ini";
    KxIni ini(IniWith(dir, file.CStr(), "[main]\r\nkey=" + value + "\r\n"));
    KxString got = ini.Read("main", "key", "");
    EXPECT_EQ(value.Length(), got.Length()) << file.CStr();
    EXPECT_TRUE(value == got) << file.CStr();
  }
  RemoveTree(dir);
}

TEST(KxIni, MissingValuesGiveTheDefault) {
  KxString dir = MakeScratchDir("ini-default");
  KxIni ini(IniWith(dir, "d.ini", "[main]\r\nkey=value\r\nempty=\r\n"));
  KxIni absent(dir + "\\absent.ini");
  KxString longDefault('z', 700);

  EXPECT_STREQ("value", ini.Read("main", "key", "fallback").CStr());
  EXPECT_STREQ("fallback", ini.Read("main", "other", "fallback").CStr());
  EXPECT_STREQ("fallback", ini.Read("other", "key", "fallback").CStr());
  EXPECT_STREQ("", ini.Read("main", "empty", "fallback").CStr());
  EXPECT_STREQ("fallback", absent.Read("main", "key", "fallback").CStr());
  EXPECT_STREQ("", absent.Read("main", "key", "").CStr());
  EXPECT_TRUE(longDefault == absent.Read("main", "key", longDefault));
  RemoveTree(dir);
}

TEST(KxIni, WrittenValuesLandInTheFileAndReadBack) {
  KxString dir = MakeScratchDir("ini-write");
  KxString path = dir + "\\w.ini";
  KxIni ini(path);
  KxString longValue('q', 900);

  ASSERT_TRUE(ini.Write("main", "DBPATH", "D:\\数据"));
  ASSERT_TRUE(ini.Write("main", "long", longValue));
  EXPECT_STREQ("D:\\数据", ini.Read("main", "DBPATH", "").CStr());
  EXPECT_TRUE(longValue == ini.Read("main", "long", ""));

  ASSERT_TRUE(ini.Write("main", "DBPATH", "E:\\"));
  EXPECT_STREQ("E:\\", ini.Read("main", "DBPATH", "").CStr());
  ASSERT_TRUE(ini.Write("main", "wide", Gb(kKoreanFolder)));
  EXPECT_EQ(Gb(kKoreanFolder), ini.Read("main", "wide", ""));

  // UTF-16LE with its mark: the system keeps every character in such a file.
  KxString text = WideFileText(path);
  EXPECT_GE(text.Find(0, "[main]"), 0) << text.CStr();
  EXPECT_GE(text.Find(0, "DBPATH=E:\\"), 0);
  EXPECT_GE(text.Find(0, "wide=" + Gb(kKoreanFolder)), 0);
  RemoveTree(dir);
}

TEST(KxIni, AFileWithoutTheMarkKeepsItsValuesAtTheFirstWrite) {
  KxString dir = MakeScratchDir("ini-convert");
  KxIni ini(IniWith(dir, "old.ini", "[a]\r\nx=数据 目录\r\n; a note\r\n[b]\r\ny=1\r\n"));
  ASSERT_TRUE(ini.Write("b", "z", Gb(kProbeProgram)));
  EXPECT_EQ(KxString("数据 目录"), ini.Read("a", "x", ""));
  EXPECT_EQ(KxString("1"), ini.Read("b", "y", ""));
  EXPECT_EQ(Gb(kProbeProgram), ini.Read("b", "z", ""));
  EXPECT_NE(KxString("<no mark>"), WideFileText(ini.Path()));
  EXPECT_FALSE(FileExistsAt(ini.Path() + ".wide"));
  RemoveTree(dir);
}

TEST(KxIni, WritingIntoAMissingFolderFails) {
  KxString dir = MakeScratchDir("ini-nofolder");
  KxIni ini(dir + "\\missing\\x.ini");
  EXPECT_FALSE(ini.Write("main", "key", "value"));
  RemoveTree(dir);
}
