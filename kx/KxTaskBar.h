#pragma once
// The program's icon in the notification area, with its tooltip and balloon; mouse
// events on it reach the owner window as the callback message.

#include <windows.h>
#include <shellapi.h>

#include <functional>

constexpr UINT kTrayCallbackMessage = 2024;

class KxTaskBar {
public:
  KxTaskBar() = default;
  KxTaskBar(const KxTaskBar&) = delete;
  KxTaskBar& operator=(const KxTaskBar&) = delete;
  virtual ~KxTaskBar();
  virtual bool IsReady() const { return true; }

  // Adds the icon for window, with the program's icon resource iconId (0 keeps the
  // current icon); false without a notification area, a window, or for a tooltip longer
  // than 64 characters.
  bool Add(HWND window, const char* tooltip, int iconId);
  void Hide();
  void Show();
  bool IsHidden() const { return hidden; }
  bool IsAdded() const { return added; }
  void Toggle();
  // A balloon that tells the user something: always raised.
  bool ShowBalloon(const char* title, const char* text);
  // The balloon of a mouse move over the icon. The shell raises one for every move, and
  // newer shells keep each as a notification; so it is raised at most once until the
  // shell reports that one gone (BalloonGone), and not again within a minute.
  bool ShowHoverBalloon(const char* title, const char* text);
  // The callback's lParam told that a balloon closed, timed out or was clicked.
  void BalloonGone() { hoverBalloonUp = false; }
  static bool IsBalloonGone(LPARAM callback);

  // Seams for tests: the shell call and the millisecond clock.
  std::function<BOOL(DWORD, NOTIFYICONDATAW*)> notify = Shell_NotifyIconW;
  std::function<ULONGLONG()> clock = GetTickCount64;
  // Puts the icon back after the shell re-created the taskbar (it forgets all icons then).
  void Restore();

  const NOTIFYICONDATAW* Data() const { return data; }

private:
  void ReleaseData();

  bool added = false;
  NOTIFYICONDATAW* data = nullptr;
  HICON icon = NULL;
  bool ownsIcon = false;
  bool hidden = false;
  bool hoverBalloonUp = false;
  bool hoverBalloonRaised = false;
  ULONGLONG hoverBalloonAt = 0;
};

// The process-wide tray icon.
extern KxTaskBar TheTaskBar;
