#include "launcher/QuickMatch.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

// A launcher tree's shortcuts in tree order; the ids are their places.
const struct {
  const char* caption;
  const char* path;
} kTree[] = {
    {"记事本备份", "D:\\Backup\\backup.exe"},                                   // 1
    {"微信", "C:\\Program Files\\WuChat\\WuChat.exe"},                      // 2
    {"KK音乐", "C:\\Program Files\\KKMusic\\KKMusic.exe"},                 // 3
    {"Word文档", "C:\\Office\\WRITER.EXE"},                                    // 4
    {"记事本", "C:\\Windows\\notepad.exe"},                                     // 5
    {"银行助手", "D:\\Tools\\bank.exe"},                                        // 6
    {"长城浏览器", "D:\\Tools\\gw.exe"},                                        // 7
    {"绿色软件", "D:\\Green\\tools.exe"},                                       // 8
    {"Pixel Studio Code", "C:\\PixelStudio\\Code.exe"},                      // 9
    {"WinKRX", "C:\\Program Files\\WinKRX\\WinKRX.exe"},                       // 10
    {"万家音乐", "C:\\Apps\\cloudmusic.exe"},                                   // 11
    {"Notetaker++", "C:\\Apps\\Notetaker++\\notetaker++.exe"},               // 12
    {"行程单", "D:\\Trip\\trip.exe"},                                           // 13
    {"天天会议", "C:\\Apps\\wetalk.exe"},                                       // 14
    {"文件夹", "D:\\"},                                                         // 15
    {"画", "C:\\Windows\\mspaint.exe"},                                        // 16
};

struct Usage {
  int id;
  int launches;
  const char* lastLaunch;
};

QuickIndex TreeIndex(const std::vector<Usage>& usage = {}) {
  QuickIndex index;
  index.Reserve(sizeof kTree / sizeof kTree[0]);
  int id = 0;
  for (const auto& row : kTree) {
    QuickCandidate candidate;
    candidate.id = ++id;
    candidate.caption = row.caption;
    candidate.path = row.path;
    for (const Usage& u : usage) {
      if (u.id != id) continue;
      candidate.launches = u.launches;
      candidate.lastLaunch = u.lastLaunch;
    }
    index.Add(candidate);
  }
  return index;
}

std::string Ids(const std::vector<int>& ids) {
  std::string text;
  for (int id : ids) text += std::to_string(id) + " ";
  return text;
}

}  // namespace

// What each query finds, best first. Classes: exact, prefix, word start, substring; equal
// classes keep tree order here.
TEST(QuickMatchTest, QueriesFindTheirShortcuts) {
  const QuickIndex index = TreeIndex();
  EXPECT_EQ(index.Count(), 16u);
  const struct {
    const char* query;
    const char* ids;
  } cases[] = {
      // Latin, caption and file name (without extension), any case
      {"note", "5 12 "},        // the file notepad, the caption Notetaker++: both prefixes
      {"NOTETAKER++", "12 "},
      {"code", "9 "},           // exact (the file Code) before nothing else
      {"studio", "9 "},
      {"krx", "10 "},           // word start at the capital of WinKRX
      {"music", "3 11 "},       // inside KKMusic and cloudmusic
      {"w", "2 4 10 11 14 15 7 "},  // prefixes (微, Word, WinKRX, 万, wetalk, 文), then gw
      {"c", "7 9 11 2 13 1 3 "},  // 长, Code, cloudmusic; WuChat, 程; backup, KKMusic
      {"h", "16 13 6 14 2 "},   // 画 whole; 行 (hang); 行 and 会 at a word; WuChat
      {"hua", "16 "},
      // Hanzi by initials, by syllables, by a syllable's start, by themselves, mixed
      {"wx", "2 "},
      {"WX", "2 "},
      {"weixin", "2 "},
      {"weix", "2 "},
      {"微", "2 "},
      {"微x", "2 "},
      {"微信", "2 "},
      {"jsb", "5 1 "},          // 记事本 exact, 记事本备份 prefix
      {"jishiben", "5 1 "},
      {"jishibe", "1 5 "},      // 本 half typed: both prefixes
      {"wen", "15 4 "},         // 文件夹 prefix, Word文档 at its word 文档
      {"yinyue", "3 11 "},
      {"yy", "3 11 "},
      {"lv", "8 "},
      {"lu", "8 "},
      // Latin and Hanzi in one caption
      {"kkyy", "3 "},
      {"kkyinyue", "3 "},
      {"kkyl", "3 "},
      {"wordwd", "4 "},
      {"word wd", "4 "},
      {"wordwendang", "4 "},
      // polyphones: each reading finds
      {"yh", "6 "},
      {"yinhang", "6 "},
      {"xc", "13 "},
      {"hc", "13 "},
      {"xingcheng", "13 "},
      {"cc", "7 13 "},         // 长城 prefix, 程单 (cheng chan) at a word
      {"zc", "7 "},
      {"changcheng", "7 "},
      // nothing
      {"exe", ""},
      {"zzz", ""},
      {"weixinx", ""},
      {"xw", ""},
      {"inx", ""},              // a match starts at a syllable, never inside one
  };
  for (const auto& c : cases) EXPECT_EQ(Ids(index.Find(c.query, 9)), c.ids) << c.query;
  EXPECT_EQ(Ids(index.Find("w", 3)), "2 4 10 ");
  EXPECT_EQ(Ids(index.Find("w", 100)), "2 4 10 11 14 15 7 ");
  EXPECT_EQ(Ids(index.Find("w", 0)), "");
  EXPECT_EQ(Ids(index.Find(std::string(QuickIndex::kMaxQuery + 1, 'w').c_str(), 9)), "");
}

// Within a class, more launches first, then the later last launch, then tree order; the
// class comes before any of them.
TEST(QuickMatchTest, LaunchesAndDatesOrderEqualMatches) {
  const struct {
    const char* query;
    std::vector<Usage> usage;
    size_t limit;
    const char* ids;
  } cases[] = {
      {"", {}, 4, "1 2 3 4 "},
      {"  ", {{11, 3, "2024-05-01"}, {5, 3, "2024-06-01"}, {2, 1, "2023-01-01"}}, 4, "5 11 2 1 "},
      {"w", {{15, 9, ""}, {7, 50, "2025-01-01"}}, 9, "15 2 4 10 11 14 7 "},
      {"w",
       {{2, 2, ""}, {4, 2, "2025-02-01"}, {10, 2, "2025-01-31"}, {11, 2, "2024-13-01"}, {14, 2, "2024-12-31"},
        {15, 2, "20241231"}},
       9, "4 10 14 2 11 15 7 "},
      {"jsb", {{1, 100, "2025-01-01"}}, 9, "5 1 "},
  };
  for (const auto& c : cases)
    EXPECT_EQ(Ids(TreeIndex(c.usage).Find(c.query, c.limit)), c.ids) << c.query << " " << c.ids;
  EXPECT_EQ(Ids(TreeIndex({{13, 1, ""}}).Find("", 100)), "13 1 2 3 4 5 6 7 8 9 10 11 12 14 15 16 ");
}
