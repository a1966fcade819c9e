// velix_quickmatch_bench: the quick search's cost per keystroke against a floor, side by
// side in one run. Over a made-up tree of shortcuts (Latin, Chinese and mixed captions with
// program paths), each keystroke of a few typed queries is one QuickIndex::Find (the
// filter and the ranking of the 9 best) against a bare case-insensitive substring scan of
// the same captions; both in turn, round after round, and the median of each. Building the
// index, as the quick window does when it opens, is set against the same scan.
//
//   wine velix_quickmatch_bench.exe [rounds] [shortcuts]

#include <windows.h>

#include <stdio.h>
#include <stdlib.h>

#include <string>
#include <vector>

#include "kx/base/KxPinyin.h"
#include "launcher/QuickMatch.h"
#include "tools/bench/BenchTiming.h"

namespace {

constexpr double kAllowedRatio = 3.0;

// A fixed sequence, so that every run sees the same tree.
struct Random {
  unsigned state = 12345;
  unsigned Next(unsigned n) {
    state = state * 1103515245u + 12345u;
    return (state >> 8) % n;
  }
  template <size_t N>
  const char* Pick(const char* const (&words)[N]) { return words[Next(N)]; }
};

const char* const kLatin[] = {
    "Adobe", "Visual", "Google", "Notepad", "Win", "Total", "Foxit", "Power", "Office", "Media",
    "Player", "Studio", "Code", "Reader", "Editor", "Manager", "Commander", "Explorer", "Photo",
    "Shop", "Music", "Cloud", "Drive", "Sync", "Backup", "Terminal", "Python", "Java", "Git",
    "Net", "Fire", "Zip", "Paint", "Calc", "Mail", "Viewer", "Studio", "Maker", "Capture",
    "Remote", "Desktop", "Stream", "Launcher", "Tools", "Server", "Client", "Monitor", "Disk"};
const char* const kChinese[] = {
    "微信", "联络", "会议", "音乐", "网络", "云", "搜索", "网盘", "通讯", "记事本", "计算器",
    "画图", "浏览器", "输入法", "管理", "助手", "文档", "表格", "播放器", "下载", "安全",
    "卫士", "杀毒", "压缩", "视频", "直播", "地图", "翻译", "词典", "邮箱", "相册", "银行",
    "证券", "游戏", "阅读", "笔记", "设置", "控制", "面板", "工具", "驱动", "打印", "扫描",
    "备份", "同步", "桌面", "截图", "录屏", "办公", "财务", "发票", "报表", "学习", "英语",
    "考试", "长城", "重庆", "行情", "绿色", "快递", "外卖", "天气", "日历", "时钟"};
const char* const kShortLatin[] = {"KK", "Doc", "Word", "Sheet", "PPT", "PDF", "Net", "UC", "CAD", "PS"};
const char* const kFolders[] = {"C:\\Program Files\\", "C:\\Program Files (x86)\\", "D:\\软件\\",
                                "D:\\Tools\\", "E:\\绿色软件\\"};

std::vector<QuickCandidate> MakeTree(int count) {
  Random random;
  std::vector<QuickCandidate> tree;
  tree.reserve(count);
  for (int i = 0; i < count; ++i) {
    std::string caption, file;
    switch (random.Next(10)) {
      case 0: case 1: case 2: case 3:  // Latin: two or three words, sometimes a version
        caption = std::string(random.Pick(kLatin)) + " " + random.Pick(kLatin);
        if (random.Next(3) == 0) caption += std::string(" ") + random.Pick(kLatin);
        if (random.Next(4) == 0) caption += " " + std::to_string(2000 + random.Next(26));
        file = caption.substr(0, caption.find(' '));
        break;
      case 4: case 5: case 6: case 7:  // Chinese: two or three words
        caption = std::string(random.Pick(kChinese)) + random.Pick(kChinese);
        if (random.Next(2) == 0) caption += random.Pick(kChinese);
        file = random.Pick(kLatin);
        break;
      default:  // mixed
        caption = std::string(random.Pick(kShortLatin)) + random.Pick(kChinese);
        file = random.Pick(kShortLatin);
        break;
    }
    std::string folder = random.Pick(kFolders);
    QuickCandidate candidate;
    candidate.id = i + 1;
    candidate.caption = caption.c_str();
    candidate.path = (folder + file + "\\" + file + std::to_string(random.Next(100)) + ".exe").c_str();
    if (random.Next(3) == 0) {
      candidate.launches = static_cast<int>(random.Next(200));
      candidate.lastLaunch = ("2025-0" + std::to_string(1 + random.Next(9)) + "-1" +
                              std::to_string(random.Next(10))).c_str();
    }
    tree.push_back(candidate);
  }
  return tree;
}

QuickIndex Build(const std::vector<QuickCandidate>& tree) {
  QuickIndex index;
  index.Reserve(tree.size());
  for (const QuickCandidate& c : tree) index.Add(c);
  return index;
}

unsigned char Lower(unsigned char c) { return c >= 'A' && c <= 'Z' ? c + ('a' - 'A') : c; }

// The floor: the ids of the captions holding the query, ASCII letters in either case.
std::vector<int> Scan(const std::vector<QuickCandidate>& tree, const char* query) {
  std::vector<int> ids;
  for (const QuickCandidate& c : tree) {
    for (const char* start = c.caption.CStr(); *start; ++start) {
      const char* t = start;
      const char* q = query;
      while (*q && *t && Lower(*t) == Lower(*q)) ++t, ++q;
      if (!*q) {
        ids.push_back(c.id);
        break;
      }
    }
  }
  return ids;
}

volatile size_t sink;  // keeps the timed work from being dropped

}  // namespace

