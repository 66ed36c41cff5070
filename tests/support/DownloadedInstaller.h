// The installer as a user has it: a copy in a download folder of its own,
// where other files (planted DLLs) can sit beside it, started and closed as
// the user would. One run at a time: the tests that use it hold the
// installer-session lock.
#pragma once

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "support/AnalyticsSink.h"
#include "support/WineTestSupport.h"

namespace orvane::test {

class DownloadedInstaller {
 public:
  // `builtInstaller`: the Linux path of the built program
  explicit DownloadedInstaller(const std::string& builtInstaller,
                               const std::wstring& fileName = L"KestrelVaultSetup.exe");

  const std::wstring& folder() const { return dir_.path(); }
  const std::wstring& path() const { return path_; }

  // copies a file into the download folder under `name`
  void AddFile(const std::wstring& source, const std::wstring& name);

  // Starts it, waits for its main window, runs `whileRunning`, closes the
  // window and waits for the end. The exit code; -1 when it did not end in
  // time (it is then ended), -2 when it did not start, -3 when it showed no
  // window.
  int RunAndClose(const std::function<void()>& whileRunning = {});

  // the process id of the last run (0 before one)
  DWORD processId() const { return processId_; }
  // what the last run recorded through the SDK (see SdkRecords)
  std::vector<std::string> Records() const;

 private:
  ScratchDir dir_;
  std::wstring path_;
  DWORD processId_ = 0;
  std::unique_ptr<SdkRecords> records_;
};

}  // namespace orvane::test
