// The floor of the start-up bench: the least a resident tray program with a launcher menu
// has to do, written straight on Win32 without the toolkit. It initialises the common
// controls under the same manifest as velix.exe, reads the first network adapter, opens
// Config.db beside itself and reads KX_SOFT, makes a small topmost window and adds its tray
// icon, shows every shown row of KX_NOTE as a tool pop-up of its stored rectangle with one
// child window that paints the first line of the note's text, then shows the window. A
// left-button release on the tray icon loads KX_SOFT again and shows every shortcut as an
// owner-drawn menu item with its icon and caption, as the launcher menu does. WM_CLOSE ends
// it.

#include <windows.h>
#include <commctrl.h>
#include <iphlpapi.h>
#include <shellapi.h>

#include <sqlite3.h>

#include <string>
#include <vector>

#include "kx/base/KxFile.h"
#include "store/IconBlob.h"

namespace {

const char kClassName[] = "VelixBenchFloor";
const char kNoteClassName[] = "VelixBenchFloorNote";
const char kNoteTextClassName[] = "VelixBenchFloorNoteText";
const COLORREF kNoteColor = RGB(255, 255, 0);
const UINT kTrayMessage = 2024;
const int kItemHeight = 19;
const int kIconSide = 16;

struct MenuEntry {
  int id = 0;
  std::string text;
  OwnedIcon icon;
};

sqlite3* db = nullptr;
HFONT itemFont = NULL;
HBRUSH noteBrush = NULL;
NOTIFYICONDATAA tray = {};

// Every shortcut row; with icons only when asked, since decoding them is the expensive part.
std::vector<MenuEntry> LoadEntries(bool withIcons) {
  std::vector<MenuEntry> entries;
  sqlite3_stmt* stmt = nullptr;
  if (sqlite3_prepare(db, "SELECT S_ID, S_TEXT, S_ICO FROM KX_SOFT ORDER BY S_PID, S_ORDERID",
                      -1, &stmt, nullptr) != SQLITE_OK)
    return entries;
  while (sqlite3_step(stmt) == SQLITE_ROW) {
    MenuEntry entry;
    entry.id = sqlite3_column_int(stmt, 0);
    const unsigned char* text = sqlite3_column_text(stmt, 1);
    if (text) entry.text = reinterpret_cast<const char*>(text);
    if (withIcons)
      BlobToIcon(sqlite3_column_blob(stmt, 2), sqlite3_column_bytes(stmt, 2), entry.icon);
    entries.push_back(std::move(entry));
  }
  sqlite3_finalize(stmt);
  return entries;
}

void MeasureEntry(HWND window, MEASUREITEMSTRUCT& measure) {
  const MenuEntry* entry = reinterpret_cast<const MenuEntry*>(measure.itemData);
  HDC dc = GetDC(window);
  HGDIOBJ old = SelectObject(dc, itemFont);
  SIZE size = {0, 0};
  GetTextExtentPoint32A(dc, entry->text.c_str(), static_cast<int>(entry->text.size()), &size);
  SelectObject(dc, old);
  ReleaseDC(window, dc);
  measure.itemWidth = kIconSide + 12 + size.cx;
  measure.itemHeight = kItemHeight;
}

void DrawEntry(const DRAWITEMSTRUCT& draw) {
  const MenuEntry* entry = reinterpret_cast<const MenuEntry*>(draw.itemData);
  bool selected = (draw.itemState & ODS_SELECTED) != 0;
  HBRUSH back = CreateSolidBrush(selected ? RGB(49, 106, 197) : RGB(255, 255, 255));
  FillRect(draw.hDC, &draw.rcItem, back);
  DeleteObject(back);
  int top = draw.rcItem.top + (kItemHeight - kIconSide) / 2;
  if (!entry->icon.IsEmpty())
    DrawIconEx(draw.hDC, draw.rcItem.left + 4, top, entry->icon.Get(), kIconSide, kIconSide, 0,
               NULL, DI_NORMAL);
  RECT text = draw.rcItem;
  text.left += kIconSide + 8;
  HGDIOBJ old = SelectObject(draw.hDC, itemFont);
  SetBkMode(draw.hDC, TRANSPARENT);
  SetTextColor(draw.hDC, selected ? RGB(255, 255, 255) : RGB(0, 0, 0));
  DrawTextA(draw.hDC, entry->text.c_str(), static_cast<int>(entry->text.size()), &text,
            DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX);
  SelectObject(draw.hDC, old);
}

void ShowMenu(HWND window) {
  std::vector<MenuEntry> entries = LoadEntries(true);
  HMENU menu = CreatePopupMenu();
  for (const MenuEntry& entry : entries)
    AppendMenuA(menu, MF_OWNERDRAW, entry.id, reinterpret_cast<LPCSTR>(&entry));
  POINT at;
  GetCursorPos(&at);
  SetForegroundWindow(window);
  TrackPopupMenu(menu, TPM_RETURNCMD | TPM_NONOTIFY, at.x, at.y, 0, window, NULL);
  PostMessageA(window, WM_NULL, 0, 0);
  DestroyMenu(menu);
}

// The note's child keeps the first line of the note's text as its window text.
LRESULT CALLBACK NoteTextProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message != WM_PAINT) return DefWindowProcA(window, message, wParam, lParam);
  PAINTSTRUCT paint;
  HDC dc = BeginPaint(window, &paint);
  char text[256] = {};
  int length = GetWindowTextA(window, text, sizeof(text));
  RECT client;
  GetClientRect(window, &client);
  HGDIOBJ old = SelectObject(dc, itemFont);
  SetBkMode(dc, TRANSPARENT);
  DrawTextA(dc, text, length, &client, DT_SINGLELINE | DT_NOPREFIX);
  SelectObject(dc, old);
  EndPaint(window, &paint);
  return 0;
}

