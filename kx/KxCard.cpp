#include "kx/KxCard.h"

#include "kx/base/KxWide.h"

#include <shellapi.h>

const char kKxCardClassName[] = "KxCardClassName";

KxString KxObj::GetClassName() const { return "KxObj"; }

// ---- Event parameters

KxEvtParam KxMakeEvtParam(const KxMsg& m) {
  KxEvtParam p;
  p.sender = m.card;
  p.wParam = m.wParam;
  p.lParam = m.lParam;
  switch (m.msg) {
    case WM_KEYDOWN:
    case WM_CHAR:
      p.kind = 1;
      p.key = static_cast<int>(m.wParam);
      p.ctrl = (m.lParam & (1 << 24)) ? 1 : 0;
      break;
    case WM_MOUSEMOVE:
    case WM_LBUTTONDOWN:
    case WM_LBUTTONUP:
    case WM_RBUTTONDOWN:
    case WM_MBUTTONDOWN:
      p.kind = 0;
      p.pt.x = LOWORD(m.lParam);
      p.pt.y = HIWORD(m.lParam);
      p.ctrl = (m.wParam & MK_CONTROL) ? 1 : 0;
      p.shift = (m.wParam & MK_SHIFT) ? 1 : 0;
      break;
    default:
      p.kind = 2;
      break;
  }
  return p;
}

// ---- Registry

namespace {

struct RegistryEntry {
  HWND hwnd;
  KxCard* card;
  RegistryEntry* next;
};

RegistryEntry* registryHead = nullptr;
int registryCount = 0;

}  // namespace

namespace KxCardRegistry {

void Enter(HWND hwnd, KxCard* card) {
  for (RegistryEntry* e = registryHead; e; e = e->next) {
    if (e->hwnd == hwnd) {
      e->card = card;
      return;
    }
  }
  registryHead = new RegistryEntry{hwnd, card, registryHead};
  ++registryCount;
}

void Leave(KxCard* card) {
  RegistryEntry** link = &registryHead;
  while (*link) {
    if ((*link)->card == card) {
      RegistryEntry* gone = *link;
      *link = gone->next;
      delete gone;
      --registryCount;
    } else {
      link = &(*link)->next;
    }
  }
}

KxCard* Find(HWND hwnd) {
  for (RegistryEntry* e = registryHead; e; e = e->next)
    if (e->hwnd == hwnd) return e->card;
  return nullptr;
}

int Count() { return registryCount; }

void Clear() {
  while (registryHead) {
    RegistryEntry* next = registryHead->next;
    delete registryHead;
    registryHead = next;
  }
  registryCount = 0;
}

}  // namespace KxCardRegistry

LRESULT CALLBACK KxSharedWndProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  KxCard* card = KxCardRegistry::Find(hwnd);
  if (!card) return DefWindowProcW(hwnd, msg, wParam, lParam);
  KxMsg m{card, msg, wParam, lParam};
  return card->WndProc(m);
}

bool KxRegisterCardClass(HINSTANCE instance) {
  WNDCLASSEXW wc = {};
  wc.cbSize = sizeof(wc);
  wc.style = CS_VREDRAW | CS_HREDRAW | CS_DBLCLKS | CS_OWNDC;
  wc.lpfnWndProc = KxSharedWndProc;
  wc.hInstance = instance;
  wc.hIcon = LoadIconW(NULL, MAKEINTRESOURCEW(32512));  // IDI_APPLICATION
  wc.hIconSm = wc.hIcon;
  wc.hCursor = LoadCursorW(NULL, MAKEINTRESOURCEW(32512));  // IDC_ARROW
  wc.hbrBackground = reinterpret_cast<HBRUSH>(static_cast<INT_PTR>(COLOR_MENU + 1));
  KxWide className(kKxCardClassName);
  wc.lpszClassName = className;
  return RegisterClassExW(&wc) != 0;
}

void KxUnregisterCardClass(HINSTANCE instance) { UnregisterClassW(KxWide(kKxCardClassName), instance); }

// ---- KxCard

