#include "platform/BasedThread.h"

#include <process.h>

namespace orvane {

namespace {
std::atomic<int> g_failCreations{0};
}  // namespace

ScopedThreadCreationFailure::ScopedThreadCreationFailure() {
  ++g_failCreations;
}

ScopedThreadCreationFailure::~ScopedThreadCreationFailure() {
  --g_failCreations;
}

COrvaneBasedThread::~COrvaneBasedThread() {
  if (!thread_) return;
  if (suspended_) {
    suspended_ = true;  // the entry sees it and returns -1 without Run
    ::ResumeThread(thread_.get());
  }
  ::WaitForSingleObject(thread_.get(), INFINITE);
}

bool COrvaneBasedThread::CreateSuspended() {
  if (thread_ || g_failCreations > 0) return false;
  suspended_ = true;
  running_ = true;
  uintptr_t h = _beginthreadex(nullptr, 0, &Entry, this, CREATE_SUSPENDED, nullptr);
  thread_.reset(reinterpret_cast<HANDLE>(h));
  return static_cast<bool>(thread_);
}

void COrvaneBasedThread::Resume() {
  if (!thread_) return;
  suspended_ = false;
  ::ResumeThread(thread_.get());
}

bool COrvaneBasedThread::Join(unsigned long ms) {
  if (!thread_) return true;
  if (suspended_) return false;  // it would never end by itself
  return ::WaitForSingleObject(thread_.get(), ms) == WAIT_OBJECT_0;
}

bool COrvaneBasedThread::ResumeAndJoin(unsigned long ms) {
  if (!thread_) return true;
  if (suspended_) {
    suspended_ = false;
    ::ResumeThread(thread_.get());
  }
  return Join(ms);
}

void COrvaneBasedThread::StopOrTerminate(unsigned long graceMs) {
  if (!thread_) return;
  if (suspended_) {
    suspended_ = false;
    ::ResumeThread(thread_.get());
  }
  if (!Join(graceMs)) {
    ::TerminateThread(thread_.get(), 0);
    ::WaitForSingleObject(thread_.get(), INFINITE);
    running_ = false;
  }
}

unsigned __stdcall COrvaneBasedThread::Entry(void* arg) {
  auto* self = static_cast<COrvaneBasedThread*>(arg);
  int code = self->suspended_ ? -1 : self->Run();
  self->running_ = false;
  return static_cast<unsigned>(code);
}

}  // namespace orvane
