#include <windows.h>

#include "app/InstallSession.h"
#include "platform/DllSearch.h"
#include "telemetry/LoggerServer.h"

// the MinGW runtime's own entry point: it sets up the C runtime, runs the
// static constructors and calls wWinMain
extern "C" int WinMainCRTStartup();

// The process starts here (the link line names it), before the C runtime and
// any constructor: the first DLL looked for by name must already come from
// the system folder.
extern "C" int OrvaneEntry() {
  orvane::RestrictDllSearch();
  return WinMainCRTStartup();
}

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, LPWSTR, int) {
  orvane::DefaultStartupServices services;
  const int code = orvane::RunInstaller(instance, services);
  // The quit telemetry is in the journal. The SDK gets its last upload,
  // bounded; then the process ends at once. Threads left in calls that
  // nothing can interrupt (a resolver that never answers, a proxy script
  // that never arrives) hold none of our locks and touch none of our
  // objects: they end with the process, and no static destructor waits for
  // them or pulls an object from under them.
  orvane::CLoggerServer::ShutdownInstance();
  ::ExitProcess(static_cast<UINT>(code));
}
