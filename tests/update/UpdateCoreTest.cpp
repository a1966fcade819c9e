// The parts of the update check that take bytes from the server: the description's
// entries, the name a download is stored under, the bounded inflate, and the site address
// that config.ini may point elsewhere.

#include <gtest/gtest.h>

#include <zlib.h>

#include <string>
#include <vector>

#include "kx/base/KxFile.h"
#include "tests/support/TestUtil.h"
#include "update/UpdateDescription.h"
#include "update/UpdatePackage.h"
#include "update/VendorSite.h"

namespace {

std::string Entries(const char* xml) {
  UpdateList entries;
  ParseUpdateEntries(xml, entries);
  std::string all;
  for (auto& item : entries)
    all += std::string("[") + item.flag.CStr() + "|" + item.name.CStr() + "|" + item.ver.CStr() + "|" +
           item.path.CStr() + (item.digest.IsEmpty() ? "" : "|#") + item.digest.CStr() + "]";
  return all;
}

TEST(UpdateDescription, EntriesFromTheStructureAloneWithinTheirBounds) {
  std::string longName(81, 'n');
  std::string many = "<a><b ver=\"1\">";
  for (int i = 1; i <= 70; ++i) many += "<p flag=\"" + std::to_string(i) + "\" ver=\"1\" path=\"p\"/>";
  many += "</b></a>";
  std::string first64;
  for (int i = 1; i <= 64; ++i) first64 += "[" + std::to_string(i) + "||1|p]";
  const std::string digest(64, 'a');
  struct { std::string xml; std::string entries; } cases[] = {
      // A package digest of 64 lower-case hex digits, or none.
      {"<a><b ver=\"1\" hash=\"" + digest + "\"><p flag=\"5\" ver=\"1\" hash=\"" + std::string(64, 'A') +
           "\"/><p flag=\"6\" ver=\"1\" hash=\"" + std::string(63, 'a') + "\"/></b></a>",
       "[0||1||#" + digest + "][5||1|][6||1|]"},
      {"<?xml version=\"1.0\"?><a><b flag=\"9\" name=\"V\" ver=\"1.1\" path=\"soft/v.vlx\"/></a>", "[0|V|1.1|soft/v.vlx]"},
      {"<a><b ver=\"2\"><p flag=\"5\" name=\"P\" ver=\"3\" path=\"soft/p.vlx\"/><q name=\"Q\"/></b><c ver=\"x\"/></a>",
       "[0||2|][5|P|3|soft/p.vlx]"},  // an entry without flag or version counts not
      {"<a></a>", ""},                         // a root without a child: no entries
      {"<a><b ver=\"1\"></a>", ""},            // no end tag
      {"<html><body>404</body></html>", ""},   // an error page parses, but the program entry does not count
      {"", ""},
      // Versions of digits and dots, 20 bytes at most; names of 80 bytes at most; flags by
      // the plug-in id rule, each once; the program's own entry must count.
      {"<a><b ver=\"1.0 beta\"/></a>", ""},
      {"<a><b ver=\"123456789012345678901\"/></a>", ""},
      {"<a><b ver=\"1\" name=\"" + longName + "\"/></a>", ""},
      {"<a><b ver=\"1\"><p flag=\"a/b\" ver=\"1\"/><p flag=\"0\" ver=\"1\"/><p flag=\"x\" ver=\"1,0\"/>"
       "<p flag=\"x\" ver=\"2\" name=\"a\tb\"/><p flag=\"x\" ver=\"3\"/><p flag=\"x\" ver=\"4\"/></b></a>",
       "[0||1|][x||3|]"},
      {many, "[0||1|]" + first64},
  };
  for (const auto& c : cases) EXPECT_EQ(c.entries, Entries(c.xml.c_str())) << c.xml;
}

TEST(UpdateDownload, NamesAndTheBoundedInflate) {
  struct { const char* path; const char* name; } names[] = {
      {"soft/velix.vlx", "velix.vlx"}, {"velix-2_0.vlx", "velix-2_0.vlx"}, {"soft/", ""},
      {"soft/..", ""}, {"soft/a b.vlx", ""}, {"soft/.hidden", ""}, {"soft\\x:y.vlx", ""},
      {"soft/\xC4\xE3.vlx", ""}, {"soft/COM1.vlx", ""}, {"soft/nul.vlx", ""}, {"soft/com10.vlx", "com10.vlx"},
  };
  for (const auto& n : names) EXPECT_EQ(std::string(n.name), DownloadFileName(n.path).CStr()) << n.path;

  std::string program(300000, 'x');
  for (size_t i = 0; i < program.size(); i += 7) program[i] = static_cast<char>(i);
  std::vector<unsigned char> packed(compressBound(static_cast<uLong>(program.size())));
  uLongf size = static_cast<uLongf>(packed.size());
  ASSERT_EQ(Z_OK, compress2(packed.data(), &size, reinterpret_cast<const Bytef*>(program.data()),
                            static_cast<uLong>(program.size()), 9));
  KxString good(reinterpret_cast<const char*>(packed.data()), static_cast<int>(size));
  KxString out;
  EXPECT_EQ(UnpackResult::kOk, InflateLimited(good, 300000, out));
  EXPECT_TRUE(out == KxString(program.data(), static_cast<int>(program.size())));
  EXPECT_EQ(UnpackResult::kTooLarge, InflateLimited(good, 299999, out));
  EXPECT_EQ(UnpackResult::kCorrupt, InflateLimited(good.Mid(good.Length() / 2, 0), 300000, out)) << "cut short";
  EXPECT_EQ(UnpackResult::kCorrupt, InflateLimited("not a zlib stream", 300000, out));
  EXPECT_TRUE(out.IsEmpty());
}

TEST(VendorSite, ConfigIniMayNameAnotherSite) {
  KxString ini = ProgramDirectory() + "\\config.ini";
  struct { const char* line; const char* site; } cases[] = {
      {"", "http://www.velix.example"},
      {"SITEURL=http://127.0.0.1/", "http://127.0.0.1"},
      {"SITEURL= http://mirror.example.com ", "http://mirror.example.com"},
      {"SITEURL=https://mirror.example.com", "http://www.velix.example"},
      {"SITEURL=http://", "http://www.velix.example"},
  };
  for (const auto& c : cases) {
    ASSERT_TRUE(WriteFileBytes(ini, KxString("[0]\r\n") + c.line + "\r\n"));
    EXPECT_STREQ(c.site, VendorSiteUrl().CStr()) << c.line;
  }
  ASSERT_TRUE(WriteFileBytes(ini, "[0]\r\nSITEURL=http://127.0.0.1/\r\n"));
  EXPECT_STREQ("http://127.0.0.1/soft/info.xml", SiteAddress("/soft/info.xml").CStr());
  EXPECT_STREQ("http://127.0.0.1/soft/v.vlx", SiteAddress("soft/v.vlx").CStr());
  RemoveFile(ini);
}

}  // namespace
