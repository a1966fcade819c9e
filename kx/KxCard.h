#pragma once
// The object root and the windowed element of the toolkit, the registry from window
// handles to their objects, and the window procedure that every toolkit window shares.

#include <windows.h>

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

  WNDPROC prevWndProc = nullptr;  // the procedure that subclassing replaced
  int x = 0, y = 0, width = 0, height = 0;
  KxFont font;             // DEFAULT_GUI_FONT until a property of it is set
  KxEvtMap msgHandlers;    // listeners, run after the card's own handling
  KxEvtMap timerHandlers;  // timer id -> handler
  HWND hwnd = NULL;

protected:
  DWORD createExStyle = 0;  // the extended style Create starts from; PreCreate may change it

private:
  void MoveWindowToFields(bool repaint);
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
