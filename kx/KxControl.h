#pragma once
// The base of every visible element: the parent/child tree (a parent owns its children),
// background and border drawing, the pressed state behind clicks, and the command
// handlers that take a message before anything else.

#include "kx/KxCanvas.h"
#include "kx/KxCard.h"
#include "kx/KxColor.h"
#include "kx/base/KxList.h"

// Posted to a control after a left press and release on it; see BindClick.
constexpr UINT KX_WM_CLICK = WM_USER + 1;

class KxControl : public KxCard {
public:
  // Joins parent's children when a parent is given; creates no window.
  explicit KxControl(KxControl* parent = nullptr);
  ~KxControl() override;

  // A window of the toolkit's class in parent's client area (or top-level without one).
  bool Create(KxControl* parent, const KxString& caption, DWORD style, const KxRect& rect);

  LRESULT WndProc(KxMsg& m) override;
  virtual void DrawBorder(KxCanvas& canvas);
  virtual void DrawFrame();
  virtual void OnSize(const RECT& client) { (void)client; }
  virtual void OnPaint();
  virtual void OnDraw(KxCanvas& canvas) { (void)canvas; }
  virtual void OnLButtonDown(WPARAM keys, POINT pt) { (void)keys, (void)pt; }
  virtual void OnLButtonDblClk(WPARAM keys, POINT pt) { (void)keys, (void)pt; }
  virtual void OnLButtonUp(WPARAM keys, POINT pt) { (void)keys, (void)pt; }
  virtual void OnClick(KxEvtParam& param) { (void)param; }
  virtual void OnMouseMove(WPARAM keys, POINT pt) { (void)keys, (void)pt; }
  virtual void OnRButtonDown(WPARAM keys, POINT pt) { (void)keys, (void)pt; }
  virtual void OnRButtonUp(WPARAM keys, POINT pt) { (void)keys, (void)pt; }
  virtual void OnKeyDown(WPARAM wParam, LPARAM lParam) { (void)wParam, (void)lParam; }
  virtual void OnKeyUp(WPARAM wParam, LPARAM lParam) { (void)wParam, (void)lParam; }
  virtual void OnChar(WPARAM wParam, LPARAM lParam) { (void)wParam, (void)lParam; }
  virtual void OnVScroll(WPARAM wParam, LPARAM lParam) { (void)wParam, (void)lParam; }
  virtual void OnHScroll(WPARAM wParam, LPARAM lParam) { (void)wParam, (void)lParam; }
  virtual void OnSetFocus() {}
  virtual void OnKillFocus() {}
  virtual bool OnSetCursor() { return false; }
  virtual void OnShow() {}
  virtual void OnHide() {}
  virtual void OnReserved1() {}
  virtual void OnReserved2() {}
  virtual void OnReserved3() {}
  virtual bool OnInputLangChange() { return false; }
  virtual void OnDropFiles(const KxStringList& paths) { (void)paths; }

  void SetBorderStyle(int style);
  bool IsPressed() const { return pressed; }
  // Takes ownership of the bitmap tiled over the client area instead of the colour.
  void SetBkImage(HBITMAP image);

  KxControl* parent = nullptr;
  bool pressed = false;
  int borderStyle = 0;  // 0 none, 1 etched, 2 flat frame in frameColor, 3 raised, 5 focus rectangle
  COLORREF frameColor = kxFrameColor;
  COLORREF bkColor = kxFormColor;  // 0 means no background fill at all
  COLORREF bkColorDisabled = kxFormColor;
  HBITMAP bkImage = NULL;
  RECT marginDip = {2, 2, 2, 2};  // the margins at 96 DPI
  RECT margin = {2, 2, 2, 2};     // pixels: marginDip at the card's DPI
  KxList<KxControl*> children;  // owned, in creation order
  KxEvtMap cmdHandlers;
  POINT dropPoint = {0, 0};  // where the last files were dropped, in client coordinates

  // The margins scale with the DPI, and the children take it after their parent.
  void ApplyDpi(int newDpi) override;
  void ApplyDpiToChildren(int newDpi) override;

private:
  void DrawBorderOn(HDC dc, const RECT& rect);
};

template <class T>
void BindCmd(KxControl& control, UINT message, T* object, int (T::*handler)(KxEvtParam&)) {
  control.cmdHandlers.Bind(message, new KxEvtMaker<T>(object, handler));
}

template <class T>
void BindClick(KxControl& control, T* object, int (T::*handler)(KxEvtParam&)) {
  BindCmd(control, KX_WM_CLICK, object, handler);
}
