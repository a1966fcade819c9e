#include "kx/KxControl.h"

#include "kx/base/KxWide.h"

#include <shellapi.h>

#include "kx/KxMenu.h"
#include "kx/KxOwnerDraw.h"
#include "kx/base/KxHandles.h"

namespace {

POINT PointOf(LPARAM lParam) {
  POINT pt = {static_cast<LONG>(LOWORD(lParam)), static_cast<LONG>(HIWORD(lParam))};
  return pt;
}

bool HasStyle(HWND hwnd, DWORD style) {
  WINDOWINFO info = {};
  info.cbSize = sizeof(info);
  return GetWindowInfo(hwnd, &info) && (info.dwStyle & style) != 0;
}

}  // namespace

KxControl::KxControl(KxControl* parentControl) : parent(parentControl) {
  if (parentControl) parentControl->children.Add(this);
}

KxControl::~KxControl() {
  // Children go first, each through its own destructor; taking them off the list before
  // deleting keeps a child from searching a list that is being emptied.
  while (KxListNode<KxControl*>* node = children.Head()) {
    KxControl* child = node->value;
    children.Remove(node);
    child->parent = nullptr;
    delete child;
  }
  if (parent) {
    for (KxListNode<KxControl*>* node = parent->children.Head(); node; node = node->next) {
      if (node->value == this) {
        parent->children.Remove(node);
        break;
      }
    }
  }
  cmdHandlers.Clear();
  if (bkImage) DeleteObject(bkImage);
  bkImage = NULL;
}

bool KxControl::Create(KxControl* parentControl, const KxString& caption, DWORD style,
                       const KxRect& rect) {
  parent = parentControl;
  style = borderStyle != 0 ? (style | WS_BORDER) : (style & ~static_cast<DWORD>(WS_BORDER));
  return KxCard::Create(kKxCardClassName, caption, style, rect, parentControl);
}

void KxControl::SetBorderStyle(int style) {
  borderStyle = style;
  if (style != 0) {
    ModifyStyle(0, WS_BORDER);
  } else {
    ModifyStyle(WS_BORDER, 0);
  }
}

void KxControl::SetBkImage(HBITMAP image) {
  if (bkImage && bkImage != image) DeleteObject(bkImage);
  bkImage = image;
}

void KxControl::ApplyDpi(int newDpi) {
  if (newDpi <= 0 || newDpi == dpi) return;
  // From the 96-DPI values: scaling the pixels of the last DPI would drift with rounding.
  margin = RECT{KxScale(marginDip.left, newDpi), KxScale(marginDip.top, newDpi),
                KxScale(marginDip.right, newDpi), KxScale(marginDip.bottom, newDpi)};
  KxCard::ApplyDpi(newDpi);
}

void KxControl::ApplyDpiToChildren(int newDpi) {
  for (KxControl* child : children) child->ApplyDpi(newDpi);
  // A card made without this control as its owner (a form's member tree) is still one of its
  // child windows; ApplyDpi does nothing for one already at newDpi.
  for (HWND window = GetWindow(hwnd, GW_CHILD); window; window = GetWindow(window, GW_HWNDNEXT)) {
    if (KxCard* card = KxCardRegistry::Find(window)) card->ApplyDpi(newDpi);
  }
}

