// Opening the welcome page in the browser the user downloaded the installer
// with, and finding the default browser.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "platform/BrowserChoice.h"
#include "platform/OsVersion.h"

namespace orvane {

class CFileStream;

// the program path of the default web browser, or empty
std::wstring GetDefaultBrowserPath();
// the same as a system of that version and registry view answers it: the
// user's choice for "http" since Vista, the "htmlfile" class on XP
std::wstring GetDefaultBrowserPathFor(OsVersionCode code, bool view64);

// cuts the path after its first ".exe" unless it ends in ".exe"; true when
// the result names an existing file
bool NormalizeExePath(std::wstring* path);

// The running system's answers. The installer's own file stays open from
// construction to destruction, as its last-write time is the reference for
// the running browsers.
class CSystemBrowserFacts : public IBrowserFacts {
 public:
  CSystemBrowserFacts();
  ~CSystemBrowserFacts() override;

  std::wstring DefaultBrowserPath() override;
  bool InstallerWriteTime(int64_t* seconds) override;
  std::wstring OwnImagePath() override;
  bool FileExists(const std::wstring& path) override;
  bool FindInstallLocation(const std::wstring& uninstallKeyName, std::wstring* folder) override;
  std::vector<ProcessEntry> RunningProcesses() override;
  ProcessRunState RunState(uint32_t processId) override;
  bool CreationTime(uint32_t processId, int64_t* seconds) override;
  bool ImagePath(uint32_t processId, std::wstring* path) override;

 private:
  std::unique_ptr<CFileStream> installerFile_;
};

// Opens the URL (null reads as empty) from the clues in order: the given
// browser (the program that started the installer), the browsers' download
// folders, the browsers running when the installer file was written, the
// default browser, the shell. Reports "vOpenUrl" and hands the choice to
// ShellExecuteW. Returns the LaunchAppType, or -1 when an error escaped.
int OpenUrlInBrowser(const wchar_t* browserPath, const wchar_t* url);
// the same with the system's answers from elsewhere
int OpenUrlInBrowser(const wchar_t* browserPath, const wchar_t* url, IBrowserFacts& facts);

}  // namespace orvane
