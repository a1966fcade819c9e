// Icons on a screen of 144 DPI: each is taken at the image of its own nearest to the side
// it is drawn at, not stretched from 16 by 16: the maintenance tree's images, a shortcut's
// icon in the launcher menu and the quick search (from its program, the stored icon where
// the program has none or is gone); what is stored of a file stays 16 by 16.

#include <gtest/gtest.h>

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "app/resource.h"
#include "kx/base/KxFile.h"
#include "kx/base/KxIconFile.h"
#include "launcher/FrmMenu.h"
#include "launcher/FrmQuickSearch.h"
#include "launcher/LauncherMenu.h"
#include "store/KxDb.h"
#include "store/Schema.h"
#include "tests/launcher/ShortcutRows.h"
#include "tests/support/GuiTestUtil.h"
#include "tests/support/MenuDriver.h"
#include "tests/support/TestUtil.h"

namespace {

constexpr int kSide = 24;  // 16 at 144 DPI
constexpr COLORREF kRed = RGB(255, 0, 0);
constexpr COLORREF kGreen = RGB(0, 255, 0);
constexpr COLORREF kBlue = RGB(0, 0, 255);
constexpr COLORREF kMagenta = RGB(255, 0, 255);
constexpr COLORREF kYellow = RGB(255, 255, 0);
constexpr COLORREF kCyan = RGB(0, 255, 255);
constexpr COLORREF kPurple = RGB(128, 0, 128);

void Put16(std::string& out, unsigned v) { out += {static_cast<char>(v), static_cast<char>(v >> 8)}; }
void Put32(std::string& out, uint32_t v) {
  Put16(out, v & 0xFFFF);
  Put16(out, v >> 16);
}

struct Image {
  int side;
  int bitCount;
  COLORREF color;
};

// A directory of images as an .ico file (with each image's bytes, solid in its colour) or
// as a group resource (entries of 14 bytes; image i has RT_ICON id 10 + i).
std::string IconDirectory(const std::vector<Image>& images, bool group) {
  std::string directory, data;
  Put16(directory, 0);
  Put16(directory, 1);
  Put16(directory, static_cast<unsigned>(images.size()));
  size_t offset = 6 + images.size() * 16;
  for (size_t i = 0; i < images.size(); ++i) {
    const Image& image = images[i];
    std::string bits;
    Put32(bits, 40);
    Put32(bits, static_cast<uint32_t>(image.side));
    Put32(bits, static_cast<uint32_t>(2 * image.side));
    Put16(bits, 1);
    Put16(bits, 32);
    bits.append(24, '\0');  // compression, image size, resolution, colours
    for (int p = 0; p < image.side * image.side; ++p)
      bits += {static_cast<char>(GetBValue(image.color)), static_cast<char>(GetGValue(image.color)),
               static_cast<char>(GetRValue(image.color)), static_cast<char>(0xFF)};
    bits.append(static_cast<size_t>((image.side + 31) / 32 * 4 * image.side), '\0');  // AND: opaque
    directory += {static_cast<char>(image.side % 256), static_cast<char>(image.side % 256), 0, 0};
    Put16(directory, 1);
    Put16(directory, static_cast<unsigned>(image.bitCount));
    Put32(directory, static_cast<uint32_t>(bits.size()));
    if (group) {
      Put16(directory, static_cast<unsigned>(10 + i));
    } else {
      Put32(directory, static_cast<uint32_t>(offset + data.size()));
    }
    data += bits;
  }
  return group ? directory : directory + data;
}

void WriteIcon(const KxString& path, const std::vector<Image>& images) {
  std::string bytes = IconDirectory(images, false);
  ASSERT_TRUE(WriteFileBytes(path, KxString(bytes.data(), static_cast<int>(bytes.size()))));
}

// A 16 by 16 icon of one colour, as a record stores it; the caller destroys it.
HICON SolidIcon(COLORREF color) {
  std::string bytes = IconDirectory({{16, 32, color}}, false);
  return CreateIconFromResourceEx(reinterpret_cast<PBYTE>(&bytes[22]), static_cast<DWORD>(bytes.size() - 22),
                                  TRUE, 0x00030000, 16, 16, LR_DEFAULTCOLOR);
}

// The pixels of icon drawn at side by side over grey, row by row.
std::vector<DWORD> PixelsOf(HICON icon, int side) {
  MemorySurface surface(side, side, RGB(128, 128, 128));
  DrawIconEx(surface.dc, 0, 0, icon, side, side, 0, NULL, DI_NORMAL);
  std::vector<DWORD> pixels;
  for (int y = 0; y < side; ++y)
    for (int x = 0; x < side; ++x) pixels.push_back(surface.At(x, y));
  return pixels;
}

int CountOf(const Capture& shot, COLORREF color) {
  int count = 0;
  for (DWORD p : shot.pixels) count += p == ToPixel(color);
  return count;
}

class DpiIcon : public ::testing::Test {
protected:
  static void SetUpTestSuite() { KxRegisterCardClass(GetModuleHandleA(NULL)); }
  void SetUp() override {
    dir = MakeScratchDir("dpi-icon");
    ASSERT_TRUE(TheDb.Open(dir + "\\Config.db"));
    CreateMissingTables();
    MovePointerTo(300, 200);
  }
  void TearDown() override {
    DestroyMaintenanceForm();
    DestroyQuickSearch();
    PumpFor(20);
    TheDb.Close();
    RemoveTree(dir);
  }
  KxString dir;
};

}  // namespace

