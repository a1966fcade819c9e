#include "kx/KxForm.h"

#include "kx/base/KxModal.h"

namespace {

KxFormHost* formHost = nullptr;

void RedrawFrame(HWND hwnd) {
  SetWindowPos(hwnd, NULL, 0, 0, 0, 0, SWP_FRAMECHANGED | SWP_NOZORDER | SWP_NOMOVE | SWP_NOSIZE);
}

}  // namespace

void KxSetFormHost(KxFormHost* host) { formHost = host; }

KxForm::KxForm(KxControl* owner, const KxString& caption, const KxRect& rect, DWORD style,
               DWORD exStyle, bool pixels)
    : KxControl(nullptr) {
  parent = owner;
  pixelLayout = pixels;
  createExStyle = exStyle;
  Create(owner, caption, style, rect);
}

KxString KxForm::GetClassName() const { return "KxForm"; }

LRESULT KxForm::WndProc(KxMsg& m) {
  switch (m.msg) {
    case WM_DESTROY:
      if (formHost && formHost->HostMainForm() == this) formHost->HostQuit();
      return 0;
    case WM_ACTIVATE:
      if (formHost) {
        if (LOWORD(m.wParam) != 0) {
          formHost->HostSetActiveForm(this);
          OnActivate();
        } else {
          formHost->HostSetActiveForm(nullptr);
        }
      }
      break;
    case kKxWmDpiChanged: {
      // The window moves onto a monitor of another DPI: it takes the rectangle the
      // platform suggests and everything inside it is laid out and drawn at the new scale.
      // A window laid out for that monitor before it was moved there keeps its rectangle.
      if (HIWORD(m.wParam) == dpi) return 0;
      ApplyDpi(HIWORD(m.wParam));
      const RECT* suggested = reinterpret_cast<const RECT*>(m.lParam);
      if (suggested) {
        SetWindowPos(hwnd, NULL, suggested->left, suggested->top, suggested->right - suggested->left,
                     suggested->bottom - suggested->top, SWP_NOZORDER | SWP_NOACTIVATE);
      }
      RefreshPosition(true);
      OnSize(LayoutRect());
      InvalidateRect(hwnd, NULL, TRUE);
      return 0;
    }
    case WM_CLOSE:
      if (!CanClose()) return 0;
      OnClose();
      if (isModal && modalResult == 2) modalResult = 3;
      break;
    default:
      break;
  }
  return KxControl::WndProc(m);
}

int KxForm::ShowModal() {
  // Ended from outside (an exit) as the close box ends it.
  KxModalRun run(
      [](void* self) {
        KxForm* form = static_cast<KxForm*>(self);
        if (form->modalResult == 2) form->EndModal(3);
      },
      this);
  isModal = true;
  Show();
  HWND owner = parent ? parent->hwnd : NULL;
  if (owner) EnableWindow(owner, FALSE);
  MSG msg = {};
  // The result is looked at before each wait: a run ended while an inner one went on (both
  // ended by an exit) returns at once instead of waiting for some later message.
  while (modalResult == 2 && GetMessageW(&msg, NULL, 0, 0) > 0) {
    TranslateMessage(&msg);
    KxEvt* listener = nullptr;
    bool routed = msg.hwnd == hwnd ||
                  (msg.message == WM_KEYDOWN && (msg.wParam == VK_TAB || keyPreview));
    if (routed) listener = msgHandlers.Find(msg.message);
    if (listener) {
      KxMsg m{this, msg.message, msg.wParam, msg.lParam};
      KxEvtParam p = KxMakeEvtParam(m);
      listener->Invoke(p);
    } else {
      DispatchMessageW(&msg);
    }
    if (modalResult != 2 && !IsWindowVisible(hwnd)) break;
  }
  if (msg.message == WM_QUIT) PostQuitMessage(static_cast<int>(msg.wParam));
  // The WM_CLOSE that EndModal posted has done its part; every other message stays queued.
  MSG ending;
  while (PeekMessageW(&ending, hwnd, WM_CLOSE, WM_CLOSE, PM_REMOVE)) {
  }
  Hide();
  if (owner) EnableWindow(owner, TRUE);
  return modalResult;
}

void KxForm::EndModal(int result) {
  modalResult = result;
  PostMessageW(hwnd, WM_CLOSE, 0, 0);
}

