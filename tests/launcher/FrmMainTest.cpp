// The kit window on a real store and real input: its start state and tray icon, pictures
// from files, drops and the database, both layouts, dragging, clicks and double clicks,
// closing, and the messages of the shell and of a second start.

#include <gtest/gtest.h>

#include <windows.h>
#include <shellapi.h>
#include <shlobj.h>
#include <dlgs.h>

#include <cmath>
#include <cstdlib>
#include <string>
#include <thread>
#include <vector>

#include "app/KxApp.h"
#include "kx/KxImageBox.h"
#include "kx/KxLabel.h"
#include "kx/KxMenu.h"
#include "kx/KxTaskBar.h"
#include "launcher/FrmMain.h"
#include "launcher/LauncherMenu.h"
#include "store/KxDb.h"
#include "store/Schema.h"
#include "store/SysValues.h"
#include "tests/image/samples/ImageWriters.h"
#include "tests/support/GuiTestUtil.h"
#include "tests/support/MenuDriver.h"
#include "tests/support/TestUtil.h"
#include "NameTexts.h"

namespace {

// A 24-bit BMP file of one grey.
KxString BmpFile(int w, int h) {
  int stride = (w * 3 + 3) & ~3;
  KxString bytes(static_cast<char>(0x40), 54 + stride * h);
  unsigned char* b = reinterpret_cast<unsigned char*>(bytes.Buffer());
  const unsigned header[][3] = {{0, 0x4D42, 2}, {2, static_cast<unsigned>(bytes.Length()), 4},
                                {6, 0, 4}, {10, 54, 4}, {14, 40, 4}, {18, static_cast<unsigned>(w), 4},
                                {22, static_cast<unsigned>(h), 4}, {26, 1, 2}, {28, 24, 2},
                                {30, 0, 16}, {46, 0, 8}};
  for (const auto& field : header)
    for (unsigned i = 0; i < field[2]; ++i)
      b[field[0] + i] = static_cast<unsigned char>(i < 4 ? field[1] >> (8 * i) : 0);
  return bytes;
}

HGLOBAL DropOf(const std::vector<KxString>& paths) {
  SIZE_T size = sizeof(DROPFILES) + 1;
  for (const KxString& path : paths) size += path.Length() + 1;
  HGLOBAL drop = GlobalAlloc(GHND, size);
  DROPFILES* files = static_cast<DROPFILES*>(GlobalLock(drop));
  files->pFiles = sizeof(DROPFILES);
  char* at = reinterpret_cast<char*>(files) + sizeof(DROPFILES);
  for (const KxString& path : paths) {
    lstrcpyA(at, path.CStr());
    at += path.Length() + 1;
  }
  GlobalUnlock(drop);
  return drop;
}

// The toolkit menu behind the menu window that is open now.
const KxMenu* OpenMenu() {
  std::vector<HWND> menus = menudriver::MenuWindows();
  if (menus.empty()) return nullptr;
  HMENU handle = reinterpret_cast<HMENU>(SendMessageA(menus.front(), 0x01E1 /* MN_GETHMENU */, 0, 0));
  return KxMenu::FromHandle(handle);
}

int CountPixels(const Capture& c, const RECT& r, DWORD pixel) {
  int n = 0;
  for (int y = r.top; y < r.bottom && y < c.height; ++y)
    for (int x = r.left; x < r.right && x < c.width; ++x)
      if (c.At(x, y) == pixel) ++n;
  return n;
}

class KitWindow : public ::testing::Test {
protected:
  static void SetUpTestSuite() { KxRegisterCardClass(GetModuleHandleA(NULL)); }
  void SetUp() override {
    dir = MakeScratchDir("kit-window");
    ASSERT_TRUE(TheDb.Open(dir + "\\Config.db"));
    CreateMissingTables();
    screenWidth = GetSystemMetrics(SM_CXSCREEN);
    MovePointerTo(300, 500);
  }
  void TearDown() override {
    delete kit;
    PumpFor(20);
    TheDb.Close();
    RemoveTree(dir);
  }
  FrmMain* Start() {
    delete kit;
    kit = new FrmMain();
    kit->Show();
    PumpFor(50);
    return kit;
  }
  KxString WritePicture(const char* name, int w, int h) {
    KxString path = dir + "\\" + name;
    EXPECT_TRUE(WriteFileBytes(path, BmpFile(w, h)));
    return path;
  }
  static KxString Stored() {
    KxString bytes;
    GetKitImage(bytes);
    return bytes;
  }
  RECT Rect() const { return kit->WindowRect(); }
  // Under Wine the X server may still report the pointer where it was once the window
  // has moved, which puts the window back; the pointer is sent again until it stays.
  bool DragTo(int x, int y, int left, int top) {
    for (int attempt = 0; attempt < 5; ++attempt) {
      MovePointerTo(x, y);
      PumpFor(150);
      if (Rect().left == left && Rect().top == top) return true;
    }
    return false;
  }
  SIZE Size() const {
    RECT r = Rect();
    return SIZE{r.right - r.left, r.bottom - r.top};
  }

