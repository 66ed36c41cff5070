// A stand-in for the outside attribution module KMUID.dll: GetKMUID writes
// the id from the variable ORVANE_TEST_KMUID of the loading process, or a
// fixed id when it is not set. The id is cut to the caller's buffer.
#include <windows.h>

#include <cstring>

extern "C" __declspec(dllexport) int __cdecl GetKMUID(char* buffer, int size) {
  if (!buffer || size <= 0) return 0;
  char id[256] = "5d41402abc4b2a76b9719d911017c592";
  DWORD n = ::GetEnvironmentVariableA("ORVANE_TEST_KMUID", id, sizeof(id));
  if (n >= sizeof(id)) id[0] = '\0';
  // a module that ignores the size would overrun here; this one does not
  std::strncpy(buffer, id, static_cast<size_t>(size));
  return static_cast<int>(std::strlen(id));
}