void KxForm::SetIcon(HICON icon) {
  SendMessageW(hwnd, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(icon));
}

void KxForm::CenterOnScreen() {
  // On the monitor of the pointer, where the user asked for the window, laid out for its DPI
  // before it goes there.
  POINT pointer = {0, 0};
  GetCursorPos(&pointer);
  HMONITOR under = MonitorFromPoint(pointer, MONITOR_DEFAULTTOPRIMARY);
  MONITORINFO monitor = {};
  monitor.cbSize = sizeof(monitor);
  if (!GetMonitorInfoW(under, &monitor)) {
    SetRect(&monitor.rcWork, 0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN));
  }
  int monitorDpi = KxDpiOfMonitor(under);
  if (monitorDpi != dpi) {
    ApplyDpi(monitorDpi);
    Resize(width, height);
  }
  RECT r = WindowRect();
  const RECT& work = monitor.rcWork;
  int w = r.right - r.left, h = r.bottom - r.top;
  // At a large scale a window may be larger than the work area: one that can be sized
  // shrinks to it, any other keeps its title bar on the screen.
  if (GetWindowLongW(hwnd, GWL_STYLE) & WS_THICKFRAME) {
    int fitW = w < work.right - work.left ? w : work.right - work.left;
    int fitH = h < work.bottom - work.top ? h : work.bottom - work.top;
    if (fitW != w || fitH != h) ResizePx(w = fitW, h = fitH);
  }
  int left = work.left + (work.right - work.left - w) / 2;
  int top = work.top + (work.bottom - work.top - h) / 2;
  // Only the place: the size in pixels stays as it is (its fields may round to another).
  SetWindowPos(hwnd, NULL, left > work.left ? left : work.left, top > work.top ? top : work.top, 0, 0,
               SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
  RefreshPosition(false);
}

void KxForm::SetFixedSize(bool fixed) {
  LONG old = GetWindowLongW(hwnd, GWL_STYLE);
  LONG style = old;
  if (fixed) {
    style &= ~static_cast<LONG>(WS_THICKFRAME | WS_MINIMIZEBOX | WS_MAXIMIZEBOX);
  } else {
    style |= WS_THICKFRAME | WS_MAXIMIZEBOX;
  }
  if (style == old) return;
  SetWindowLongW(hwnd, GWL_STYLE, style);
  RedrawFrame(hwnd);
}

void KxForm::ShowInTaskbar(bool show) {
  LONG old = GetWindowLongW(hwnd, GWL_EXSTYLE);
  LONG exStyle = old & ~static_cast<LONG>(WS_EX_APPWINDOW | WS_EX_TOOLWINDOW);
  exStyle |= show ? WS_EX_APPWINDOW : WS_EX_TOOLWINDOW;
  if (exStyle == old) return;
  SetWindowLongW(hwnd, GWL_EXSTYLE, exStyle);
  RedrawFrame(hwnd);
}

void KxForm::Maximize() { ShowWindow(hwnd, SW_SHOWMAXIMIZED); }

void KxForm::Restore() { ShowWindow(hwnd, SW_SHOWNORMAL); }

bool KxForm::IsMaximized() const {
  WINDOWINFO info = {};
  info.cbSize = sizeof(info);
  return GetWindowInfo(hwnd, &info) && (info.dwStyle & WS_MAXIMIZE) != 0;
}

void KxForm::ToggleShown() {
  if (IsVisible()) {
    SendMessageW(hwnd, WM_CLOSE, 0, 0);
    return;
  }
  // SW_SHOW keeps a maximised window maximised.
  ShowWindow(hwnd, SW_SHOW);
  SetForegroundWindow(hwnd);
}

KxPopForm::KxPopForm(KxControl* owner, const KxRect& rect, DWORD exStyle, bool pixels)
    : KxForm(owner, "", rect, WS_POPUP, exStyle, pixels) {}

void KxPopForm::ShowAt(POINT at) {
  MoveTo(at.x, at.y);
  SetWindowPos(hwnd, NULL, 0, 0, 0, 0,
               SWP_NOSIZE | SWP_NOMOVE | SWP_NOACTIVATE | SWP_SHOWWINDOW | SWP_NOOWNERZORDER);
}