  KxString dir;
  FrmMain* kit = nullptr;
  int screenWidth = 0;
};

TEST_F(KitWindow, StartsShrunkAtTheRightEdgeAsATopmostToolWindowWithItsTrayIcon) {
  Start();
  EXPECT_EQ(kit, TheKitWindow);
  EXPECT_EQ(kit->hwnd, FindWindowA("KxCardClassName", "Velix"));
  RECT r = Rect();
  EXPECT_EQ(screenWidth - 78, r.left);
  EXPECT_EQ(8, r.top);
  EXPECT_EQ(74, Size().cx);
  EXPECT_EQ(74, Size().cy);
  EXPECT_TRUE(kit->IsShrunk());
  LONG exStyle = GetWindowLongA(kit->hwnd, GWL_EXSTYLE);
  EXPECT_TRUE(exStyle & WS_EX_TOPMOST);
  EXPECT_TRUE(exStyle & WS_EX_TOOLWINDOW);
  EXPECT_FALSE(exStyle & WS_EX_APPWINDOW);
  EXPECT_TRUE(exStyle & WS_EX_ACCEPTFILES);
  EXPECT_FALSE(GetWindowLongA(kit->hwnd, GWL_STYLE) & (WS_THICKFRAME | WS_CAPTION));
  EXPECT_FALSE(IsWindowEnabled(kit->Picture()->hwnd)) << "the picture must leave the mouse to the kit";
  const CxImage* picture = kit->Picture()->Image();
  EXPECT_TRUE(picture && picture->HasPixels() && picture->Width() == 70) << "the default picture of the resources";
  EXPECT_FALSE(kit->Title()->IsVisible());

  const NOTIFYICONDATAW* tray = TheTaskBar.Data();
  ASSERT_NE(nullptr, tray);
  EXPECT_EQ(kit->hwnd, tray->hWnd);
  EXPECT_STREQ(L"Velix", tray->szTip);
  EXPECT_EQ(2024u, tray->uCallbackMessage);
  EXPECT_TRUE(ShellHoldsIcon(kit->hwnd));

  Capture shrunk = CaptureWindow(kit->hwnd);
  EXPECT_EQ(ToPixel(kxFrameColor), shrunk.At(0, 0));
  EXPECT_EQ(ToPixel(kxFrameColor), shrunk.At(73, 73));
  // The default picture, not the bare form colour, fills the frame.
  EXPECT_LT(CountPixels(shrunk, RECT{1, 1, 73, 73}, ToPixel(kxFormColor)), 100);

  HWND window = kit->hwnd;
  delete kit;
  kit = nullptr;
  EXPECT_EQ(nullptr, TheKitWindow);
  EXPECT_FALSE(ShellHoldsIcon(window)) << "the tray icon goes with the kit window";
}

TEST_F(KitWindow, PicturesAreClampedStoredAndLoadedAtTheNextStart) {
  Start();
  // The last one is named in Korean with an emoji: no code page holds its name.
  KxString named = KxString(kKoreanFolder.gb18030) + ".bmp";
  struct Case {
    const char* name;
    int w, h, kitW, kitH;
  } cases[] = {{"picture.bmp", 300, 10, 256, 16}, {"picture.bmp", 8, 300, 16, 256}, {named.CStr(), 40, 50, 40, 50}};
  for (const Case& c : cases) {
    SCOPED_TRACE(std::to_string(c.w) + "x" + std::to_string(c.h));
    KxString path = WritePicture(c.name, c.w, c.h);
    kit->SetKitImage(path);
    EXPECT_EQ(c.kitW, Size().cx);
    EXPECT_EQ(c.kitH, Size().cy);
    EXPECT_TRUE(Stored() == ReadFileBytes(path));
  }
  KxString kept = Stored();

  // Neither bytes that are no picture nor a missing file replace the stored picture.
  KxString text = dir + "\\notes.txt";
  ASSERT_TRUE(WriteFileBytes(text, "no picture at all"));
  kit->SetKitImage(text);
  kit->SetKitImage(dir + "\\missing.bmp");
  EXPECT_TRUE(Stored() == kept);
  EXPECT_EQ(40, Size().cx);
  EXPECT_EQ(50, Size().cy);

  Start();
  EXPECT_EQ(40, Size().cx) << "the stored picture is loaded at the start";
  EXPECT_EQ(50, Size().cy);
}

// A picture with soft edges shows in the kit window as it would over the form colour in
// any viewer: bands of alpha 0, 128, 64 and 255, at the picture's own size, shrunk to the
// largest kit and stretched to the smallest.
TEST_F(KitWindow, PicturesWithAlphaAreBlendedOverTheFormColour) {
  Start();
  const KxRgbQuad bands[4] = {KxRgb(0, 255, 0, 0), KxRgb(255, 0, 0, 128), KxRgb(0, 0, 255, 64),
                              KxRgb(10, 20, 30, 255)};
  const struct {
    int side;
    int shown;
  } sizes[] = {{64, 64}, {512, 256}, {8, 16}};
  for (const auto& size : sizes) {
    SCOPED_TRACE(size.side);
    TestPicture picture(size.side, size.side);
    for (int y = 0; y < size.side; ++y)
      for (int x = 0; x < size.side; ++x) picture.At(x, y) = bands[x * 4 / size.side];
    PngOptions rgba;
    rgba.colourType = 6;
    const Bytes png = WritePng(picture, rgba);
    const KxString path = dir + "\\soft.png";
    ASSERT_TRUE(WriteFileBytes(path, KxString(reinterpret_cast<const char*>(png.data()), static_cast<int>(png.size()))));
    kit->SetKitImage(path);
    ASSERT_EQ(size.shown, Size().cx);
    const Capture shown = CaptureWindow(kit->hwnd);
    int wrong = 0;
    // The picture fills the box inside its frame line, a pixel narrower on each side; the
    // columns next to a band's edge may take either band.
    const int inside = size.shown - 2;
    for (int y = 1; y < size.shown - 1; ++y)
      for (int x = 1; x < size.shown - 1; ++x) {
        const double at = (x - 1 + 0.5) * 4 / inside;
        if (std::fabs(at - std::floor(at + 0.5)) * inside / 4 < 1 && std::floor(at + 0.5) > 0 &&
            std::floor(at + 0.5) < 4)
          continue;
        const KxRgbQuad c = bands[static_cast<int>(at)];
        const COLORREF under = kxFormColor;
        auto blend = [&](int over, int back) { return (over * c.rgbReserved + back * (255 - c.rgbReserved)) / 255.0; };
        const DWORD want = ToPixel(RGB(blend(c.rgbRed, GetRValue(under)) + 0.5, blend(c.rgbGreen, GetGValue(under)) + 0.5,
                                       blend(c.rgbBlue, GetBValue(under)) + 0.5));
        const DWORD got = shown.At(x, y);
        bool close = true;
        for (int shift : {0, 8, 16}) close = close && std::abs(int(got >> shift & 255) - int(want >> shift & 255)) <= 2;
        if (!close && wrong++ < 3) ADD_FAILURE() << x << "," << y << ": " << std::hex << got << ", expected " << want;
      }
    EXPECT_EQ(0, wrong);
  }
}

// The open-file dialog of this thread, once it shows.
HWND WaitForFileDialog(DWORD thread) {
  HWND found = NULL;
  WaitFor([&] {
    for (HWND w = FindWindowA("#32770", NULL); w; w = FindWindowExA(NULL, w, "#32770", NULL))
      if (GetWindowThreadProcessId(w, NULL) == thread && IsWindowVisible(w)) found = w;
    return found != NULL;
  }, 10000);
  Sleep(300);  // the dialog fills itself after it shows
  return found;
}

TEST_F(KitWindow, ChosenPictureIsTakenAndACancelChangesNothing) {
  Start();
  KxString path = WritePicture("chosen.bmp", 30, 20);
  for (bool confirm : {false, true}) {
    SCOPED_TRACE(confirm ? "confirmed" : "cancelled");
    std::string title;
    std::thread driver = WindowThread([&, thread = GetCurrentThreadId()] {
      HWND dialog = WaitForFileDialog(thread);
      if (!dialog) return;
      char text[64] = {};
      GetWindowTextA(dialog, text, sizeof(text));
      title = text;
      SetDlgItemTextA(dialog, cmb13, path.CStr());
      SetDlgItemTextA(dialog, edt1, path.CStr());
      PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(confirm ? IDOK : IDCANCEL, BN_CLICKED), 0);
    });
    kit->ChooseKitImage();
    driver.join();
    EXPECT_EQ("选择图形文件", title);
    EXPECT_EQ(confirm ? 30 : 74, Size().cx);
    EXPECT_EQ(confirm ? 20 : 74, Size().cy);
    EXPECT_EQ(confirm, Stored() == ReadFileBytes(path));
  }
}

