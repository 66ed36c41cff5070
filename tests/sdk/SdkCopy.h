// A private copy of the built SDK modules in a scratch folder, loaded, with
// its exports at hand. Its journal lives in that folder.
#pragma once

#include <windows.h>

#include <string>

#include "QlxApi.h"
#include "platform/Handles.h"
#include "support/WineTestSupport.h"

namespace orvane::test {

class SdkCopy {
 public:
  SdkCopy();
  // the folder with a trailing backslash
  std::wstring folder() const { return dir_.path() + L"\\"; }
  HMODULE module() const { return module_; }

  template <typename Fn>
  Fn Get(const char* name) const {
    return reinterpret_cast<Fn>(reinterpret_cast<void*>(::GetProcAddress(module_, name)));
  }

  // qlxCreate and the configuration the installer uses, against host:port
  QlxHandle Open(int port, const char* host = "127.0.0.13");
  // a sensor event with one int property "n"; the uid is not known here
  int CommitEvent(QlxHandle handle, const char* name, int n);
  // the same with a text property "fill" of `bytes` characters
  int CommitFilled(QlxHandle handle, const char* name, int n, size_t bytes);
  int Free(QlxHandle handle) { return Get<QlxFreeFn>("qlxFree")(handle); }

 private:
  ScratchDir dir_;
  HMODULE module_ = nullptr;  // stays loaded: a test process ends soon anyway
};

}  // namespace orvane::test
