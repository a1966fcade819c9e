#include "launcher/FrmQuickSearch.h"

#include <utility>

#include "app/KxApp.h"
#include "kx/KxCanvas.h"
#include "kx/KxEdit.h"
#include "kx/KxFileIcons.h"
#include "kx/base/KxFile.h"
#include "kx/base/KxWinHelpers.h"
#include "launcher/FrmMain.h"
#include "launcher/LauncherMenu.h"
#include "store/LaunchRecord.h"

const char kQuickSearchCaption[] = "快速启动";
const char kQuickNoMatchText[] = "没有匹配的快捷方式";
const char kQuickEmptyTreeText[] = "快捷菜单是空的: 在\"快捷维护\"中添加, 或导入开始菜单";

namespace {

const int kWidth = 520;
const int kMargin = 6;
const int kInputHeight = 26;
const int kRowHeight = 26;
const int kIconSize = 16;
const COLORREF kBackground = RGB(250, 250, 250);
const COLORREF kChosenColor = RGB(51, 153, 255);
const COLORREF kPathColor = RGB(128, 128, 128);
const COLORREF kChosenPathColor = RGB(225, 238, 255);

FrmQuickSearch* quickWindow = nullptr;
// Deeper groups than the launcher menu and the tree open are not searched either.
const size_t kMaxMenuDepth = 64;

// The shortcuts the launcher menu shows, in the order it shows them: the tree walked from
// the top, each group once, so rows no group leads to (a hand-edited table) and S_PID
// loops are left out as the menu leaves them out.
std::vector<const ShortcutRecord*> ShortcutsInMenuOrder(const ShortcutList& list) {
  std::unordered_map<int, std::vector<const ShortcutRecord*>> levels;
  for (const ShortcutRecord& record : list) levels[record.parentId].push_back(&record);
  std::vector<const ShortcutRecord*> shown;
  std::unordered_map<int, bool> walked;
  std::vector<std::pair<const std::vector<const ShortcutRecord*>*, size_t>> path;  // a level, its next place
  auto enter = [&](int group) {
    walked[group] = true;
    auto level = levels.find(group);
    if (level != levels.end()) path.push_back({&level->second, 0});
  };
  enter(0);
  while (!path.empty()) {
    const std::vector<const ShortcutRecord*>& rows = *path.back().first;
    size_t next = path.back().second++;
    if (next >= rows.size()) {
      path.pop_back();
      continue;
    }
    const ShortcutRecord* record = rows[next];
    if (record->kind == kShortcutItem) {
      shown.push_back(record);
    } else if (record->kind == kShortcutGroup && !walked[record->id] &&
               path.size() <= kMaxMenuDepth) {
      enter(record->id);
    }
  }
  return shown;
}

}  // namespace

// ---- The input line: the window's keys first, then the edit's own.

class QuickInput : public KxEdit {
public:
  QuickInput(FrmQuickSearch* form, const KxRect& rect) : KxEdit(form, "", rect), form(form) {}

  void OnKeyDown(WPARAM key, LPARAM lParam) override {
    switch (key) {
      case VK_UP: form->MoveChoice(-1); return;
      case VK_DOWN: form->MoveChoice(1); return;
      case VK_PRIOR: form->MoveChoice(-FrmQuickSearch::kMaxRows); return;
      case VK_NEXT: form->MoveChoice(FrmQuickSearch::kMaxRows); return;
      case VK_RETURN: form->StartRow(form->Choice()); return;
      case VK_ESCAPE: form->Dismiss(); return;
      default: KxEdit::OnKeyDown(key, lParam);
    }
  }

  LRESULT WndProc(KxMsg& m) override {
    // Alt+digit arrives as a system key; its character would only beep.
    if (m.msg == WM_SYSKEYDOWN || m.msg == WM_SYSCHAR) {
      int row = DigitRow(m.msg, m.wParam);
      if (row >= 0) {
        if (m.msg == WM_SYSKEYDOWN) form->ChooseRow(row);
        return 0;
      }
    }
    return KxEdit::WndProc(m);
  }

private:
  // 0..8 for the keys 1..9 of the main keys or the number pad, -1 for any other.
  static int DigitRow(UINT msg, WPARAM key) {
    if (key >= '1' && key <= '9') return static_cast<int>(key - '1');
    if (msg == WM_SYSKEYDOWN && key >= VK_NUMPAD1 && key <= VK_NUMPAD9)
      return static_cast<int>(key - VK_NUMPAD1);
    return -1;
  }

