// The Start-menu import on a scratch Config.db: two roots of the test's own with real links
// made through the shell, then the real Start-menu folders of the prefix; the rows it
// writes compared one by one, the failures that must write nothing, and the first-start
// question answered as a person answers it.

#include <gtest/gtest.h>

#include <windows.h>

#include <map>
#include <string>
#include <vector>

#include "launcher/StartMenuImport.h"
#include "store/KxDb.h"
#include "store/Schema.h"
#include "store/ShortcutRecord.h"
#include "store/SysValues.h"
#include "tests/launcher/ShortcutRows.h"
#include "tests/launcher/StartMenuFiles.h"
#include "tests/support/GuiTestUtil.h"
#include "tests/support/TestUtil.h"
#include "tests/support/WideNames.h"

namespace {

const char kSoft[] = "KX_SOFT";

class StartMenuImport : public ::testing::Test {
protected:
  void SetUp() override {
    dir = MakeScratchDir("start-menu");
    ASSERT_TRUE(TheDb.Open(dir + "\\Config.db"));
    for (const char* sql : {kCreateSysTable, kCreateSoftTable, kCreateSoftIndex}) ASSERT_TRUE(TheDb.Exec(sql));
    progs = dir + "\\progs";
    user = dir + "\\user";
    common = dir + "\\common";
    for (const KxString& folder : {user, common}) MakeDirectory(folder);
    roots.Add(user);
    roots.Add(common);
  }
  void TearDown() override {
    TheDb.Close();
    RemoveTree(dir);
  }

  KxString Program(const char* name) { return CopyOfProbe(progs, name); }
  void Folder(const KxString& path) { ASSERT_TRUE(MakeDirectory(path)) << path.CStr(); }

  // One line per row, the tree walked depth first: "parent captions|order|kind|text|path",
  // the scratch folder written as "~".
  std::string Rows() {
    ShortcutList list;
    LoadShortcuts(list);
    std::string text;
    Walk(list, 0, "", text);
    return text;
  }
  void Walk(const ShortcutList& list, int parentId, const std::string& above, std::string& text) {
    for (const ShortcutRecord& record : list) {
      if (record.parentId != parentId) continue;
      KxString path = record.path;
      path.ReplaceAll(dir, "~");
      const char* kind = record.kind == kShortcutGroup ? "group" : record.kind == kShortcutItem ? "item" : "sep";
      text += above + "|" + std::to_string(record.orderId) + "|" + kind + "|" + record.text.CStr() + "|" +
              path.CStr() + "\n";
      if (record.kind == kShortcutGroup) Walk(list, record.id, above + "/" + record.text.CStr(), text);
    }
  }
  // The lines of Rows() that start with prefix.
  std::string RowsBelow(const std::string& prefix) {
    std::string rows = Rows(), lines;
    for (size_t at = 0; at < rows.size(); at = rows.find('\n', at) + 1)
      if (rows.compare(at, prefix.size(), prefix) == 0) lines += rows.substr(at, rows.find('\n', at) - at + 1);
    return lines;
  }
  // "" when the positions under every parent are 0, 1, 2, ...
  std::string Gaps() {
    std::map<int, std::vector<int>> orders;
    KxQuery query;
    TheDb.Query("select S_PID,S_ORDERID from KX_SOFT order by S_PID,S_ORDERID", query);
    for (; !query.Eof(); query.Next()) orders[query.IntAt(0)].push_back(query.IntAt(1));
    std::string gaps;
    for (const auto& level : orders)
      for (size_t i = 0; i < level.second.size(); ++i)
        if (level.second[i] != static_cast<int>(i)) gaps += "under " + std::to_string(level.first) + " ";
    return gaps;
  }

