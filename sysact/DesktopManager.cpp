#include "sysact/DesktopManager.h"

#include <cstring>

DesktopManager* TheDesktops = nullptr;

namespace {

const char* const kExcludedClasses[] = {"BaseBar", "SysShadow", "#32768"};

}  // namespace

DesktopManager::DesktopManager()
    : taskbarWindow(FindWindowA("Shell_TrayWnd", NULL)), desktopWindow(FindWindowA("Progman", NULL)) {}

DesktopManager::~DesktopManager() {
  for (std::vector<HWND>& slot : slots) {
    for (HWND hwnd : slot)
      if (IsWindow(hwnd)) ShowWindow(hwnd, SW_SHOW);
    slot.clear();
  }
  if (TheDesktops == this) TheDesktops = nullptr;
}

bool DesktopManager::Excluded(HWND hwnd) const {
  if (hwnd == taskbarWindow || hwnd == desktopWindow) return true;
  char name[260] = {};
  GetClassNameA(hwnd, name, sizeof(name));
  for (const char* excluded : kExcludedClasses)
    if (std::strcmp(name, excluded) == 0) return true;
  return false;
}

BOOL CALLBACK DesktopManager::Collect(HWND hwnd, LPARAM self) {
  DesktopManager* manager = reinterpret_cast<DesktopManager*>(self);
  if (!manager->Excluded(hwnd) && IsWindowVisible(hwnd)) manager->slots[manager->current].push_back(hwnd);
  return TRUE;
}

void DesktopManager::SwitchDesktop(int index) {
  if (index < 0 || index >= kCount || index == current) return;
  EnumWindows(Collect, reinterpret_cast<LPARAM>(this));
  for (HWND hwnd : slots[current]) ShowWindow(hwnd, SW_HIDE);
  current = index;
  for (HWND hwnd : slots[current])
    if (IsWindow(hwnd)) ShowWindow(hwnd, SW_SHOW);
  slots[current].clear();
}
