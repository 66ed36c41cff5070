// CXMutex: an unnamed, initially unowned kernel mutex guarding one shared
// object. A kernel mutex (not a critical section) because a worker that is
// terminated while holding it leaves it abandoned, and the next waiter still
// gets it instead of hanging.
#pragma once

#include "platform/Handles.h"

namespace orvane {

class CXMutex {
 public:
  CXMutex();
  virtual ~CXMutex();
  CXMutex(const CXMutex&) = delete;
  CXMutex& operator=(const CXMutex&) = delete;

  // both do nothing when the mutex could not be created
  void Lock();
  void Unlock();

  HANDLE handle() const { return handle_.get(); }

 private:
  UniqueHandle handle_;
};

class XMutexLock {
 public:
  explicit XMutexLock(CXMutex& m) : m_(m) { m_.Lock(); }
  ~XMutexLock() { m_.Unlock(); }
  XMutexLock(const XMutexLock&) = delete;
  XMutexLock& operator=(const XMutexLock&) = delete;

 private:
  CXMutex& m_;
};

}  // namespace orvane
