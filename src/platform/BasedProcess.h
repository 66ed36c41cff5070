// COrvaneBasedProcess: a child process started hidden with a whole command
// line. The owner polls process() and reads the exit code itself.
#pragma once

#include <string>

#include "platform/Handles.h"

namespace orvane {

class COrvaneBasedProcess {
 public:
  explicit COrvaneBasedProcess(std::wstring commandLine) : commandLine_(std::move(commandLine)) {}
  // when started: waits for the child without limit if waitOnDestroy is set
  virtual ~COrvaneBasedProcess();
  COrvaneBasedProcess(const COrvaneBasedProcess&) = delete;
  COrvaneBasedProcess& operator=(const COrvaneBasedProcess&) = delete;

  // starts the child hidden; true when started now or already running
  bool Run();

  bool started() const { return static_cast<bool>(process_); }
  HANDLE process() const { return process_.get(); }
  HANDLE thread() const { return thread_.get(); }
  const std::wstring& commandLine() const { return commandLine_; }

  bool waitOnDestroy = true;

 private:
  std::wstring commandLine_;
  UniqueHandle process_;
  UniqueHandle thread_;
};

}  // namespace orvane
