// Which program opens the welcome page, from the clues the system gives:
// the program that started the installer, the browsers' download folders,
// the browsers already running when the installer file was written, the
// default browser, and the shell as the last resort. Platform-free; the
// system answers through IBrowserFacts.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/ProcessSnapshot.h"

namespace orvane {

// the "launch_app_type" of the "vOpenUrl" event
enum LaunchAppType {
  kLaunchShell = 0,           // the URL goes to the shell's default handler
  kLaunchGiven = 1,           // the given browser, or Edge through its protocol
  kLaunchRunning = 2,         // a browser that was already running
  kLaunchDownloadFolder = 3,  // the browser whose download folder holds the installer
};

struct ProcessEntry {
  uint32_t processId = 0;
  std::wstring programName;  // file name only, as a process snapshot lists it
};

// The questions the choice asks of the system. None raises; a question that
// cannot be answered gives false or an empty text, and its clue fails.
class IBrowserFacts {
 public:
  virtual ~IBrowserFacts() = default;
  virtual std::wstring DefaultBrowserPath() = 0;
  // last write of the installer's own file, seconds since 1970
  virtual bool InstallerWriteTime(int64_t* seconds) = 0;
  // image path of the installer's own process
  virtual std::wstring OwnImagePath() = 0;
  virtual bool FileExists(const std::wstring& path) = 0;
  virtual bool FindInstallLocation(const std::wstring& uninstallKeyName, std::wstring* folder) = 0;
  virtual std::vector<ProcessEntry> RunningProcesses() = 0;
  virtual ProcessRunState RunState(uint32_t processId) = 0;
  // process start, seconds since 1970
  virtual bool CreationTime(uint32_t processId, int64_t* seconds) = 0;
  virtual bool ImagePath(uint32_t processId, std::wstring* path) = 0;
};

// what to hand to the shell, and what to report
struct BrowserLaunch {
  std::wstring program;
  std::wstring parameters;
  LaunchAppType type = kLaunchShell;
  int browserCount = 0;       // "browser_num"
  std::wstring browserNames;  // "browser_name": programs, each followed by a space
};

BrowserLaunch ChooseBrowserLaunch(IBrowserFacts& facts,
                                  const std::wstring& givenBrowser,
                                  const std::wstring& url);

}  // namespace orvane
