#pragma once
// A worker thread that runs one bound handler. The only state it shares with its owner is
// the stop flag: Stop is a request that the body sees at its next IsStopped poll.

#include <windows.h>

#include <atomic>

#include "kx/KxEvt.h"

class KxThread {
public:
  KxThread() = default;
  KxThread(const KxThread&) = delete;
  KxThread& operator=(const KxThread&) = delete;
  // A running thread is asked to stop and waited for until its routine has ended.
  virtual ~KxThread();

  // The thread owns the handler; binding again frees the previous one. Bind only while no
  // thread runs.
  void Bind(KxEvt* handler);
  template <class T>
  void Bind(T* object, int (T::*handler)(KxEvtParam&)) {
    Bind(new KxEvtMaker<T>(object, handler));
  }

  // Creates the thread when none exists, with the given THREAD_PRIORITY_ value, and lets it
  // run; false when the thread could not be created or resumed.
  bool Start(int priority);
  void Stop() { stopped = true; }
  bool IsStopped() const { return stopped; }
  // The thread's handle while a thread exists, else NULL; the routine closes it on its way out.
  HANDLE Handle() const { return handle; }

private:
  static DWORD WINAPI Routine(LPVOID self);

  KxEvt* body = nullptr;
  std::atomic<HANDLE> handle{NULL};
  std::atomic<bool> stopped{true};
};
