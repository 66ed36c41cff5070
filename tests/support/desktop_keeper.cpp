// Holds Wine's desktop open for a whole test run. Wine closes the desktop
// (its explorer.exe) a moment after the last program that uses it ends; a
// test that creates a window just then waits for the closing desktop and
// fails. Started by scripts/lib/test-env, ended with the wineserver.
#include <windows.h>

int main() {
  ::GetDesktopWindow();
  ::Sleep(INFINITE);
  return 0;
}
