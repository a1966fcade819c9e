// The worker-thread wrapper with real threads.

#include <gtest/gtest.h>

#include <atomic>
#include <thread>

#include "app/KxThread.h"
#include "tests/support/TestUtil.h"

namespace {

// What a body saw, written by the worker and read by the test.
struct Worker {
  KxThread* thread = nullptr;
  std::atomic<int> runs{0};
  std::atomic<bool> started{false};
  std::atomic<bool> sawStop{false};
  std::atomic<bool> finished{false};
  std::atomic<int> priority{-100};
  std::atomic<DWORD> threadId{0};

  int UntilStopped(KxEvtParam&) {
    ++runs;
    threadId = GetCurrentThreadId();
    priority = GetThreadPriority(GetCurrentThread());
    started = true;
    while (!thread->IsStopped()) Sleep(1);
    sawStop = true;
    // Still busy after the request: the destructor must wait for this.
    Sleep(200);
    finished = true;
    return 0;
  }
  int Quick(KxEvtParam&) {
    ++runs;
    priority = GetThreadPriority(GetCurrentThread());
    return 0;
  }
  int Throws(KxEvtParam&) {
    ++runs;
    throw 1;
  }
};

bool Ended(const KxThread& thread) {
  return WaitFor([&] { return thread.Handle() == NULL; }, 5000);
}

// Frees itself into a flag, to see who deletes a body.
class CountedEvt : public KxEvt {
public:
  explicit CountedEvt(std::atomic<int>* deleted) : deleted(deleted) {}
  ~CountedEvt() override { ++*deleted; }

private:
  std::atomic<int>* deleted;
};

}  // namespace

TEST(KxThread, BodyRunsOnItsOwnThreadAndSeesTheStopRequest) {
  KxThread thread;
  Worker worker;
  worker.thread = &thread;
  thread.Bind(&worker, &Worker::UntilStopped);
  EXPECT_TRUE(thread.IsStopped());

  ASSERT_TRUE(thread.Start(THREAD_PRIORITY_NORMAL));
  ASSERT_TRUE(WaitFor([&] { return worker.started.load(); }, 5000));
  EXPECT_NE(GetCurrentThreadId(), worker.threadId.load());
  EXPECT_FALSE(thread.IsStopped());
  EXPECT_NE(static_cast<HANDLE>(NULL), thread.Handle());

  Sleep(50);
  EXPECT_FALSE(worker.sawStop.load());
  thread.Stop();
  EXPECT_TRUE(thread.IsStopped());
  ASSERT_TRUE(Ended(thread));
  EXPECT_TRUE(worker.finished.load());
  EXPECT_EQ(1, worker.runs.load());
}

TEST(KxThread, StartAppliesThePriority) {
  const int priorities[] = {THREAD_PRIORITY_BELOW_NORMAL, THREAD_PRIORITY_ABOVE_NORMAL,
                            THREAD_PRIORITY_LOWEST};
  for (int priority : priorities) {
    KxThread thread;
    Worker worker;
    thread.Bind(&worker, &Worker::Quick);
    ASSERT_TRUE(thread.Start(priority));
    ASSERT_TRUE(Ended(thread));
    EXPECT_EQ(priority, worker.priority.load());
  }
}

TEST(KxThread, StopAfterTheBodyEndedKeepsStoppedAndDoesNotBlock) {
  KxThread thread;
  Worker worker;
  thread.Bind(&worker, &Worker::Quick);
  ASSERT_TRUE(thread.Start(THREAD_PRIORITY_NORMAL));
  ASSERT_TRUE(Ended(thread));
  EXPECT_TRUE(thread.IsStopped());

  DWORD before = GetTickCount();
  thread.Stop();
  thread.Stop();
  EXPECT_LT(GetTickCount() - before, 100u);
  EXPECT_TRUE(thread.IsStopped());
}

TEST(KxThread, AnEndedThreadStartsAgain) {
  KxThread thread;
  Worker worker;
  thread.Bind(&worker, &Worker::Quick);
  ASSERT_TRUE(thread.Start(THREAD_PRIORITY_NORMAL));
  ASSERT_TRUE(Ended(thread));
  ASSERT_TRUE(thread.Start(THREAD_PRIORITY_NORMAL));
  ASSERT_TRUE(Ended(thread));
  EXPECT_EQ(2, worker.runs.load());
}

TEST(KxThread, DestroyingARunningThreadWaitsForItsRoutine) {
  Worker worker;
  KxThread* thread = new KxThread;
  worker.thread = thread;
  thread->Bind(&worker, &Worker::UntilStopped);
  ASSERT_TRUE(thread->Start(THREAD_PRIORITY_NORMAL));
  ASSERT_TRUE(WaitFor([&] { return worker.started.load(); }, 5000));

  // Destroyed on a helper thread, so that a hang fails the test instead of stalling it.
  std::atomic<bool> destroyed{false};
  std::atomic<bool> finishedBeforeReturn{false};
  std::thread destroyer([&] {
    delete thread;
    finishedBeforeReturn = worker.finished.load();
    destroyed = true;
  });
  bool returned = WaitFor([&] { return destroyed.load(); }, 5000);
  if (returned) {
    destroyer.join();
  } else {
    destroyer.detach();
  }
  ASSERT_TRUE(returned);
  EXPECT_TRUE(worker.sawStop.load());
  EXPECT_TRUE(finishedBeforeReturn.load());
}

TEST(KxThread, AThrowingBodyStillEndsTheThreadInOrder) {
  KxThread thread;
  Worker worker;
  thread.Bind(&worker, &Worker::Throws);
  ASSERT_TRUE(thread.Start(THREAD_PRIORITY_NORMAL));
  ASSERT_TRUE(Ended(thread));
  EXPECT_TRUE(thread.IsStopped());
  EXPECT_EQ(1, worker.runs.load());
}

TEST(KxThread, TheThreadOwnsItsBody) {
  std::atomic<int> deleted{0};
  {
    KxThread thread;
    thread.Bind(new CountedEvt(&deleted));
    thread.Bind(new CountedEvt(&deleted));
    EXPECT_EQ(1, deleted.load());  // the first body, replaced
    ASSERT_TRUE(thread.Start(THREAD_PRIORITY_NORMAL));
    ASSERT_TRUE(Ended(thread));
    EXPECT_EQ(1, deleted.load());
  }
  EXPECT_EQ(2, deleted.load());
}

TEST(KxThread, AnUnboundThreadRunsAndEnds) {
  KxThread thread;
  ASSERT_TRUE(thread.Start(THREAD_PRIORITY_NORMAL));
  ASSERT_TRUE(Ended(thread));
  EXPECT_TRUE(thread.IsStopped());
}