TEST_F(KitWindow, DroppedFilesAreTakenInOrderAndTheLastPictureIsKept) {
  Start();
  KxString small = WritePicture("small.bmp", 20, 30);
  KxString large = WritePicture("large.bmp", 60, 40);
  KxString text = dir + "\\readme.txt";
  ASSERT_TRUE(WriteFileBytes(text, "text"));
  SendMessageA(kit->hwnd, WM_DROPFILES, reinterpret_cast<WPARAM>(DropOf({small, large, text})), 0);
  EXPECT_EQ(60, Size().cx);
  EXPECT_EQ(40, Size().cy);
  EXPECT_TRUE(Stored() == ReadFileBytes(large));
}

TEST_F(KitWindow, NormalLayoutMovesOnlyLeftOrBackOntoTheScreen) {
  Start();
  struct Case {
    int startX, normalX;
  } cases[] = {{screenWidth - 78, screenWidth - 504}, {300, 300}, {2, 8}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.startX);
    kit->MoveTo(c.startX, 100);
    kit->ToggleKitSize();
    EXPECT_FALSE(kit->IsShrunk());
    RECT r = Rect();
    EXPECT_EQ(c.normalX, r.left);
    EXPECT_EQ(100, r.top);
    // Picture at (10, 10); the update panel, the plug-ins label and the plug-in list
    // below it: 10 + 74 + 6 + 76 + 20 + 10 + 12.
    EXPECT_EQ(502, Size().cx);
    EXPECT_EQ(208, Size().cy);
    EXPECT_EQ(10, kit->Picture()->x);
    EXPECT_TRUE(kit->Title()->IsVisible());
    kit->ToggleKitSize();
  }

  // Shrinking centres the picture under the cursor.
  MovePointerTo(500, 400);
  kit->ToggleKitSize();
  Capture normal = CaptureWindow(kit->hwnd);
  EXPECT_EQ(ToPixel(kxFrameColor), normal.At(10, 10));
  RECT title = {kit->Title()->x, kit->Title()->y, kit->Title()->x + kit->Title()->width,
                kit->Title()->y + kit->Title()->height};
  EXPECT_GT(CountPixels(normal, title, ToPixel(RGB(20, 225, 50))), 20) << "the green title";
  EXPECT_EQ(ToPixel(kxFormColor), normal.At(250, 150)) << "the reserved places stay empty";
  kit->ToggleKitSize();
  EXPECT_TRUE(kit->IsShrunk());
  EXPECT_EQ(500 - 37, Rect().left);
  EXPECT_EQ(400 - 37, Rect().top);
  EXPECT_EQ(74, Size().cx);
  EXPECT_FALSE(kit->Title()->IsVisible());
}