  FrmQuickSearch* form;
};

// ---- The rows: number, icon, caption and path of each match; the chosen one highlighted.

class QuickRows : public KxControl {
public:
  QuickRows(FrmQuickSearch* form, const KxRect& rect) : KxControl(form), form(form) {
    bkColor = kBackground;
    Create(form, "", WS_CHILD | WS_VISIBLE, rect);
    pathFont.SetHeight(11);
    pathFont.SetDpi(dpi);
  }

  void OnDpiChanged(int) override { pathFont.SetDpi(dpi); }

  void OnDraw(KxCanvas& canvas) override {
    canvas.SetBkMode(TRANSPARENT);
    const auto& matches = form->Matches();
    // Laid out at 96 DPI, drawn at the window's.
    RECT client = LayoutRect();
    if (matches.empty()) {
      RECT line = {kMargin, 0, client.right - kMargin, kRowHeight};
      canvas.DrawText(font, kPathColor, form->Note(), Px(line), DT_SINGLELINE | DT_VCENTER | DT_END_ELLIPSIS);
      return;
    }
    for (size_t i = 0; i < matches.size(); ++i) {
      const ShortcutRecord& record = *matches[i];
      bool chosen = static_cast<int>(i) == form->Choice();
      int top = static_cast<int>(i) * kRowHeight;
      RECT row = {0, top, client.right, top + kRowHeight};
      if (chosen) canvas.FillRect(kChosenColor, Px(row));
      COLORREF textColor = chosen ? kxWhiteColor : kxBlackColor;
      RECT number = {kMargin, top, kMargin + 14, top + kRowHeight};
      canvas.DrawText(pathFont, chosen ? kChosenPathColor : kPathColor,
                      KxString::FromInt(static_cast<int>(i) + 1), Px(number),
                      DT_SINGLELINE | DT_VCENTER | DT_CENTER);
      int iconLeft = kMargin + 20;
      if (HICON icon = form->IconOf(record.id)) {
        DrawIconEx(canvas.Dc(), Px(iconLeft), Px(top + (kRowHeight - kIconSize) / 2), icon,
                   Px(kIconSize), Px(kIconSize), 0, NULL, DI_NORMAL);
      }
      int textLeft = iconLeft + kIconSize + 8;
      int split = textLeft + (client.right - textLeft) / 2;
      RECT caption = {textLeft, top, split - 6, top + kRowHeight};
      canvas.DrawText(font, textColor, record.text, Px(caption),
                      DT_SINGLELINE | DT_VCENTER | DT_END_ELLIPSIS | DT_NOPREFIX);
      RECT path = {split, top, client.right - kMargin, top + kRowHeight};
      canvas.DrawText(pathFont, chosen ? kChosenPathColor : kPathColor, record.path, Px(path),
                      DT_SINGLELINE | DT_VCENTER | DT_RIGHT | DT_PATH_ELLIPSIS | DT_NOPREFIX);
    }
  }

  // Only a pointer that moves chooses: the platform also reports a move when the rows
  // appear or change under a pointer at rest, which must not undo the keys' choice.
  void OnMouseMove(WPARAM, POINT pt) override {
    POINT screen = pt;
    ClientToScreen(hwnd, &screen);
    bool moved = screen.x != lastPointer.x || screen.y != lastPointer.y;
    lastPointer = screen;
    int row = RowAt(pt);
    if (moved && row >= 0) form->ChooseRow(row);
  }

  // Where the pointer was when the window opened.
  void ForgetPointer() { GetCursorPos(&lastPointer); }

