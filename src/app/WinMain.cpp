#include <windows.h>

#include "app/InstallSession.h"
#include "telemetry/LoggerServer.h"

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