TEST_F(KitWindow, DraggingKeepsEightPixelsOnScreenAndTheReleaseOpensTheLauncherMenu) {
  Start();
  kit->MoveTo(600, 300);
  MovePointerTo(670, 370);  // grab point (70, 70)
  PressLeft();
  EXPECT_TRUE(DragTo(470, 470, 400, 400));
  // At x = -67 only 7 of the 74 pixels would stay on the screen.
  MovePointerTo(3, 450);
  PumpFor(100);
  EXPECT_EQ(400, Rect().left) << "a move that leaves under 8 pixels is refused";
  EXPECT_EQ(400, Rect().top);
  EXPECT_TRUE(DragTo(4, 450, -66, 380)) << Rect().left;

  std::string banner;
  menudriver::Drive(
      [&] {
        ReleaseLeft();
        PumpFor(GetDoubleClickTime() + 1000);
      },
      [&] {
        if (const KxMenu* menu = OpenMenu()) banner = menu->bannerText.CStr();
      });
  EXPECT_EQ(kLauncherBannerText, banner) << "a release over the window is a click";
}

TEST_F(KitWindow, DoubleClickTogglesTheSizeAndOpensNoMenu) {
  Start();
  POINT centre = CentreOf(kit->hwnd);
  MovePointerTo(centre.x, centre.y);
  // Any menu that opens is seen and closed again, so that the test cannot hang in it.
  bool menuSeen = false;
  std::thread watcher = WindowThread([&] {
    for (int i = 0; i < 100; ++i) {
      if (!menudriver::MenuWindows().empty()) {
        menuSeen = true;
        PostMessageA(menudriver::MenuWindows().front(), WM_KEYDOWN, VK_ESCAPE, 0);
      }
      Sleep(20);
    }
  });
  PressLeft();
  ReleaseLeft();
  PressLeft();
  ReleaseLeft();
  PumpFor(GetDoubleClickTime() + 300);
  watcher.join();
  EXPECT_FALSE(menuSeen);
  EXPECT_FALSE(kit->IsShrunk());
  EXPECT_EQ(502, Size().cx);
}

