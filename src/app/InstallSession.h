// The install session: one run of the installer from start to exit. Start-up
// makes sure only one installer runs, works out the facts of this install,
// reports the start, launches the background queries, prepares the cache
// folder, runs the main window's message loop and reports the end.
#pragma once

#include <windows.h>

#include <cstdint>
#include <memory>
#include <string>

#include "ui/BaseWindow.h"

namespace orvane {

class ILoggerServer;

// facts of this install, filled during start-up on the UI thread
struct InstallFacts {
  HINSTANCE instance = nullptr;
  bool firstInstall = true;
  bool reinstall = false;      // set by the page flow
  std::string packageStem;     // UTF-8
  std::wstring launchAppPath;  // image path of the parent process
  std::string parentAppName;   // UTF-8 file name of that path
  int64_t beginTimestamp = 0;  // seconds since 1970 (UTC)
  int32_t downloadTime = 0;    // seconds the browser took for the installer
};

InstallFacts& GetInstallFacts();

// what start-up calls into, replaceable in tests
class IStartupServices {
 public:
  virtual ~IStartupServices() = default;
  virtual ILoggerServer& Logger() = 0;
  virtual std::wstring ProductVersion() = 0;
  // false when the query's result object could not be created
  virtual bool StartPackageQuery() = 0;
  virtual bool StartServerQuery() = 0;
  // stops the queries still running; called at shutdown, before the
  // process-wide record that their connections read goes away
  virtual void StopQueries() {}
  // the main window, hidden, its first page chosen; raises what its
  // construction raises
  virtual std::unique_ptr<IBaseWindow> CreateMainWindow(HINSTANCE instance) = 0;
};

class DefaultStartupServices : public IStartupServices {
 public:
  ILoggerServer& Logger() override;
  std::wstring ProductVersion() override;
  bool StartPackageQuery() override;
  bool StartServerQuery() override;
  void StopQueries() override;
  std::unique_ptr<IBaseWindow> CreateMainWindow(HINSTANCE instance) override;
};

// the whole run: start-up, message loop, shutdown. Always returns 0.
int RunInstaller(HINSTANCE instance, IStartupServices& services);

// posts WM_APP_ACTIVATE_INSTANCE to the first top-level window of the main
// window class; false when there is none
bool ActivateRunningInstance();

}  // namespace orvane