  void OnLButtonUp(WPARAM, POINT pt) override {
    int row = RowAt(pt);
    if (row >= 0) form->StartRow(row);
  }

private:
  int RowAt(POINT pt) const {
    if (pt.y < 0) return -1;
    // Row i is drawn from Px(i * kRowHeight): at a scale that rounds, not every Px(kRowHeight).
    int count = static_cast<int>(form->Matches().size());
    for (int row = 0; row < count; ++row)
      if (pt.y < Px((row + 1) * kRowHeight)) return row;
    return -1;
  }

  FrmQuickSearch* form;
  KxFont pathFont;
  POINT lastPointer = {-32768, -32768};
};

// ---- The window

FrmQuickSearch::FrmQuickSearch(KxControl* owner)
    : KxForm(owner, kQuickSearchCaption, KxRect{0, 0, kWidth, 100}, WS_POPUP | WS_BORDER,
             WS_EX_TOPMOST | WS_EX_TOOLWINDOW) {
  if (!hwnd) return;
  bkColor = kBackground;
  RECT client = LayoutRect();
  int inner = client.right - 2 * kMargin;
  input = new QuickInput(this, KxRect{kMargin, kMargin, inner, kInputHeight});
  input->SetMaxLength(QuickIndex::kMaxQuery);
  rows = new QuickRows(this, KxRect{0, kMargin * 2 + kInputHeight, client.right, kRowHeight});
  BindCmd(*input, KX_EDIT_CHANGE, this, &FrmQuickSearch::OnInputChange);
}

int FrmQuickSearch::OnInputChange(KxEvtParam&) {
  Search();
  return 0;
}

void FrmQuickSearch::Open(HWND returnTo) {
  previous = returnTo;
  // Only the shown rows need their icons: decoding every row's would cost more than all
  // the rest of the opening.
  LoadShortcuts(shortcuts, ShortcutIcons::kSkip);
  icons.clear();
  LaunchStats stats;
  LoadLaunchStats(stats);
  index = QuickIndex();
  byId.clear();
  index.Reserve(static_cast<size_t>(shortcuts.Count()));
  for (const ShortcutRecord* record : ShortcutsInMenuOrder(shortcuts)) {
    byId[record->id] = record;
    QuickCandidate candidate;
    candidate.id = record->id;
    candidate.caption = record->text;
    candidate.path = record->path;
    auto stat = stats.find(record->id);
    if (stat != stats.end()) {
      candidate.launches = stat->second.count;
      candidate.lastLaunch = stat->second.lastDate;
    }
    index.Add(candidate);
  }
  note = index.Count() ? kQuickNoMatchText : kQuickEmptyTreeText;

  POINT pointer = {};
  GetCursorPos(&pointer);
  MONITORINFO monitor = {};
  monitor.cbSize = sizeof(monitor);
  HMONITOR under = MonitorFromPoint(pointer, MONITOR_DEFAULTTONEAREST);
  if (GetMonitorInfoW(under, &monitor)) {
    workArea = monitor.rcWork;
  } else {
    SystemParametersInfoW(SPI_GETWORKAREA, 0, &workArea, 0);
  }
  // Laid out at the DPI of the monitor it opens on, which need not be the one it was made on.
  ApplyDpi(KxDpiOfMonitor(under));
  input->SetText("");
  Search();
  // Placed for nine rows, so that fewer rows shorten it from below and it never jumps.
  int tallest = height - rows->height + kMaxRows * kRowHeight;
  MoveTo(workArea.left + (RectWidth(workArea) - Px(width)) / 2,
         workArea.top + (RectHeight(workArea) - Px(tallest)) / 2);
  Show();
  // A window that cannot take the keyboard (the platform refused the foreground) would
  // stay on top with no way to close it but the pointer.
  if (!SetForegroundWindow(hwnd) || GetForegroundWindow() != hwnd) {
    Dismiss();
    return;
  }
  ::SetFocus(input->hwnd);
}