TEST_F(KitWindow, CloseHidesAndTheShellAndASecondStartBringThingsBack) {
  Start();
  SendMessageA(kit->hwnd, WM_CLOSE, 0, 0);
  EXPECT_TRUE(IsWindow(kit->hwnd));
  EXPECT_FALSE(kit->IsVisible()) << "closing hides the kit window";
  SendMessageA(kit->hwnd, ShowRunningInstanceMessage(), 0, 0);
  EXPECT_TRUE(kit->IsVisible());

  // A restarted shell has forgotten the icon until the kit window adds it again.
  NOTIFYICONDATAW gone = *TheTaskBar.Data();
  ASSERT_TRUE(Shell_NotifyIconW(NIM_DELETE, &gone));
  EXPECT_FALSE(ShellHoldsIcon(kit->hwnd));
  SendMessageA(kit->hwnd, RegisterWindowMessageA("TaskbarCreated"), 0, 0);
  EXPECT_TRUE(ShellHoldsIcon(kit->hwnd));
}

}  // namespace

namespace {

// Mouse moves over the icon raise one balloon until the shell reports it gone, and none
// within a minute of the last; balloons that tell something are never held back.
TEST_F(KitWindow, HoverBalloonsDoNotPileUp) {
  Start();
  int raised = 0;
  ULONGLONG now = 1000000;
  auto realNotify = TheTaskBar.notify;
  TheTaskBar.notify = [&](DWORD action, NOTIFYICONDATAW* data) {
    if (action == NIM_MODIFY && (data->uFlags & NIF_INFO)) ++raised;
    return realNotify(action, data);
  };
  TheTaskBar.clock = [&] { return now; };
  struct Step {
    LPARAM callback;  // 0: an informative balloon instead
    ULONGLONG laterMs;
    int raises;
  } steps[] = {
      {WM_MOUSEMOVE, 0, 1},          {WM_MOUSEMOVE, 0, 0},        {WM_MOUSEMOVE, 70000, 0},
      {NIN_BALLOONTIMEOUT, 0, 0},    {WM_MOUSEMOVE, 0, 1},        {NIN_BALLOONHIDE, 0, 0},
      {WM_MOUSEMOVE, 59000, 0},      {WM_MOUSEMOVE, 1000, 1},     {0, 0, 1},
      {NIN_BALLOONUSERCLICK, 0, 0},  {WM_MOUSEMOVE, 60000, 1},
  };
  for (size_t i = 0; i < sizeof(steps) / sizeof(steps[0]); ++i) {
    now += steps[i].laterMs;
    int before = raised;
    if (steps[i].callback) {
      SendMessageA(kit->hwnd, 2024, 0, steps[i].callback);
    } else {
      EXPECT_TRUE(TheTaskBar.ShowBalloon("热键", "冲突"));
    }
    EXPECT_EQ(steps[i].raises, raised - before) << "step " << i;
  }
  TheTaskBar.notify = realNotify;
  TheTaskBar.clock = GetTickCount64;
}

}  // namespace
