// wintool: what the end-to-end driver asks of Windows about the installer's
// windows, from the Linux side, through Wine.
//
//   wintool find CLASS            "x y width height visible" of the first
//                                 top-level window of the class; exit 1 if none
//   wintool pid CLASS             the id of the process that owns it
//   wintool text CLASS ID         the text of its child control ID (UTF-8)
//   wintool post CLASS MSG WPARAM LPARAM
//                                 posts a message to it (numbers, 0x... allowed)
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <string>

namespace {

std::wstring Wide(const char* utf8) {
  int n = ::MultiByteToWideChar(CP_UTF8, 0, utf8, -1, nullptr, 0);
  std::wstring out(n > 0 ? n : 1, L'\0');
  ::MultiByteToWideChar(CP_UTF8, 0, utf8, -1, &out[0], n);
  out.resize(n > 0 ? n - 1 : 0);
  return out;
}

unsigned long Number(const char* text) {
  return std::strtoul(text, nullptr, 0);
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 3) return 2;
  const std::string command = argv[1];
  HWND window = ::FindWindowW(Wide(argv[2]).c_str(), nullptr);
  if (!window) return 1;
  if (command == "find") {
    RECT r{};
    ::GetWindowRect(window, &r);
    std::printf("%ld %ld %ld %ld %d\n", r.left, r.top, r.right - r.left, r.bottom - r.top,
                ::IsWindowVisible(window) ? 1 : 0);
    return 0;
  }
  if (command == "pid") {
    DWORD id = 0;
    ::GetWindowThreadProcessId(window, &id);
    std::printf("%lu\n", id);
    return 0;
  }
  if (command == "text" && argc > 3) {
    HWND control = ::GetDlgItem(window, static_cast<int>(Number(argv[3])));
    if (!control) return 1;
    // asked of the control itself: GetWindowTextW does not, across processes
    wchar_t text[1024] = {};
    DWORD_PTR ignored = 0;
    ::SendMessageTimeoutW(control, WM_GETTEXT, 1023, reinterpret_cast<LPARAM>(text),
                          SMTO_ABORTIFHUNG, 5000, &ignored);
    char utf8[4096] = {};
    ::WideCharToMultiByte(CP_UTF8, 0, text, -1, utf8, sizeof(utf8) - 1, nullptr, nullptr);
    std::printf("%s\n", utf8);
    return 0;
  }
  if (command == "post" && argc > 5) {
    return ::PostMessageW(window, Number(argv[3]), Number(argv[4]), Number(argv[5])) ? 0 : 1;
  }
  return 2;
}