  KxString dir, progs, user, common;
  KxStringList roots;
};

// The tree before: a group "Tools" holding "Old", a shortcut to dup.exe by its short name
// and one to the address of "站点.url" in other letters. What each entry under the two
// roots tests is in its name.
TEST_F(StartMenuImport, MergesFoldersLeavesOutWhatIsNoProgramAndAppendsAfterTheTree) {
  char shortDup[MAX_PATH] = {};
  ASSERT_GT(GetShortPathNameA(Program("dup.exe").CStr(), shortDup, MAX_PATH), 0u);
  AddRow(1, 0, 0, kShortcutGroup, "Tools");
  AddRow(2, 0, 1, kShortcutItem, "已有", shortDup);
  AddRow(3, 1, 0, kShortcutItem, "Old", Program("old.exe"));
  AddRow(4, 0, 2, kShortcutItem, "旧站点", "HTTP://www.velix.example/index.html");
  for (const KxString& folder : {user + "\\Tools", user + "\\Tools\\Deep", user + "\\游戏", user + "\\Empty",
                                 common + "\\tools", common + "\\游戏"})
    Folder(folder);
  KxString gone = Program("gone.exe");
  MakeLink(user + "\\画板.lnk", Program("editor.exe"));
  MakeLink(user + "\\Tools\\Calc.lnk", Program("calc.exe"), "/mode:sci");
  MakeLink(user + "\\Tools\\Deep\\画图.lnk", Program("paint.exe"));
  MakeLink(user + "\\Tools\\Uninstall Calc.lnk", Program("calc-remove.exe"));
  MakeLink(user + "\\Tools\\Calc cleanup.lnk", Program("unins000.exe"));
  MakeLink(user + "\\游戏\\ReadMe.lnk", Program("game.exe"));
  MakeLink(user + "\\游戏\\游戏指南.lnk", progs + "\\guide.chm");
  ASSERT_TRUE(WriteFileBytes(progs + "\\guide.chm", "x"));
  MakeLink(user + "\\Dup again.lnk", progs + "\\DUP.EXE");
  MakeLink(user + "\\Gone.lnk", gone);
  ASSERT_TRUE(DeleteFileA(gone.CStr()));
  MakeLink(user + "\\Empty\\卸载游戏.lnk", Program("game-remove.exe"));
  MakeUrl(user + "\\站点.url", "http://www.velix.example/index.html");
  MakeUrl(user + "\\No address.url", "");
  MakeUrl(user + "\\Docs site.url", "http://docs.velix.example/");
  ASSERT_TRUE(WriteFileBytes(user + "\\note.txt", "no link"));
  MakeLink(common + "\\tools\\Zip.lnk", Program("zip.exe"));
  MakeLink(common + "\\游戏\\Mine.lnk", Program("mine.exe"));
  MakeLink(common + "\\画板 copy.lnk", progs + "\\editor.exe");

  ASSERT_TRUE(StartMenuHasNew(roots));
  StartMenuImportResult result = ImportStartMenu(roots);
  ASSERT_EQ(StartMenuImportResult::kImported, result.outcome);
  EXPECT_EQ(6, result.shortcuts);
  EXPECT_EQ(2, result.groups);
  EXPECT_EQ(
      "|0|group|Tools|\n"
      "/Tools|0|item|Old|~\\progs\\old.exe\n"
      "/Tools|1|group|Deep|\n"
      "/Tools/Deep|0|item|画图|~\\progs\\paint.exe\n"
      "/Tools|2|item|Calc|~\\progs\\calc.exe\n"
      "/Tools|3|item|Zip|~\\progs\\zip.exe\n"
      "|1|item|已有|" + std::string(shortDup) + "\n"
      "|2|item|旧站点|HTTP://www.velix.example/index.html\n"
      "|3|group|游戏|\n"
      "/游戏|0|item|Mine|~\\progs\\mine.exe\n"
      "|4|item|Docs site|http://docs.velix.example/\n"
      "|5|item|画板|~\\progs\\editor.exe\n",
      Rows());
  EXPECT_EQ("", Gaps());
  // As the maintenance tree makes rows: the first carried flag, an icon on every one.
  EXPECT_EQ(0, TheDb.Count(kSoft, "S_ID>4 and ((S_FLAG & 24)<>8 or S_ICO is null)"));
  EXPECT_EQ("已从开始菜单导入 6 个快捷方式，新建 2 个组。\n\n快捷菜单不保存程序的参数，1 个快捷方式的参数未导入：Calc",
            std::string(StartMenuImportReport(result).CStr()));

  // A second import finds everything there.
  std::string before = Rows();
  EXPECT_FALSE(StartMenuHasNew(roots));
  EXPECT_EQ(StartMenuImportResult::kNothingNew, ImportStartMenu(roots).outcome);
  EXPECT_EQ(before, Rows());
}

// Nothing of an import that cannot finish is kept: the id limit is checked first, a row
// refused halfway takes the rows before it along.
TEST_F(StartMenuImport, AnImportThatCannotFinishWritesNothing) {
  Folder(user + "\\Tools");
  MakeLink(user + "\\Tools\\A.lnk", Program("a.exe"));
  MakeLink(user + "\\Tools\\B.lnk", Program("b.exe"));
  MakeLink(user + "\\C.lnk", Program("c.exe"));
  struct Case {
    const char* setup;
    StartMenuImportResult::Outcome outcome;
    const char* report;
  } cases[] = {
      {"insert into KX_SOFT (S_ID,S_ORDERID,S_PID,S_FLAG,S_TEXT) values(32765,0,0,12,'x')",
       StartMenuImportResult::kTooMany, "快捷菜单的项目太多，开始菜单无法导入，快捷菜单没有改动。"},
      {"create trigger refuseB before insert on KX_SOFT when NEW.S_TEXT='B' begin select raise(abort,'no'); end",
       StartMenuImportResult::kFailed, "无法导入开始菜单，快捷菜单没有改动。"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.setup);
    ASSERT_TRUE(TheDb.Exec("delete from KX_SOFT"));
    ASSERT_TRUE(TheDb.Exec(c.setup));
    std::string before = Rows();
    StartMenuImportResult result = ImportStartMenu(roots);
    EXPECT_EQ(c.outcome, result.outcome);
    EXPECT_EQ(c.report, std::string(StartMenuImportReport(result).CStr()));
    EXPECT_EQ(before, Rows());
  }
}

// A folder and links named outside GBK, to a program named so on the Linux side and to one
// named so here: every name comes in whole, and the icon is the program's own.
TEST_F(StartMenuImport, NamesOutsideGbkComeInWhole) {
  const KxString folder = Gb(kKoreanFolder);
  Folder(user + "\\" + folder);
  const KxString made = Program(Gb(kProbeProgram).CStr());
  MakeLink(user + "\\" + folder + "\\A " + Gb(kRareHanzi) + ".lnk", LinuxMadeProbe());
  MakeLink(user + "\\" + folder + "\\B " + Gb(kLatinMix) + ".lnk", made);
  StartMenuImportResult result = ImportStartMenu(roots);
  ASSERT_EQ(StartMenuImportResult::kImported, result.outcome);
  EXPECT_EQ(2, result.shortcuts);
  const KxString above = "/" + folder + "|";
  const KxString rows = above + "0|item|A " + Gb(kRareHanzi) + "|" + LinuxMadeProbe() + "\n" + above + "1|item|B " +
                        Gb(kLatinMix) + "|~\\progs\\" + Gb(kProbeProgram) + "\n";
  EXPECT_EQ(std::string(rows.CStr()), RowsBelow(above.CStr()));
  ShortcutList list;
  LoadShortcuts(list);
  for (const ShortcutRecord& record : list) EXPECT_FALSE(record.icon.IsEmpty()) << record.text.CStr();
}

// The prefix's own Start menu may hold entries of its own: only the folder made here is
// compared.
TEST_F(StartMenuImport, ReadsTheUsersAndAllUsersStartMenuAsOne) {
  StartMenuFolder mine(CSIDL_PROGRAMS, "Velix 导入测试");
  StartMenuFolder all(CSIDL_COMMON_PROGRAMS, "velix 导入测试");
  MakeLink(mine.path + "\\Mine.lnk", Program("mine.exe"));
  MakeLink(all.path + "\\All.lnk", Program("all.exe"), "--all");
  StartMenuImportResult result = ImportStartMenu(StartMenuRoots());
  ASSERT_EQ(StartMenuImportResult::kImported, result.outcome);
  int group = TheDb.SelectInt(kSoft, "S_ID", "S_TEXT='Velix 导入测试' and S_PID=0");
  ASSERT_NE(0, group);
  EXPECT_EQ(1, TheDb.Count(kSoft, "S_TEXT like 'velix 导入测试'"));
  EXPECT_EQ("/Velix 导入测试|0|item|All|~\\progs\\all.exe\n/Velix 导入测试|1|item|Mine|~\\progs\\mine.exe\n",
            RowsBelow("/Velix 导入测试|"));
  EXPECT_EQ(1, result.withoutArguments.Count());
  EXPECT_EQ("", Gaps());
}

// The question comes once: never over a tree that holds anything, never after an answer,
// never when the Start menu has nothing new; "是" imports and tells what came in.
TEST_F(StartMenuImport, TheFirstStartQuestionIsAskedOnceAndOnlyOverAnEmptyTree) {
  struct Case {
    const char* name;
    bool rowInTree;
    bool answeredBefore;
    bool somethingToImport;
    int answer;
    int boxes;          // the question and, after "是", the report
    bool answeredAfter;
    int rowsAfter;
  } cases[] = {
      {"no", false, false, true, IDNO, 1, true, 0},
      {"yes", false, false, true, IDYES, 2, true, 1},
      {"a separator", true, false, true, IDYES, 0, false, 1},
      {"answered", false, true, true, IDYES, 0, true, 0},
      {"nothing", false, false, false, IDYES, 0, false, 0},
  };
  KxString program = Program("offered.exe");
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    ASSERT_TRUE(TheDb.Exec("delete from KX_SOFT"));
    ASSERT_TRUE(TheDb.Exec("delete from KX_SYS"));
    DeleteFileA((user + "\\Offered.lnk").CStr());
    if (c.rowInTree) AddRow(1, 0, 0, kShortcutSeparator, "-");
    if (c.answeredBefore) { ASSERT_TRUE(SetStartMenuOfferAnswered()); }
    if (c.somethingToImport) MakeLink(user + "\\Offered.lnk", program);

    std::vector<std::string> boxes = BoxesDuring([&] { OfferStartMenuImport(roots); }, c.answer);
    ASSERT_EQ(c.boxes, static_cast<int>(boxes.size()));
    if (c.boxes > 0) { EXPECT_EQ(kStartMenuOfferText, boxes[0]); }
    if (c.boxes > 1) { EXPECT_EQ("已从开始菜单导入 1 个快捷方式。", boxes[1]); }
    EXPECT_EQ(c.answeredAfter, IsStartMenuOfferAnswered());
    EXPECT_EQ(c.rowsAfter, TheDb.Count(kSoft, ""));
    // Asked once: the same start again asks nothing.
    if (c.answeredAfter) { EXPECT_TRUE(BoxesDuring([&] { OfferStartMenuImport(roots); }, c.answer).empty()); }
  }
}

}  // namespace

// A 32-bit program on 64-bit Windows expands %ProgramFiles% to the 32-bit folder and sees
// System32 redirected: the other forms of a link's path are tried after it as written.
TEST(StartMenuLinkPaths, The64BitFormsComeAfterThePathAsWritten) {
  const struct {
    const char* raw;
    std::vector<std::string> forms;
  } cases[] = {
      {"C:\\Tools\\a.exe", {"C:\\Tools\\a.exe"}},
      {"%ProgramFiles%\\A\\a.exe", {"%ProgramFiles%\\A\\a.exe", "%ProgramW6432%\\A\\a.exe"}},
      {"%commonprogramfiles%\\B\\b.exe", {"%commonprogramfiles%\\B\\b.exe", "%CommonProgramW6432%\\B\\b.exe"}},
      {"%windir%\\system32\\mstsc.exe", {"%windir%\\system32\\mstsc.exe", "%windir%\\Sysnative\\mstsc.exe"}},
  };
  for (const auto& c : cases) {
    std::vector<std::string> forms;
    for (const KxString& form : LinkTargetForms(c.raw)) forms.push_back(form.CStr());
    EXPECT_EQ(c.forms, forms) << c.raw;
  }
}
