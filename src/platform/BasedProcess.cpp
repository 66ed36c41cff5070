#include "platform/BasedProcess.h"

#include <vector>

namespace orvane {

COrvaneBasedProcess::~COrvaneBasedProcess() {
  if (process_ && waitOnDestroy) ::WaitForSingleObject(process_.get(), INFINITE);
}

bool COrvaneBasedProcess::Run() {
  if (process_) return true;
  STARTUPINFOW si{};
  ::GetStartupInfoW(&si);
  si.dwFlags |= STARTF_USESHOWWINDOW;
  si.wShowWindow = SW_HIDE;
  PROCESS_INFORMATION pi{};
  // CreateProcessW may write into the command line, so hand it a copy
  std::vector<wchar_t> cmd(commandLine_.begin(), commandLine_.end());
  cmd.push_back(L'\0');
  if (!::CreateProcessW(nullptr, cmd.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si,
                        &pi)) {
    return false;
  }
  process_.reset(pi.hProcess);
  thread_.reset(pi.hThread);
  return true;
}

}  // namespace orvane
