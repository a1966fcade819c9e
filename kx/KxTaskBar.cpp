#include "kx/KxTaskBar.h"

#include "kx/base/KxWide.h"

#include <new>

KxTaskBar TheTaskBar;

namespace {

const UINT kIconFlags = NIF_MESSAGE | NIF_ICON | NIF_TIP;
const int kMaxTooltip = 64;
const ULONGLONG kHoverBalloonPauseMs = 60000;

}  // namespace

KxTaskBar::~KxTaskBar() {
  if (added && data) {
    data->uFlags = 0;
    notify(NIM_DELETE, data);
  }
  added = false;
  ReleaseData();
  if (icon && ownsIcon) DestroyIcon(icon);
  icon = NULL;
}

// The shell takes the whole record of its own version (the 956-byte wide form since Windows
// Vista in a 32-bit program), as cbSize says.
static_assert(sizeof(NOTIFYICONDATAW) == (sizeof(void*) == 4 ? 956 : 976), "NOTIFYICONDATAW layout");

void KxTaskBar::ReleaseData() {
  delete data;
  data = nullptr;
}

bool KxTaskBar::Add(HWND window, const char* tooltip, int iconId) {
  ReleaseData();
  data = new (std::nothrow) NOTIFYICONDATAW();
  added = false;
  if (!data) return false;
  if (iconId != 0) {
    if (icon && ownsIcon) DestroyIcon(icon);
    icon = LoadIconW(GetModuleHandleW(NULL), MAKEINTRESOURCEW(iconId));
    ownsIcon = icon != NULL;
  }
  if (LOBYTE(LOWORD(GetVersion())) < 4) return false;
  // A refused tooltip leaves nothing added, so the other operations stay quiet.
  KxWide tip(tooltip);
  if (!IsWindow(window) || !tooltip || tip.Length() > kMaxTooltip) return false;
  data->cbSize = sizeof(NOTIFYICONDATAW);
  data->hWnd = window;
  data->uID = 0;
  data->uFlags = kIconFlags;
  data->uCallbackMessage = kTrayCallbackMessage;
  data->hIcon = icon;
  lstrcpynW(data->szTip, tip, ARRAYSIZE(data->szTip));
  added = notify(NIM_ADD, data) != FALSE;
  hidden = false;
  return added;
}

void KxTaskBar::Hide() {
  if (!added || hidden) return;
  data->uFlags = 0;
  notify(NIM_DELETE, data);
  hidden = true;
  hoverBalloonUp = false;
}

void KxTaskBar::Show() {
  if (!added || !hidden) return;
  data->uFlags = kIconFlags;
  notify(NIM_ADD, data);
  hidden = false;
}

void KxTaskBar::Toggle() {
  if (!hidden) {
    Hide();
  } else {
    Show();
  }
}

bool KxTaskBar::ShowBalloon(const char* title, const char* text) {
  if (!added) return false;
  data->dwInfoFlags = NIIF_INFO;
  lstrcpynW(data->szInfoTitle, KxWide(title), ARRAYSIZE(data->szInfoTitle));
  lstrcpynW(data->szInfo, KxWide(text), ARRAYSIZE(data->szInfo));
  data->uTimeout = 3;
  data->uFlags |= NIF_INFO;
  return notify(NIM_MODIFY, data) != FALSE;
}

bool KxTaskBar::ShowHoverBalloon(const char* title, const char* text) {
  ULONGLONG now = clock();
  if (hoverBalloonUp) return false;
  if (hoverBalloonRaised && now - hoverBalloonAt < kHoverBalloonPauseMs) return false;
  if (!ShowBalloon(title, text)) return false;
  hoverBalloonUp = true;
  hoverBalloonRaised = true;
  hoverBalloonAt = now;
  return true;
}

bool KxTaskBar::IsBalloonGone(LPARAM callback) {
  return callback == NIN_BALLOONHIDE || callback == NIN_BALLOONTIMEOUT || callback == NIN_BALLOONUSERCLICK;
}

void KxTaskBar::Restore() {
  // A re-created taskbar shows no balloon of ours any more.
  hoverBalloonUp = false;
  if (!added || hidden) return;
  data->uFlags = kIconFlags;
  notify(NIM_ADD, data);
}