void RegisterNoteClasses(HINSTANCE instance) {
  noteBrush = CreateSolidBrush(kNoteColor);
  WNDCLASSA wc = {};
  wc.lpfnWndProc = DefWindowProcA;
  wc.hInstance = instance;
  wc.hCursor = LoadCursor(NULL, IDC_ARROW);
  wc.hbrBackground = noteBrush;
  wc.lpszClassName = kNoteClassName;
  RegisterClassA(&wc);
  wc.lpfnWndProc = NoteTextProc;
  wc.lpszClassName = kNoteTextClassName;
  RegisterClassA(&wc);
}

// One shown pop-up with its child per shown note, in N_ID order as velix makes them.
void ShowNotes(HINSTANCE instance) {
  sqlite3_stmt* stmt = nullptr;
  if (sqlite3_prepare(db,
                      "SELECT N_LEFT, N_TOP, N_WIDTH, N_HEIGHT, N_TEXT FROM KX_NOTE "
                      "WHERE N_SHOW=1 ORDER BY N_ID",
                      -1, &stmt, nullptr) != SQLITE_OK)
    return;
  RegisterNoteClasses(instance);
  while (sqlite3_step(stmt) == SQLITE_ROW) {
    int left = sqlite3_column_int(stmt, 0);
    int top = sqlite3_column_int(stmt, 1);
    int width = sqlite3_column_int(stmt, 2);
    int height = sqlite3_column_int(stmt, 3);
    const char* bytes = static_cast<const char*>(sqlite3_column_blob(stmt, 4));
    std::string line(bytes ? bytes : "", bytes ? sqlite3_column_bytes(stmt, 4) : 0);
    line = line.substr(0, line.find_first_of("\r\n"));
    HWND note = CreateWindowExA(WS_EX_TOOLWINDOW, kNoteClassName, "", WS_POPUP, left, top, width,
                                height, NULL, NULL, instance, NULL);
    if (!note) continue;
    CreateWindowExA(0, kNoteTextClassName, line.c_str(), WS_CHILD | WS_VISIBLE | WS_BORDER, 0, 0,
                    width, height, note, NULL, instance, NULL);
    ShowWindow(note, SW_SHOWNA);
  }
  sqlite3_finalize(stmt);
}

LRESULT CALLBACK FloorProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case kTrayMessage:
      if (lParam == WM_LBUTTONUP) ShowMenu(window);
      return 0;
    case WM_MEASUREITEM:
      MeasureEntry(window, *reinterpret_cast<MEASUREITEMSTRUCT*>(lParam));
      return TRUE;
    case WM_DRAWITEM:
      DrawEntry(*reinterpret_cast<const DRAWITEMSTRUCT*>(lParam));
      return TRUE;
    case WM_CLOSE:
      Shell_NotifyIconA(NIM_DELETE, &tray);
      DestroyWindow(window);
      return 0;
    case WM_DESTROY:
      PostQuitMessage(0);
      return 0;
    default:
      return DefWindowProcA(window, message, wParam, lParam);
  }
}

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
  INITCOMMONCONTROLSEX controls = {};
  controls.dwSize = sizeof(controls);
  controls.dwICC = ICC_TREEVIEW_CLASSES;
  InitCommonControlsEx(&controls);

  ULONG size = 0;
  GetAdaptersInfo(nullptr, &size);
  std::vector<unsigned char> adapters(size ? size : 1);
  GetAdaptersInfo(reinterpret_cast<IP_ADAPTER_INFO*>(adapters.data()), &size);

  KxString dbPath = ProgramDirectory() + "\\Config.db";
  if (sqlite3_open(dbPath.CStr(), &db) != SQLITE_OK) return 1;
  LoadEntries(false);

  itemFont = CreateFontA(-12, 0, 0, 0, FW_NORMAL, 0, 0, 0, GB2312_CHARSET, 0, 0, 0, 0, "宋体");

  WNDCLASSA wc = {};
  wc.lpfnWndProc = FloorProc;
  wc.hInstance = instance;
  wc.hCursor = LoadCursor(NULL, IDC_ARROW);
  wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_HIGHLIGHT + 1);
  wc.lpszClassName = kClassName;
  RegisterClassA(&wc);
  int left = GetSystemMetrics(SM_CXSCREEN) - 78;
  HWND window = CreateWindowExA(WS_EX_TOPMOST | WS_EX_TOOLWINDOW, kClassName, "VelixFloor",
                                WS_POPUP, left, 4, 74, 74, NULL, NULL, instance, NULL);
  if (!window) return 1;

  // The tray icon before the notes, as velix adds it with its window.
  tray.cbSize = sizeof(tray);
  tray.hWnd = window;
  tray.uID = 1;
  tray.uFlags = NIF_ICON | NIF_MESSAGE | NIF_TIP;
  tray.uCallbackMessage = kTrayMessage;
  tray.hIcon = LoadIconA(NULL, MAKEINTRESOURCEA(32512));
  lstrcpynA(tray.szTip, "VelixFloor", sizeof(tray.szTip));
  Shell_NotifyIconA(NIM_ADD, &tray);

  ShowNotes(instance);
  ShowWindow(window, SW_SHOWNORMAL);

  MSG msg;
  while (GetMessageA(&msg, NULL, 0, 0) > 0) {
    TranslateMessage(&msg);
    DispatchMessageA(&msg);
  }
  DeleteObject(itemFont);
  if (noteBrush) DeleteObject(noteBrush);
  sqlite3_close(db);
  return 0;
}
