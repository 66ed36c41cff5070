#include <windows.h>

#include "app/InstallSession.h"

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, LPWSTR, int) {
  orvane::DefaultStartupServices services;
  return orvane::RunInstaller(instance, services);
}
