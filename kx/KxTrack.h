#pragma once
// Hover tracking over a control class: one OnMouseEnter when the pointer comes in, an
// OnMouseHover every hoverTime milliseconds while it rests, one OnMouseLeave when it goes.

#include "kx/KxControl.h"

template <class T>
class KxTrack : public T {
public:
  using T::T;

  LRESULT WndProc(KxMsg& m) override {
    switch (m.msg) {
      case WM_MOUSEMOVE: {
        POINT pt = {static_cast<LONG>(LOWORD(m.lParam)), static_cast<LONG>(HIWORD(m.lParam))};
        RECT client = this->ClientRect();
        bool inside = pt.x >= client.left && pt.x <= client.right && pt.y >= client.top &&
                      pt.y <= client.bottom;
        // One request for both (Wine keeps only the flags of the latest request). When
        // the platform refuses it (its idea of the pointer lags behind the message), the
        // next move tries again instead of leaving the control hovering for good.
        if (inside && !hovering && Track(TME_HOVER | TME_LEAVE)) {
          hovering = true;
          KxEvtParam p = KxMakeEvtParam(m);
          OnMouseEnter(p);
        }
        break;
      }
      case WM_MOUSEHOVER: {
        KxEvtParam p = KxMakeEvtParam(m);
        OnMouseHover(p);
        Track(TME_HOVER | TME_LEAVE);
        break;
      }
      case WM_MOUSELEAVE: {
        hovering = false;
        KxEvtParam p = KxMakeEvtParam(m);
        OnMouseLeave(p);
        break;
      }
      default:
        break;
    }
    return T::WndProc(m);
  }

  virtual void OnMouseEnter(KxEvtParam& param) { (void)param; }
  virtual void OnMouseHover(KxEvtParam& param) { (void)param; }
  virtual void OnMouseLeave(KxEvtParam& param) { (void)param; }

  bool hovering = false;
  DWORD hoverTime = 400;

private:
  bool Track(DWORD flags) {
    TRACKMOUSEEVENT track = {};
    track.cbSize = sizeof(track);
    track.dwFlags = flags;
    track.hwndTrack = this->hwnd;
    track.dwHoverTime = hoverTime;
    if (!TrackMouseEvent(&track)) return false;
    // The platform may accept the request and still drop it when it believes the
    // pointer is elsewhere; ask what it is tracking now.
    TRACKMOUSEEVENT query = {};
    query.cbSize = sizeof(query);
    query.dwFlags = TME_QUERY;
    return TrackMouseEvent(&query) && query.hwndTrack == this->hwnd &&
           (query.dwFlags & TME_LEAVE) != 0;
  }
};
