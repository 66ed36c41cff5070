#include <gtest/gtest.h>

#include <atomic>

#include "platform/BasedProcess.h"
#include "platform/BasedThread.h"
#include "platform/XMutex.h"
#include "support/WineTestSupport.h"

namespace orvane {
namespace {

class CountingThread : public COrvaneBasedThread {
 public:
  explicit CountingThread(std::atomic<int>* runs) : runs_(runs) {}
  ~CountingThread() override { Join(INFINITE); }
  int Run() override {
    ++*runs_;
    return 7;
  }

 private:
  std::atomic<int>* runs_;
};

DWORD ExitCodeOf(HANDLE thread) {
  DWORD code = 0;
  ::GetExitCodeThread(thread, &code);
  return code;
}

TEST(BasedThread, RunsTheBodyAndEndsWithItsCode) {
  std::atomic<int> runs{0};
  CountingThread t(&runs);
  EXPECT_TRUE(t.suspended());
  EXPECT_TRUE(t.running());
  ASSERT_TRUE(t.Start());
  EXPECT_FALSE(t.suspended());
  ASSERT_TRUE(t.Join(5000));
  EXPECT_FALSE(t.running());
  EXPECT_EQ(ExitCodeOf(t.handle()), 7u);
  EXPECT_EQ(runs, 1);
}

TEST(BasedThread, NeverResumedThreadSkipsTheBody) {
  std::atomic<int> runs{0};
  HANDLE copy = nullptr;
  {
    CountingThread t(&runs);
    ASSERT_TRUE(t.CreateSuspended());
    ASSERT_TRUE(::DuplicateHandle(::GetCurrentProcess(), t.handle(), ::GetCurrentProcess(), &copy,
                                  0, FALSE, DUPLICATE_SAME_ACCESS));
  }  // the destructor resumes it; the entry returns -1 without Run
  UniqueHandle owned(copy);
  EXPECT_EQ(::WaitForSingleObject(copy, 5000), WAIT_OBJECT_0);
  EXPECT_EQ(ExitCodeOf(copy), static_cast<DWORD>(-1));
  EXPECT_EQ(runs, 0);
}

class BusyThread : public COrvaneBasedThread {
 public:
  std::atomic<bool> cancel{false};
  std::atomic<bool> started{false};
  bool honourCancel = true;
  ~BusyThread() override {
    cancel = true;
    StopOrTerminate();
  }
  int Run() override {
    started = true;
    while (!honourCancel || !cancel)
      ::Sleep(1);
    return 3;
  }
};

TEST(BasedThread, StopEndsABusyWorkerForcibly) {
  auto t = std::make_unique<BusyThread>();
  t->honourCancel = false;
  ASSERT_TRUE(t->Start());
  while (!t->started)
    ::Sleep(1);
  DWORD before = ::GetTickCount();
  t.reset();  // must not wait for a body that never looks at cancel
  EXPECT_LT(::GetTickCount() - before, 2000u);
}

TEST(BasedThread, StopOfANeverResumedWorkerRunsTheBodyOnce) {
  // the query-thread stop resumes the thread so that it can see cancel
  BusyThread t;
  ASSERT_TRUE(t.CreateSuspended());
  t.cancel = true;
  t.StopOrTerminate(5000);
  EXPECT_TRUE(t.started);
  EXPECT_EQ(ExitCodeOf(t.handle()), 3u);
}

TEST(XMutex, AbandonedByATerminatedHolderIsStillUsable) {
  CXMutex m;
  ASSERT_NE(m.handle(), nullptr);

  class Holder : public COrvaneBasedThread {
   public:
    explicit Holder(CXMutex* m) : m_(m) {}
    ~Holder() override { StopOrTerminate(); }
    int Run() override {
      m_->Lock();
      locked = true;
      for (;;)
        ::Sleep(10);
    }
    CXMutex* m_;
    std::atomic<bool> locked{false};
  };
  {
    Holder h(&m);
    ASSERT_TRUE(h.Start());
    while (!h.locked)
      ::Sleep(1);
  }  // terminated while holding the lock
  std::atomic<bool> got{false};
  class Taker : public COrvaneBasedThread {
   public:
    Taker(CXMutex* m, std::atomic<bool>* got) : m_(m), got_(got) {}
    ~Taker() override { Join(INFINITE); }
    int Run() override {
      XMutexLock hold(*m_);
      *got_ = true;
      return 0;
    }
    CXMutex* m_;
    std::atomic<bool>* got_;
  } taker(&m, &got);
  ASSERT_TRUE(taker.Start());
  EXPECT_TRUE(taker.Join(5000));
  EXPECT_TRUE(got);
}

std::wstring ExitWith(int code, int sleepMs) {
  return L"\"" + test::OwnFolder() + L"\\..\\support\\exit_with.exe\" " + std::to_wstring(code) +
         L" " + std::to_wstring(sleepMs);
}

TEST(BasedProcess, StartsHiddenAndReportsTheExitCode) {
  COrvaneBasedProcess p(ExitWith(42, 0));
  EXPECT_FALSE(p.started());
  ASSERT_TRUE(p.Run());
  EXPECT_TRUE(p.Run());  // already started: nothing more happens
  ASSERT_NE(p.process(), nullptr);
  ASSERT_NE(p.thread(), nullptr);
  EXPECT_EQ(test::WaitExitCode(p.process(), 10000), 42);
}

TEST(BasedProcess, FailsForAMissingProgram) {
  COrvaneBasedProcess p(L"\"C:\\no\\such\\program.exe\" /x");
  EXPECT_FALSE(p.Run());
  EXPECT_FALSE(p.started());
}

TEST(BasedProcess, DestructorWaitsForTheChildUnlessToldNotTo) {
  HANDLE copy = nullptr;
  {
    COrvaneBasedProcess p(ExitWith(5, 300));
    ASSERT_TRUE(p.Run());
    ::DuplicateHandle(::GetCurrentProcess(), p.process(), ::GetCurrentProcess(), &copy, 0, FALSE,
                      DUPLICATE_SAME_ACCESS);
  }
  UniqueHandle waited(copy);
  EXPECT_EQ(::WaitForSingleObject(copy, 0), WAIT_OBJECT_0);  // already ended

  {
    COrvaneBasedProcess p(ExitWith(6, 3000));
    p.waitOnDestroy = false;
    ASSERT_TRUE(p.Run());
    ::DuplicateHandle(::GetCurrentProcess(), p.process(), ::GetCurrentProcess(), &copy, 0, FALSE,
                      DUPLICATE_SAME_ACCESS);
  }
  UniqueHandle running(copy);
  EXPECT_EQ(::WaitForSingleObject(copy, 0), static_cast<DWORD>(WAIT_TIMEOUT));
  ::TerminateProcess(copy, 0);
}

}  // namespace
}  // namespace orvane