TEST(DpiIconPick, TheNearestImageOfTheDirectoryAndTheDeepestOfThatSide) {
  struct Case {
    const char* name;
    std::vector<Image> images;
    bool group;
    int side;
    int pickedSide;  // 0: no image picked
    int pickedBits;
    uint32_t pickedId;  // of a group
  };
  const Case cases[] = {
      {"between two as near, the larger", {{16, 32, kRed}, {32, 32, kBlue}}, true, 24, 32, 32, 11},
      {"the nearer smaller one", {{16, 32, kRed}, {32, 32, kBlue}}, true, 20, 16, 32, 10},
      {"the side itself", {{16, 32, kRed}, {24, 32, kGreen}, {32, 32, kBlue}}, true, 24, 24, 32, 11},
      {"more colours of one side", {{16, 4, kRed}, {16, 32, kRed}, {16, 8, kRed}}, true, 16, 16, 32, 11},
      {"a side of 0 is 256", {{16, 32, kRed}, {256, 32, kBlue}}, false, 200, 256, 32, 0},
      {"the largest below", {{16, 32, kRed}, {48, 32, kBlue}}, false, 96, 48, 32, 0},
      {"no image", {}, false, 16, 0, 0, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    std::string bytes = IconDirectory(c.images, c.group);
    KxIconImage picked;
    ASSERT_EQ(c.pickedSide != 0, KxPickIconImage(bytes.data(), bytes.size(), c.group, c.side, picked));
    if (!c.pickedSide) continue;
    EXPECT_EQ(c.pickedSide, picked.side);
    EXPECT_EQ(c.pickedBits, picked.bitCount);
    if (c.group) {
      EXPECT_EQ(c.pickedId, picked.where);
    }
    // Cut short by one byte, a directory is refused rather than read past its end.
    size_t entries = 6 + c.images.size() * (c.group ? 14 : 16);
    EXPECT_FALSE(KxPickIconImage(bytes.data(), entries - 1, c.group, c.side, picked));
  }
  std::string cursor = IconDirectory({{16, 32, kRed}}, false);
  cursor[2] = 2;
  KxIconImage picked;
  EXPECT_FALSE(KxPickIconImage(cursor.data(), cursor.size(), false, 16, picked)) << "a cursor";
}

// The separator image is two lines of one pixel each in the middle: taken from the strip
// drawn at the side they stay one pixel; a strip stretched from 16 smears them.
TEST_F(DpiIcon, TheTreeTakesTheStripDrawnAtItsSide) {
  AddRow(1, 0, 0, kShortcutGroup, "工具");
  AddRow(2, 0, 1, kShortcutSeparator, "");
  AddRow(3, 0, 2, kShortcutItem, "记事本", "C:\\windows\\notepad.exe");
  ToggleMaintenanceForm();
  FrmMenu* maintenance = FindToolWindow<FrmMenu>(kMaintenanceCaption);
  ASSERT_NE(nullptr, maintenance);
  const int dpis[] = {144, 192};  // the screen's; a monitor at 200 % (WM_DPICHANGED)
  for (int dpi : dpis) {
    SCOPED_TRACE(dpi);
    if (dpi != maintenance->tree.dpi) {
      RECT r = {20, 20, 20 + MulDiv(540, dpi, 96), 20 + MulDiv(600, dpi, 96)};
      SendMessageW(maintenance->hwnd, kKxWmDpiChanged, MAKEWPARAM(dpi, dpi), reinterpret_cast<LPARAM>(&r));
      PumpFor(50);
    }
    int side = 0, sideY = 0;
    ASSERT_TRUE(ImageList_GetIconSize(maintenance->tree.imageList, &side, &sideY));
    ASSERT_EQ(MulDiv(16, dpi, 96), side);
    EXPECT_EQ(5, ImageList_GetImageCount(maintenance->tree.imageList));
    MemorySurface surface(side, side, RGB(0, 0, 0));
    ASSERT_TRUE(ImageList_Draw(maintenance->tree.imageList, TREE_IMG_SEPARATOR, surface.dc, 0, 0, ILD_NORMAL));
    std::vector<DWORD> column, expected(static_cast<size_t>(side), 0xFFFFFF);
    for (int y = 0; y < side; ++y) column.push_back(surface.At(side / 2, y));
    expected[static_cast<size_t>(side / 2 - 1)] = 0x9AA3AD;
    expected[static_cast<size_t>(side / 2)] = 0xE2E6EA;
    EXPECT_EQ(expected, column);
    SaveBmp(CaptureWindow(maintenance->hwnd), TestBinDir() + "\\dpi-maintenance-" + std::to_string(dpi).c_str() + ".bmp");
  }
}

// What is stored of a file is 16 by 16 at any scale, its own image of that side where it
// has one; a file's icon at another side is made from its image nearest to that side.
TEST_F(DpiIcon, FilesGiveTheirImageNearestToTheSide) {
  KxString three = dir + "\\three.ico";
  WriteIcon(three, {{16, 32, kRed}, {24, 32, kGreen}, {32, 32, kBlue}});
  KxString two = dir + "\\two.ico";
  WriteIcon(two, {{16, 32, kRed}, {32, 32, kBlue}});
  KxString text = dir + "\\notes.txt";
  ASSERT_TRUE(WriteFileBytes(text, "text"));
  // Files whose 24 lies about its bytes (the first entry is the 16, the second the 24): the
  // 16 is taken instead, and the lie never reaches the platform.
  auto broken = [&](const char* name, size_t at, uint32_t value) {
    std::string bytes = IconDirectory({{16, 32, kRed}, {24, 32, kGreen}}, false);
    for (int i = 0; i < 4; ++i) bytes[at + i] = static_cast<char>(value >> (8 * i));
    KxString path = dir + "\\" + name;
    EXPECT_TRUE(WriteFileBytes(path, KxString(bytes.data(), static_cast<int>(bytes.size()))));
    return path;
  };
  const size_t second = 6 + 16, secondImage = 6 + 2 * 16 + 40 + 16 * 16 * 4 + 4 * 16;
  KxString oneByte = broken("one-byte.ico", second + 8, 1);
  KxString beyond = broken("beyond.ico", second + 12, 0x7FFFFFF0u);
  KxString wider = broken("wider.ico", secondImage + 4, 200);  // its header claims 200 by 200
  KxString gone = dir + "\\gone.exe";
  HICON app = static_cast<HICON>(LoadImageW(GetModuleHandleW(NULL), MAKEINTRESOURCEW(IDI_APP), IMAGE_ICON, 16, 16, 0));
  const std::vector<DWORD> ownApp = PixelsOf(app, 16);
  DestroyIcon(app);
  auto solid = [](int side, COLORREF color) { return std::vector<DWORD>(side * side, ToPixel(color)); };
  struct Case {
    const char* name;
    HICON icon;
    int side;                    // 0: no icon
    std::vector<DWORD> pixels;   // empty: any
  };
  const Case cases[] = {
      {"stored: the icon file's own 16, not its 24 shrunk", FileSmallIcon(three), 16, solid(16, kRed)},
      {"stored: the program's own 16", FileSmallIcon(OwnExecutablePath()), 16, ownApp},
      {"stored: the shell's icon of a document", FileSmallIcon(text), 16, {}},
      {"stored: the shell's icon of a missing program", FileSmallIcon(gone), 16, {}},
      {"the side itself", KxFileIconAt(three, 24), 24, solid(24, kGreen)},
      {"of two as near, the larger", KxFileIconAt(two, 24), 24, solid(24, kBlue)},
      {"the nearer", KxFileIconAt(two, 20), 20, solid(20, kRed)},
      {"an image of one byte is passed over", KxFileIconAt(oneByte, 24), 24, solid(24, kRed)},
      {"an image past the end is passed over", KxFileIconAt(beyond, 24), 24, solid(24, kRed)},
      {"an image larger than its bytes is passed over", KxFileIconAt(wider, 24), 24, solid(24, kRed)},
      {"a document has none of its own", KxFileIconAt(text, 24), 0, {}},
      {"a missing file has none", KxFileIconAt(gone, 24), 0, {}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(c.side, KxIconSide(c.icon));
    if (!c.pixels.empty()) {
      EXPECT_EQ(c.pixels, PixelsOf(c.icon, c.side));
    }
    if (c.icon) DestroyIcon(c.icon);
  }
}

// Three shortcuts, each stored with a 16 by 16 icon of its own colour: to an icon file of
// 16, 24 and 32 (the 24 is drawn), to a document (no icon of its own) and to a program
// that is gone (both drawn with the stored icon, stretched); and a group.
TEST_F(DpiIcon, MenuAndQuickSearchDrawTheFilesOwnImageAtTheSide) {
  KxString ico = dir + "\\three.ico";
  WriteIcon(ico, {{16, 32, kRed}, {24, 32, kGreen}, {32, 32, kBlue}});
  KxString text = dir + "\\notes.txt";
  ASSERT_TRUE(WriteFileBytes(text, "text"));
  struct Row {
    const char* caption;
    KxString path;
    COLORREF stored;
  };
  const Row rows[] = {{"图标", ico, kMagenta}, {"文档", text, kCyan}, {"已删除", dir + "\\gone.exe", kYellow}};
  for (int i = 0; i < 3; ++i) {
    HICON icon = SolidIcon(rows[i].stored);
    AddRow(i + 1, 0, i, kShortcutItem, rows[i].caption, rows[i].path, icon);
    DestroyIcon(icon);
  }
  // A group is drawn with the group icon of the resources, whatever it stored.
  HICON groupIcon = SolidIcon(kPurple);
  AddRow(4, 0, 3, kShortcutGroup, "工具", "", groupIcon);
  DestroyIcon(groupIcon);
  // Whole icons of the side: the icon file's 24, and the others' stored icons stretched.
  const std::vector<int> expected = {kSide * kSide, 0, 0, 0, kSide * kSide, kSide * kSide, 0};
  const COLORREF colors[] = {kGreen, kRed, kBlue, kMagenta, kCyan, kYellow, kPurple};
  auto counts = [&](const Capture& shot) {
    std::vector<int> found;
    for (COLORREF color : colors) found.push_back(CountOf(shot, color));
    return found;
  };

  KxForm owner(nullptr, "owner", KxRect{40, 40, 120, 60}, WS_POPUP | WS_VISIBLE);
  for (int opening = 0; opening < 2; ++opening) {
    SCOPED_TRACE(opening);  // the second reads the icon file from what the first read
    Capture menu;
    menudriver::Drive([&] { ShowLauncherMenu(&owner); }, [&] {
      Sleep(200);
      RECT r = {};
      GetWindowRect(menudriver::MenuWindows().front(), &r);
      menu = CaptureScreen(r);
    });
    EXPECT_EQ(expected, counts(menu)) << "launcher menu";
    if (opening == 0) {
      SaveBmp(menu, TestBinDir() + "\\dpi-launcher-menu.bmp");
      // Gone, the icon file still shows at the next opening: its icon is held, not read again.
      ASSERT_TRUE(RemoveFile(ico));
    }
  }

  // The quick search draws from the same icons (the file is still gone).
  ToggleQuickSearch();
  FrmQuickSearch* quick = FindToolWindow<FrmQuickSearch>(kQuickSearchCaption);
  ASSERT_NE(nullptr, quick);
  ASSERT_EQ(3u, quick->Matches().size());
  PumpFor(100);
  Capture shot = CaptureWindow(quick->hwnd);
  SaveBmp(shot, TestBinDir() + "\\dpi-quick-search.bmp");
  EXPECT_EQ(expected, counts(shot)) << "quick search";
}
