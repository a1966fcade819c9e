#include "app/SingleRun.h"

#include "app/KxApp.h"

namespace {

const char kMutexName[] = "Local\\VelixResidentInstance";

}  // namespace

SingleRun::SingleRun() : mutex(CreateMutexA(NULL, FALSE, kMutexName)) {}

SingleRun::~SingleRun() {
  if (owned) ReleaseMutex(mutex);
  if (mutex) CloseHandle(mutex);
}

bool SingleRun::Acquire(DWORD waitMs) {
  // Without a mutex there is nothing to agree on; run rather than refuse.
  if (!mutex) return true;
  DWORD result = WaitForSingleObject(mutex, waitMs);
  owned = result == WAIT_OBJECT_0 || result == WAIT_ABANDONED;
  return owned;
}

void BringRunningInstanceForward() {
  AllowSetForegroundWindow(ASFW_ANY);
  PostMessageA(HWND_BROADCAST, ShowRunningInstanceMessage(), 0, 0);
}