LRESULT KxControl::WndProc(KxMsg& m) {
  if (KxEvt* command = cmdHandlers.Find(m.msg)) {
    KxEvtParam p = KxMakeEvtParam(m);
    return command->Invoke(p);
  }

  switch (m.msg) {
    case WM_MOVE:
      RefreshPosition(false);
      break;
    case WM_SIZE: {
      RefreshPosition(true);
      OnSize(LayoutRect());
      break;
    }
    case WM_SETFOCUS:
      OnSetFocus();
      break;
    case WM_KILLFOCUS:
      OnKillFocus();
      break;
    case WM_PAINT:
      OnPaint();
      DrawFrame();
      break;
    case WM_ERASEBKGND:
      return 1;
    case WM_SETCURSOR: {
      POINT cursor;
      RECT r = WindowRect();
      GetCursorPos(&cursor);
      bool inside = cursor.x >= r.left && cursor.x <= r.right && cursor.y >= r.top &&
                    cursor.y <= r.bottom;
      if (inside && OnSetCursor()) return 1;
      break;
    }
    case WM_DRAWITEM: {
      const DRAWITEMSTRUCT* draw = reinterpret_cast<const DRAWITEMSTRUCT*>(m.lParam);
      if (draw && draw->CtlType == ODT_MENU) {
        if (draw->itemData) reinterpret_cast<KxOwnerDrawItem*>(draw->itemData)->Draw(*draw);
        return 0;
      }
      break;
    }
    case WM_MEASUREITEM: {
      MEASUREITEMSTRUCT* measure = reinterpret_cast<MEASUREITEMSTRUCT*>(m.lParam);
      if (measure && measure->CtlType == ODT_MENU) {
        if (measure->itemData)
          reinterpret_cast<KxOwnerDrawItem*>(measure->itemData)->Measure(*measure);
        return 0;
      }
      break;
    }
    case WM_MENUCHAR:
      // Owner-drawn items give the platform no text to match a typed key against.
      if (KxMenu* menu = KxMenu::FromHandle(reinterpret_cast<HMENU>(m.lParam)))
        return menu->MenuChar(LOWORD(m.wParam));
      break;
    case WM_NOTIFY: {
      const NMHDR* header = reinterpret_cast<const NMHDR*>(m.lParam);
      if (header && header->hwndFrom != hwnd)
        return SendMessageW(header->hwndFrom, WM_NOTIFY, m.wParam, m.lParam);
      break;
    }
    case WM_INPUTLANGCHANGE:
      if (OnInputLangChange()) return 1;
      break;
    case WM_KEYDOWN:
      OnKeyDown(m.wParam, m.lParam);
      break;
    case WM_KEYUP:
      OnKeyUp(m.wParam, m.lParam);
      break;
    case WM_CHAR:
      OnChar(m.wParam, m.lParam);
      break;
    case WM_COMMAND: {
      HWND source = reinterpret_cast<HWND>(m.lParam);
      if (source && source != hwnd) SendMessageW(source, WM_COMMAND, m.wParam, m.lParam);
      break;
    }
    case WM_HSCROLL:
      OnHScroll(m.wParam, m.lParam);
      break;
    case WM_VSCROLL:
      OnVScroll(m.wParam, m.lParam);
      break;
    case WM_MOUSEMOVE:
      OnMouseMove(m.wParam, PointOf(m.lParam));
      break;
    case WM_LBUTTONDOWN:
      if (GetFocus() != hwnd) ::SetFocus(hwnd);
      SetCapture(hwnd);
      pressed = true;
      OnLButtonDown(m.wParam, PointOf(m.lParam));
      break;
    case WM_LBUTTONUP: {
      if (pressed) {
        pressed = false;
        // Where the pointer was when the button went up, not where it is by now.
        DWORD at = GetMessagePos();
        POINT cursor = {static_cast<short>(LOWORD(at)), static_cast<short>(HIWORD(at))};
        if (WindowFromPoint(cursor) == hwnd) {
          KxEvtParam p = KxMakeEvtParam(m);
          OnClick(p);
          PostMessageW(hwnd, KX_WM_CLICK, m.wParam, m.lParam);
        }
      }
      ReleaseCapture();
      OnLButtonUp(m.wParam, PointOf(m.lParam));
      break;
    }
    case WM_LBUTTONDBLCLK:
      OnLButtonDblClk(m.wParam, PointOf(m.lParam));
      break;
    case WM_RBUTTONDOWN:
      OnRButtonDown(m.wParam, PointOf(m.lParam));
      break;
    case WM_RBUTTONUP:
      OnRButtonUp(m.wParam, PointOf(m.lParam));
      break;
    case WM_DROPFILES: {
      HDROP drop = reinterpret_cast<HDROP>(m.wParam);
      UINT count = DragQueryFileW(drop, 0xFFFFFFFF, NULL, 0);
      KxStringList paths;
      for (UINT i = 0; i < count; ++i) {
        // Asked for its length first: a path is never cut at MAX_PATH.
        UINT length = DragQueryFileW(drop, i, NULL, 0);
        KxWide path;
        if (length == 0 || !path.Resize(static_cast<int>(length))) continue;
        UINT got = DragQueryFileW(drop, i, path.Buffer(), length + 1);
        if (got == 0) continue;
        paths.Add(KxFromWide(path, static_cast<int>(got < length ? got : length)));
      }
      POINT at = {0, 0};
      DragQueryPoint(drop, &at);
      dropPoint = at;
      OnDropFiles(paths);
      DragFinish(drop);
      break;
    }
    default:
      break;
  }

  LRESULT result = KxCard::WndProc(m);
  if (m.msg == WM_SHOWWINDOW) {
    if (m.wParam) {
      OnShow();
    } else {
      OnHide();
    }
  }
  return result;
}

void KxControl::OnPaint() {
  KxPaintCanvas screen(this);
  RECT client = ClientRect();
  int w = client.right - client.left;
  int h = client.bottom - client.top;
  KxGdiObject offscreen(CreateCompatibleBitmap(screen.Dc(), w, h));
  {
    KxCompatibleCanvas canvas(this, screen);
    KxSelected selected(canvas.Dc(), offscreen.Get());
    if (bkImage) {
      canvas.TileBitmap(bkImage, client);
    } else if (bkColor != 0) {
      canvas.FillRect(HasStyle(hwnd, WS_DISABLED) ? bkColorDisabled : bkColor, client);
    }
    OnDraw(canvas);
    BitBlt(screen.Dc(), client.left, client.top, w, h, canvas.Dc(), 0, 0, SRCCOPY);
  }
}

void KxControl::DrawBorderOn(HDC dc, const RECT& rect) {
  RECT grown = {rect.left, rect.top, rect.right + 1, rect.bottom + 1};
  RECT r = rect;
  switch (borderStyle) {
    case 1:
      DrawEdge(dc, &grown, EDGE_ETCHED, BF_RECT);
      break;
    case 2: {
      HBRUSH brush = CreateSolidBrush(frameColor);
      ::FrameRect(dc, &r, brush);
      DeleteObject(brush);
      break;
    }
    case 3:
      DrawEdge(dc, &grown, EDGE_RAISED, BF_RECT);
      break;
    case 5:
      DrawFocusRect(dc, &r);
      break;
    default:
      break;
  }
}

void KxControl::DrawFrame() {
  if (borderStyle == 0) return;
  KxWinCanvas canvas(this);
  RECT window = WindowRect();
  RECT r = {0, 0, window.right - window.left, window.bottom - window.top};
  DrawBorderOn(canvas.Dc(), r);
}

void KxControl::DrawBorder(KxCanvas& canvas) { DrawBorderOn(canvas.Dc(), ClientRect()); }
