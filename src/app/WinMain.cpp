#include <windows.h>

#include "app/InstallSession.h"
#include "platform/DllSearch.h"

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
  return orvane::RunInstaller(instance, services);
}