KxCard::~KxCard() {
  // Leaving the registry first means the object never sees its own WM_DESTROY.
  KxCardRegistry::Leave(this);
  if (hwnd && IsWindow(hwnd)) DestroyWindow(hwnd);
  hwnd = NULL;
  timerHandlers.Clear();
  msgHandlers.Clear();
}

KxString KxCard::GetClassName() const { return "KxCard"; }

bool KxCard::PreCreate(KxCreateParams& params) {
  (void)params;
  return true;
}

bool KxCard::Create(const KxString& className, const KxString& caption, DWORD style,
                    const KxRect& rect, KxCard* parent) {
  x = rect.x;
  y = rect.y;
  width = rect.width;
  height = rect.height;
  const bool child = (style & WS_CHILD) != 0 && parent;
  // A child has its top-level window's DPI; a top-level window the DPI of the monitor it
  // is made on.
  ApplyDpi(child ? parent->dpi : KxDpiOfRect(RECT{x, y, x + width, y + height}));

  KxCreateParams params;
  params.exStyle = createExStyle;
  params.className = className;
  params.windowName = caption;
  params.style = style;
  params.x = PlacePx(x, child);
  params.y = PlacePx(y, child);
  params.width = SizePx(width);
  params.height = SizePx(height);
  params.parent = parent ? parent->hwnd : NULL;
  params.instance = GetModuleHandleW(NULL);
  if (!PreCreate(params)) return false;

  hwnd = CreateWindowExW(params.exStyle, KxWide(params.className), KxWide(params.windowName),
                         params.style, params.x, params.y, params.width, params.height,
                         params.parent, params.menu, params.instance, params.param);
  if (!hwnd) return false;
  KxCardRegistry::Enter(hwnd, this);
  // The system gives a top-level window the DPI of the monitor that holds most of it, which
  // need not be the one under its top-left corner.
  if (!child) {
    int actual = KxDpiOfWindow(hwnd);
    if (actual != dpi) {
      ApplyDpi(actual);
      SetWindowPos(hwnd, NULL, 0, 0, SizePx(width), SizePx(height),
                   SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    }
  }
  SendMessageW(hwnd, WM_SETFONT, reinterpret_cast<WPARAM>(font.Handle()), TRUE);
  OnCreate();
  if (lstrcmpA(params.className.CStr(), kKxCardClassName) != 0) {
    prevWndProc = reinterpret_cast<WNDPROC>(
        SetWindowLongPtrW(hwnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(KxSharedWndProc)));
  }
  return true;
}

bool KxCard::IsChild() const { return (GetWindowLongW(hwnd, GWL_STYLE) & WS_CHILD) != 0; }

RECT KxCard::LayoutRect() const {
  RECT r = ClientRect();
  if (pixelLayout) return r;
  return RECT{Dip(r.left), Dip(r.top), Dip(r.right), Dip(r.bottom)};
}

void KxCard::RefreshPosition(bool withSize) {
  RECT r = WindowRect();
  POINT topLeft = {r.left, r.top};
  bool child = IsChild();
  if (child) ScreenToClient(GetParent(hwnd), &topLeft);
  x = child && !pixelLayout ? Dip(topLeft.x) : topLeft.x;
  y = child && !pixelLayout ? Dip(topLeft.y) : topLeft.y;
  if (withSize) {
    width = SizeField(r.right - r.left);
    height = SizeField(r.bottom - r.top);
  }
}

void KxCard::ApplyDpi(int newDpi) {
  if (newDpi <= 0 || newDpi == dpi) return;
  int oldDpi = dpi;
  dpi = newDpi;
  font.SetDpi(dpi);
  if (!hwnd) return;
  SendMessageW(hwnd, WM_SETFONT, reinterpret_cast<WPARAM>(font.Handle()), FALSE);
  // A child goes where its fields say at the new scale; a top-level window is placed by
  // the caller.
  if (IsChild()) MoveWindowToFields(false);
  ApplyDpiToChildren(newDpi);
  OnDpiChanged(oldDpi);
  Invalidate(false);
}

LRESULT KxCard::WndProc(KxMsg& m) {
  switch (m.msg) {
    case WM_DESTROY:
      OnDestroy();
      break;
    case WM_DISPLAYCHANGE:
      Invalidate(true);
      break;
    case WM_TIMER:
      if (KxEvt* timer = timerHandlers.Find(static_cast<unsigned int>(m.wParam))) {
        KxEvtParam p = KxMakeEvtParam(m);
        return timer->Invoke(p);
      }
      break;
    default:
      break;
  }
  if (KxEvt* listener = msgHandlers.Find(m.msg)) {
    KxEvtParam p = KxMakeEvtParam(m);
    listener->Invoke(p);
  }
  if (prevWndProc) return CallWindowProcW(prevWndProc, hwnd, m.msg, m.wParam, m.lParam);
  return DefWindowProcW(hwnd, m.msg, m.wParam, m.lParam);
}

// ---- Window operations

void KxCard::SetText(const KxString& text) { KxSetWindowText(hwnd, text); }

KxString KxCard::GetText() const { return KxWindowText(hwnd); }

RECT KxCard::ClientRect() const {
  RECT r = {0, 0, 0, 0};
  if (!GetClientRect(hwnd, &r)) SetRectEmpty(&r);
  return r;
}

RECT KxCard::WindowRect() const {
  RECT r = {0, 0, 0, 0};
  if (!GetWindowRect(hwnd, &r)) SetRectEmpty(&r);
  return r;
}

void KxCard::Enable(bool enabled) { EnableWindow(hwnd, enabled ? TRUE : FALSE); }

void KxCard::AcceptFiles(bool accept) { DragAcceptFiles(hwnd, accept ? TRUE : FALSE); }

void KxCard::ModifyStyle(DWORD remove, DWORD add) {
  DWORD style = static_cast<DWORD>(GetWindowLongW(hwnd, GWL_STYLE));
  SetWindowLongW(hwnd, GWL_STYLE, static_cast<LONG>((style & ~remove) | add));
  SetWindowPos(hwnd, NULL, 0, 0, 0, 0, SWP_FRAMECHANGED | SWP_NOZORDER | SWP_NOMOVE | SWP_NOSIZE);
}

// A window not on the screen is drawn whole when it is shown: marking it costs a call to
// the platform for nothing (a program that makes many windows before it shows them pays it
// for each).
void KxCard::Invalidate(bool erase) {
  if (!IsWindowVisible(hwnd)) return;
  InvalidateRect(hwnd, NULL, erase ? TRUE : FALSE);
}

void KxCard::Show() { ShowWindow(hwnd, SW_SHOWNORMAL); }

void KxCard::Hide() { ShowWindow(hwnd, SW_HIDE); }

bool KxCard::IsVisible() const { return IsWindowVisible(hwnd) == 1; }

void KxCard::MoveWindowToFields(bool repaint) {
  bool child = IsChild();
  MoveWindow(hwnd, PlacePx(x, child), PlacePx(y, child), SizePx(width), SizePx(height),
             repaint ? TRUE : FALSE);
}

void KxCard::SetLeft(int left) {
  x = left;
  MoveWindowToFields(true);
}

void KxCard::SetWidth(int w) {
  width = w;
  MoveWindowToFields(true);
}

void KxCard::MoveTo(int left, int top) {
  x = left;
  y = top;
  MoveWindowToFields(true);
}

void KxCard::Resize(int w, int h) {
  width = w;
  height = h;
  MoveWindowToFields(true);
}

void KxCard::SetBounds(const KxRect& rect, bool repaint) {
  x = rect.x;
  y = rect.y;
  width = rect.width;
  height = rect.height;
  MoveWindowToFields(repaint);
}

void KxCard::SetBoundsPx(const RECT& rect, bool repaint) {
  MoveWindow(hwnd, rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top,
             repaint ? TRUE : FALSE);
  RefreshPosition(true);
}

void KxCard::ResizePx(int w, int h) {
  SetWindowPos(hwnd, NULL, 0, 0, w, h, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
  RefreshPosition(true);
}

void KxCard::SetTopMost() {
  SetWindowPos(hwnd, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
}

void KxCard::SetFocus() { ::SetFocus(hwnd); }
