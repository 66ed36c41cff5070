// The demo product that the demo package installs: one small window showing
// the product's name and the ProductVersion of its own version resource, so
// that what the window says is what the installer reads from the file.
#include <windows.h>

#include <string>

namespace {

const wchar_t kWindowClass[] = L"KestrelVaultDemoWindow";
const wchar_t kProductName[] = L"栖木工坊";

// ProductVersion through the first entry of the translation table; empty on failure
std::wstring OwnProductVersion() {
  wchar_t self[1024] = {};
  if (!::GetModuleFileNameW(nullptr, self, 1023)) return L"";
  DWORD ignored = 0;
  DWORD size = ::GetFileVersionInfoSizeW(self, &ignored);
  if (size == 0) return L"";
  std::string block(size, '\0');
  if (!::GetFileVersionInfoW(self, 0, size, &block[0])) return L"";
  struct Translation {
    WORD language;
    WORD codePage;
  }* translation = nullptr;
  UINT length = 0;
  if (!::VerQueryValueW(block.data(), L"\\VarFileInfo\\Translation",
                        reinterpret_cast<void**>(&translation), &length) ||
      length < sizeof(Translation)) {
    return L"";
  }
  wchar_t query[64] = {};
  wsprintfW(query, L"\\StringFileInfo\\%04x%04x\\ProductVersion", translation->language,
            translation->codePage);
  wchar_t* value = nullptr;
  if (!::VerQueryValueW(block.data(), query, reinterpret_cast<void**>(&value), &length) ||
      length == 0) {
    return L"";
  }
  return std::wstring(value, length - 1);
}

struct Texts {
  std::wstring name = kProductName;
  std::wstring version;
};

// a font that is deleted with its owner
class Font {
 public:
  Font(int height, int weight)
      : font_(::CreateFontW(height, 0, 0, 0, weight, FALSE, FALSE, FALSE, DEFAULT_CHARSET,
                            OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, CLEARTYPE_QUALITY,
                            DEFAULT_PITCH, L"Microsoft YaHei")) {}
  ~Font() {
    if (font_) ::DeleteObject(font_);
  }
  Font(const Font&) = delete;
  Font& operator=(const Font&) = delete;
  HFONT get() const { return font_; }

 private:
  HFONT font_;
};

void Paint(HWND hwnd, const Texts& texts) {
  PAINTSTRUCT ps;
  HDC dc = ::BeginPaint(hwnd, &ps);
  RECT client;
  ::GetClientRect(hwnd, &client);
  HBRUSH background = ::CreateSolidBrush(RGB(0x1F, 0x1F, 0x1F));
  ::FillRect(dc, &client, background);
  ::DeleteObject(background);

  ::SetBkMode(dc, TRANSPARENT);
  Font big(36, FW_BOLD);
  Font small(18, FW_NORMAL);
  RECT top = client;
  top.bottom = client.bottom / 2 + 8;
  RECT bottom = client;
  bottom.top = client.bottom / 2 + 16;
  HGDIOBJ old = ::SelectObject(dc, big.get());
  ::SetTextColor(dc, RGB(0xE0, 0xE7, 0xFA));
  ::DrawTextW(dc, texts.name.c_str(), -1, &top, DT_CENTER | DT_BOTTOM | DT_SINGLELINE);
  ::SelectObject(dc, small.get());
  ::SetTextColor(dc, RGB(0x5D, 0x8E, 0xFC));
  std::wstring line = L"版本 " + (texts.version.empty() ? L"?" : texts.version);
  ::DrawTextW(dc, line.c_str(), -1, &bottom, DT_CENTER | DT_TOP | DT_SINGLELINE);
  ::SelectObject(dc, old);
  ::EndPaint(hwnd, &ps);
}

LRESULT CALLBACK WindowProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  switch (msg) {
    case WM_NCCREATE: {
      auto* create = reinterpret_cast<CREATESTRUCTW*>(lParam);
      ::SetWindowLongPtrW(hwnd, GWLP_USERDATA,
                          reinterpret_cast<LONG_PTR>(create->lpCreateParams));
      break;
    }
    case WM_PAINT: {
      auto* texts = reinterpret_cast<const Texts*>(::GetWindowLongPtrW(hwnd, GWLP_USERDATA));
      if (texts) {
        Paint(hwnd, *texts);
        return 0;
      }
      break;
    }
    case WM_DESTROY:
      ::PostQuitMessage(0);
      return 0;
  }
  return ::DefWindowProcW(hwnd, msg, wParam, lParam);
}

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, LPWSTR, int show) {
  Texts texts;
  texts.version = OwnProductVersion();

  WNDCLASSEXW wc{};
  wc.cbSize = sizeof(wc);
  wc.lpfnWndProc = WindowProc;
  wc.hInstance = instance;
  wc.hIcon = ::LoadIconW(instance, MAKEINTRESOURCEW(1));
  wc.hCursor = ::LoadCursorW(nullptr, IDC_ARROW);
  wc.lpszClassName = kWindowClass;
  if (!::RegisterClassExW(&wc)) return 1;

  const int width = 420, height = 220;
  std::wstring title = texts.name + L" " + texts.version;
  HWND hwnd = ::CreateWindowExW(
      0, kWindowClass, title.c_str(), WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX,
      (::GetSystemMetrics(SM_CXSCREEN) - width) / 2, (::GetSystemMetrics(SM_CYSCREEN) - height) / 2,
      width, height, nullptr, nullptr, instance, &texts);
  if (!hwnd) return 1;
  ::ShowWindow(hwnd, show);
  ::UpdateWindow(hwnd);

  MSG msg;
  while (::GetMessageW(&msg, nullptr, 0, 0) > 0) {
    ::TranslateMessage(&msg);
    ::DispatchMessageW(&msg);
  }
  return 0;
}