int main(int argc, char** argv) {
  const int rounds = argc > 1 ? atoi(argv[1]) : 15;
  const int count = argc > 2 ? atoi(argv[2]) : 10000;
  if (rounds < 1 || count < 1) {
    fprintf(stderr, "usage: velix_quickmatch_bench [rounds] [shortcuts]\n");
    return 2;
  }

  // The GBK table of reading sets is made at the first look-up of the process.
  double t0 = BenchNow();
  sink = PinyinSetOf(0xCE, 0xA2);
  const double tableMs = (BenchNow() - t0) * 1e3;

  const std::vector<QuickCandidate> tree = MakeTree(count);
  QuickIndex index = Build(tree);

  // Each keystroke of the typed queries; the first letter alone is the worst case.
  // Hanzi typed through an input method are shown by their pinyin in brackets, since the
  // console shows no GBK.
  const struct {
    const char* text;
    const char* label;
  } typed[] = {{"", "(empty)"}, {"w", "w"}, {"we", "we"}, {"wei", "wei"}, {"weix", "weix"}, {"weixin", "weixin"},
               {"n", "n"}, {"no", "no"}, {"not", "not"}, {"note", "note"}, {"k", "k"}, {"kk", "kk"},
               {"kky", "kky"}, {"kkyy", "kkyy"}, {"y", "y"}, {"yy", "yy"}, {"微", "[wei]"},
               {"微信", "[weixin]"}};
  const int keys = sizeof typed / sizeof typed[0];
  std::vector<std::vector<double>> find(keys), scan(keys);
  std::vector<size_t> matches(keys);
  std::vector<double> build, buildScan;
  const int repeat = 20;
  for (int r = 0; r < rounds; ++r) {
    for (int k = 0; k < keys; ++k) {
      for (int side = 0; side < 2; ++side) {
        const bool findFirst = (r + k) % 2 == 0;
        const bool timeFind = (side == 0) == findFirst;
        double start = BenchNow();
        for (int i = 0; i < repeat; ++i) {
          if (timeFind) sink = index.Find(typed[k].text, 9).size();
          else matches[k] = Scan(tree, typed[k].text).size();
        }
        (timeFind ? find : scan)[k].push_back((BenchNow() - start) / repeat * 1e6);
      }
    }
    double start = BenchNow();
    QuickIndex fresh = Build(tree);
    build.push_back((BenchNow() - start) * 1e6);
    sink = fresh.Count();
    start = BenchNow();
    sink = Scan(tree, "w").size();
    buildScan.push_back((BenchNow() - start) * 1e6);
  }

  printf("quick search against a bare substring scan of the captions, %d shortcuts, %d rounds, medians\n",
         count, rounds);
  printf("  %-10s %8s %10s %10s %7s\n", "keystroke", "scan hits", "find (us)", "scan (us)", "ratio");
  bool allOk = true;
  double worst = 0;
  for (int k = 0; k < keys; ++k) {
    const double f = BenchMedian(find[k]), s = BenchMedian(scan[k]);
    const double ratio = f / s;
    worst = ratio > worst ? ratio : worst;
    const bool ok = ratio <= kAllowedRatio;
    allOk = allOk && ok;
    printf("  %-10s %8u %10.1f %10.1f %7.2f %s\n", typed[k].label, static_cast<unsigned>(matches[k]), f, s,
           ratio, ok ? "ok" : "too slow");
  }
  const double b = BenchMedian(build), bs = BenchMedian(buildScan);
  printf("building the index of %d shortcuts: %.2f ms, %.1f times one scan for \"w\" (%.1f us)\n", count,
         b / 1e3, b / bs, bs);
  printf("the GBK reading-set table, once per process at the first look-up: %.2f ms\n", tableMs);
  printf("worst keystroke ratio %.2f against %.1f: %s\n", worst, kAllowedRatio, allOk ? "ok" : "too slow");
  return allOk ? 0 : 1;
}
