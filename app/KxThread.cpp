#include "app/KxThread.h"

KxThread::~KxThread() {
  if (handle) {
    stopped = true;
    while (handle) Sleep(1);
  }
  delete body;
}

void KxThread::Bind(KxEvt* handler) {
  if (handler == body) return;
  delete body;
  body = handler;
}

bool KxThread::Start(int priority) {
  HANDLE created = NULL;
  if (!handle) {
    created = CreateThread(NULL, 0, Routine, this, CREATE_SUSPENDED, NULL);
    if (!created) return false;
    handle = created;
    SetThreadPriority(created, priority);
  }
  stopped = false;
  if (ResumeThread(handle) != static_cast<DWORD>(-1)) return true;
  // A thread that never ran would keep the destructor waiting for ever.
  if (created) {
    TerminateThread(created, 1);
    CloseHandle(created);
    handle = NULL;
    stopped = true;
  }
  return false;
}

DWORD WINAPI KxThread::Routine(LPVOID self) {
  KxThread* thread = static_cast<KxThread*>(self);
  if (thread->body) {
    KxEvtParam param;
    // A body that throws still ends the thread in order; nothing above it could handle it.
    try {
      thread->body->Invoke(param);
    } catch (...) {
    }
  }
  thread->stopped = true;
  CloseHandle(thread->handle);
  // From here on the owner may destroy the object: nothing below may touch it.
  thread->handle = NULL;
  return 0;
}
