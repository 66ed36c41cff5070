// A child process for the process tests: sleeps the milliseconds given as
// the second argument, then exits with the code given as the first.
#include <windows.h>

#include <cstdlib>

int main(int argc, char** argv) {
  if (argc > 2) ::Sleep(static_cast<DWORD>(std::atoi(argv[2])));
  return argc > 1 ? std::atoi(argv[1]) : 0;
}