void FrmQuickSearch::Dismiss() {
  // Closed while it has the keyboard (Esc, the command again): the keyboard goes back to
  // the program it was taken from rather than to the kit window, the owner that would get
  // the activation. It goes first, so that the kit window is not activated in between;
  // the window then closes on its deactivation, which gives nothing back.
  HWND back = previous;
  previous = NULL;
  bool giveBack = back && GetForegroundWindow() == hwnd && IsWindow(back) &&
                  IsWindowVisible(back) && !IsIconic(back);
  if (giveBack) SetForegroundWindow(back);
  if (IsVisible()) Hide();
  matches.clear();
  byId.clear();
  icons.clear();
  shortcuts.Clear();
  index = QuickIndex();
}

void FrmQuickSearch::Search() {
  matches.clear();
  for (int id : index.Find(input->GetText(), kMaxRows)) {
    auto found = byId.find(id);
    if (found == byId.end()) continue;
    matches.push_back(found->second);
    if (icons.find(id) == icons.end()) LoadShortcutIcon(id, icons[id]);
  }
  choice = 0;
  FitToRows();
  rows->Invalidate(false);
}

HICON FrmQuickSearch::IconOf(int id) const {
  auto found = icons.find(id);
  HICON stored = found == icons.end() ? NULL : found->second.Get();
  if (!stored || Px(kIconSize) == kShortcutIconSide) return stored;
  auto record = byId.find(id);
  HICON own = record == byId.end() ? NULL : KxCachedFileIcon(record->second->path, Px(kIconSize));
  return own ? own : stored;
}

void FrmQuickSearch::ChooseRow(int row) {
  if (row >= 0 && row < static_cast<int>(matches.size())) MoveChoice(row - choice);
}

void FrmQuickSearch::MoveChoice(int step) {
  if (matches.empty()) return;
  int last = static_cast<int>(matches.size()) - 1;
  int next = choice + step;
  choice = next < 0 ? 0 : (next > last ? last : next);
  rows->Invalidate(false);
}

void FrmQuickSearch::StartRow(int row) {
  if (row < 0 || row >= static_cast<int>(matches.size())) return;
  int id = matches[static_cast<size_t>(row)]->id;
  // The list outlives the hiding: the start needs the shortcut's path from it.
  ShortcutList list(std::move(shortcuts));
  // Nothing is given back: the started program takes the foreground from this process,
  // which it can only while this process has it.
  previous = NULL;
  Dismiss();
  LaunchShortcut(list, id);
}

void FrmQuickSearch::FitToRows() {
  // Rows that grow or shrink under a pointer at rest report it as moved.
  rows->ForgetPointer();
  int shown = matches.empty() ? 1 : static_cast<int>(matches.size());
  int rowsHeight = shown * kRowHeight;
  if (rows->height != rowsHeight) rows->Resize(rows->width, rowsHeight);
  RECT frame = {0, 0, 0, 0};
  AdjustWindowRectEx(&frame, static_cast<DWORD>(GetWindowLongW(hwnd, GWL_STYLE)), FALSE,
                     static_cast<DWORD>(GetWindowLongW(hwnd, GWL_EXSTYLE)));
  int wanted = rows->y + rowsHeight + kMargin / 2 + Dip(RectHeight(frame));
  if (height != wanted) Resize(width, wanted);
}

bool FrmQuickSearch::CanClose() {
  Dismiss();
  return false;
}

LRESULT FrmQuickSearch::WndProc(KxMsg& m) {
  // Another window took the activation: the search is over, and the keyboard stays where
  // it went.
  if (m.msg == WM_ACTIVATE && LOWORD(m.wParam) == WA_INACTIVE && IsVisible()) {
    previous = NULL;
    Dismiss();
  }
  return KxForm::WndProc(m);
}

void ToggleQuickSearch(HWND returnTo) {
  if (!quickWindow) {
    quickWindow = new FrmQuickSearch(TheKitWindow);
    if (!quickWindow->hwnd) {
      delete quickWindow;
      quickWindow = nullptr;
      return;
    }
  }
  if (quickWindow->IsVisible() && GetForegroundWindow() == quickWindow->hwnd) {
    quickWindow->Dismiss();
  } else {
    quickWindow->Open(returnTo);
  }
}

void DestroyQuickSearch() {
  delete quickWindow;
  quickWindow = nullptr;
}
