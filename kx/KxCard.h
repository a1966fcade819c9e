#pragma once
// The object root and the windowed element of the toolkit, the registry from window
// handles to their objects, and the window procedure that every toolkit window shares.

#include <windows.h>

#include "kx/KxDpi.h"
#include "kx/KxEvt.h"
#include "kx/KxFont.h"
#include "kx/base/KxString.h"

// The one window class of every toolkit window, registered at start-up.
extern const char kKxCardClassName[];

class KxObj {
public:
  virtual KxString GetClassName() const;
  virtual ~KxObj() = default;
};

class KxCard;

// A rectangle as the toolkit passes it around: position and size.
struct KxRect {
  int x = 0, y = 0, width = 0, height = 0;
};

// A window message as it reaches KxCard::WndProc.
struct KxMsg {
  KxCard* card;
  UINT msg;
  WPARAM wParam;
  LPARAM lParam;
};

// The arguments of CreateWindowExA, in the platform's order; PreCreate may change them.
struct KxCreateParams {
  DWORD exStyle = 0;
  KxString className;
  KxString windowName;
  DWORD style = 0;
  int x = 0, y = 0, width = 0, height = 0;
  HWND parent = NULL;
  HMENU menu = NULL;
  HINSTANCE instance = NULL;
  void* param = nullptr;
};

KxEvtParam KxMakeEvtParam(const KxMsg& m);

class KxCard : public KxObj {
public:
  KxCard() = default;
  KxCard(const KxCard&) = delete;
  KxCard& operator=(const KxCard&) = delete;
  ~KxCard() override;

  KxString GetClassName() const override;
  virtual LRESULT WndProc(KxMsg& m);
  virtual bool PreCreate(KxCreateParams& params);
  virtual void OnCreate() {}
  virtual void OnDestroy() {}

  bool Create(const KxString& className, const KxString& caption, DWORD style, const KxRect& rect,
              KxCard* parent);

  void SetText(const KxString& text);
  KxString GetText() const;
  RECT ClientRect() const;
  RECT WindowRect() const;
  void Enable(bool enabled);
  void AcceptFiles(bool accept);
  void ModifyStyle(DWORD remove, DWORD add);
  void Invalidate(bool erase);
  void Show();
  void Hide();
  bool IsVisible() const;
  void SetLeft(int left);
  void SetWidth(int w);
  void MoveTo(int left, int top);
  void Resize(int w, int h);
  void SetBounds(const KxRect& rect, bool repaint);
  void SetTopMost();
  void SetFocus();
  // Pixels, for a card that keeps its rectangle in pixels or for code that measured in
  // pixels (text extents): the window goes there and the fields follow.
  void SetBoundsPx(const RECT& rect, bool repaint);
  void ResizePx(int w, int h);

  // A 96-DPI value in pixels of this card's DPI, and back.
  int Px(int value) const { return KxScale(value, dpi); }
  int Dip(int pixels) const { return KxUnscale(pixels, dpi); }
  RECT Px(const RECT& r) const { return RECT{Px(r.left), Px(r.top), Px(r.right), Px(r.bottom)}; }
  // The client area in 96-DPI values: what children are placed in.
  RECT LayoutRect() const;
  bool IsChild() const;
  // The card and its children take another DPI: fonts, their windows' places (from the
  // fields, which stay) and whatever OnDpiChanged rebuilds. The top-level window itself is
  // placed by whoever asked (WM_DPICHANGED gives the rectangle).
  virtual void ApplyDpi(int newDpi);
  // After the DPI changed, the children's included: what a card keeps in pixels (image
  // lists, measured text).
  virtual void OnDpiChanged(int oldDpi) { (void)oldDpi; }
  virtual void ApplyDpiToChildren(int newDpi) { (void)newDpi; }

  WNDPROC prevWndProc = nullptr;  // the procedure that subclassing replaced
  // The rectangle in 96-DPI values: a child's in its parent's client area, a top-level
  // window's size (its position is in screen pixels: a desktop has no 96-DPI origin).
  // A card with pixelLayout keeps all four in pixels.
  int x = 0, y = 0, width = 0, height = 0;
  int dpi = kKxBaseDpi;     // of the window: the top-level window's monitor
  bool pixelLayout = false;  // set before Create: the rectangle is in pixels
  KxFont font;             // DEFAULT_GUI_FONT until a property of it is set
  KxEvtMap msgHandlers;    // listeners, run after the card's own handling
  KxEvtMap timerHandlers;  // timer id -> handler
  HWND hwnd = NULL;

protected:
  DWORD createExStyle = 0;  // the extended style Create starts from; PreCreate may change it

  // The fields from the window's rectangle, as WM_MOVE and WM_SIZE report it.
  void RefreshPosition(bool withSize);

private:
  void MoveWindowToFields(bool repaint);
  int SizePx(int value) const { return pixelLayout ? value : Px(value); }
  int PlacePx(int value, bool child) const { return pixelLayout || !child ? value : Px(value); }
  int SizeField(int pixels) const { return pixelLayout ? pixels : Dip(pixels); }
};

template <class T>
void BindMsg(KxCard& card, UINT message, T* object, int (T::*handler)(KxEvtParam&)) {
  card.msgHandlers.Bind(message, new KxEvtMaker<T>(object, handler));
}

// Binds a timer handler under the next id (1, 2, 3 ... per card) and starts the timer;
// with elapse 0 the timer is only bound, for SetTimer with that id later.
template <class T>
UINT BindTimer(KxCard& card, T* object, int (T::*handler)(KxEvtParam&), UINT elapse) {
  UINT id = static_cast<UINT>(card.timerHandlers.Count() + 1);
  card.timerHandlers.Bind(id, new KxEvtMaker<T>(object, handler));
  if (elapse) SetTimer(card.hwnd, id, elapse, NULL);
  return id;
}

// Handle -> object lookup; the only way from a window handle to its card.
namespace KxCardRegistry {
void Enter(HWND hwnd, KxCard* card);
void Leave(KxCard* card);
KxCard* Find(HWND hwnd);
int Count();
void Clear();
}  // namespace KxCardRegistry

LRESULT CALLBACK KxSharedWndProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);

// Registers the toolkit's window class for this module; false when the platform refuses.
bool KxRegisterCardClass(HINSTANCE instance);
void KxUnregisterCardClass(HINSTANCE instance);
