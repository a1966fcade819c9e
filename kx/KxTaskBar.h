#pragma once
// The program's icon in the notification area, with its tooltip and balloon; mouse
// events on it reach the owner window as the callback message.

#include <windows.h>
#include <shellapi.h>

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
  bool ShowBalloon(const char* title, const char* text);
  // Puts the icon back after the shell re-created the taskbar (it forgets all icons then).
  void Restore();

  const NOTIFYICONDATAA* Data() const { return data; }

private:
  void ReleaseData();

  bool added = false;
  NOTIFYICONDATAA* data = nullptr;
  HICON icon = NULL;
  bool ownsIcon = false;
  bool hidden = false;
};

// The process-wide tray icon.
extern KxTaskBar TheTaskBar;
