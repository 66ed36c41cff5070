#include "platform/XMutex.h"

namespace orvane {

CXMutex::CXMutex() : handle_(::CreateMutexW(nullptr, FALSE, nullptr)) {}

CXMutex::~CXMutex() = default;

void CXMutex::Lock() {
  // WAIT_ABANDONED also hands over ownership: a terminated holder must not
  // block everyone else
  if (handle_) ::WaitForSingleObject(handle_.get(), INFINITE);
}

void CXMutex::Unlock() {
  if (handle_) ::ReleaseMutex(handle_.get());
}

}  // namespace orvane
