// The gallery: a test tool, not part of the installer. It shows the widget
// toolkit in a real borderless window of the installer's size, for the
// screenshot tests and for looking at it by hand (the begin sheet reacts to
// the mouse like the begin page).
//
// usage: gallery.exe [--sheet NAME[,NAME...]] [--ratio R] [--info FILE]
//                    [--until FILE] [--bench N]
//   --sheet  "widgets" (the default), or one of the installer's pages and
//            dialogs built by their own classes: begin, custom, progress,
//            finished, reminder, warn, error, download, install. With
//            several, the next is shown each time FILE.next (FILE of --info)
//            appears; the gallery deletes it and closes after the last.
//   --ratio  the display ratio to size the window for (default: the system's)
//   --info   written once a sheet is painted: its name, the screen rectangle
//            of its window (of the dialog, for a dialog), the scale and the
//            rectangles of the named widgets
//   --until  the gallery closes once this file exists (or after 2 minutes)
//   --bench  times N full repaints of the window, written to the info file
#include <windows.h>

#include <shellapi.h>

#include <algorithm>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "GalleryPages.h"
#include "GallerySheets.h"
#include "app/AppGlobals.h"
#include "platform/FileSystem.h"
#include "platform/StringConv.h"
#include "platform/StringUtil.h"
#include "ui/BaseWindow.h"
#include "ui/DibSurface.h"
#include "ui/ResourceMgr.h"

namespace orvane {
namespace {

constexpr UINT_PTR kPollTimer = 1;
constexpr UINT_PTR kInfoTimer = 2;
constexpr DWORD kLifetimeMs = 120000;

struct Options {
  std::vector<std::wstring> sheets{L"widgets"};
  double ratio = 0;  // 0 = the system's
  std::wstring info;
  std::wstring until;
  int bench = 0;
};

Options ParseOptions() {
  Options o;
  int argc = 0;
  wchar_t** argv = ::CommandLineToArgvW(::GetCommandLineW(), &argc);
  for (int i = 1; argv && i + 1 < argc; i += 2) {
    const std::wstring key = argv[i];
    const std::wstring value = argv[i + 1];
    if (key == L"--sheet") o.sheets = SplitAny(value, L",");
    if (key == L"--ratio") o.ratio = _wtof(value.c_str());
    if (key == L"--info") o.info = value;
    if (key == L"--until") o.until = value;
    if (key == L"--bench") o.bench = _wtoi(value.c_str());
  }
  if (argv) ::LocalFree(argv);
  return o;
}

// the system's work area with a chosen display ratio
class RatioDisplay : public SystemDisplayFacts {
 public:
  explicit RatioDisplay(double ratio) : ratio_(ratio) {}
  int DesktopHorzRes() override {
    return ratio_ > 0 ? static_cast<int>(ratio_ * 1000 + 0.5)
                      : SystemDisplayFacts::DesktopHorzRes();
  }
  int HorzRes() override { return ratio_ > 0 ? 1000 : SystemDisplayFacts::HorzRes(); }

 private:
  double ratio_;
};

class GalleryWindow : public IBaseWindow {
 public:
  GalleryWindow(IDisplayFacts* display, const Options& options, IResourceMgr* resources)
      : IBaseWindow(600, 400, display), options_(options), resources_(resources) {}
  ~GalleryWindow() override { sheet_ = {}; }

  // shows the next sheet; false when there is none or it is unknown
  bool NextSheet() {
    sheet_ = {};
    if (next_ >= options_.sheets.size()) return false;
    name_ = options_.sheets[next_++];
    if (name_ == L"widgets") {
      Resize(600, 400);
      auto widgets = CreateWidgetSheet(hwnd_, resources_);
      sheet_.named = widgets->Named();
      sheet_.view = std::move(widgets);
    } else if (!BuildPageSheet(name_, *this, resources_, &sheet_)) {
      return false;
    }
    ::InvalidateRect(hwnd_, nullptr, TRUE);
    if (sheet_.dialog) sheet_.dialog->ShowOver(hwnd_);
    ::SetTimer(hwnd_, kInfoTimer, 300, nullptr);
    return true;
  }
  IBaseView* view() const { return sheet_.view.get(); }
  std::string benchLines;

  LRESULT HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam) override {
    switch (msg) {
      case WM_ERASEBKGND:
        return 1;  // the view paints every pixel
      case WM_CTLCOLOREDIT:
        // the edit field on the dark page, as the custom page colours it
        ::SetTextColor(reinterpret_cast<HDC>(wParam), RGB(0xE0, 0xE7, 0xFA));
        ::SetBkColor(reinterpret_cast<HDC>(wParam), RGB(0x1F, 0x1F, 0x1F));
        return reinterpret_cast<LRESULT>(::GetStockObject(NULL_BRUSH));
      case WM_TIMER:
        OnTimer(wParam);
        return 0;
      case WM_CLOSE:
        sheet_ = {};
        ::DestroyWindow(hwnd_);
        return 0;
      case WM_DESTROY:
        ::PostQuitMessage(0);
        return 0;
    }
    if (sheet_.view) return sheet_.view->HandleMessage(msg, wParam, lParam);
    return ::DefWindowProcW(hwnd_, msg, wParam, lParam);
  }

 private:
  void OnTimer(WPARAM id) {
    if (id == kInfoTimer) {
      ::KillTimer(hwnd_, kInfoTimer);
      WriteInfo();
      return;
    }
    const bool expired = ::GetTickCount() - started_ > kLifetimeMs;
    if (expired || (!options_.until.empty() && FileExists(options_.until))) {
      ::PostMessageW(hwnd_, WM_CLOSE, 0, 0);
      return;
    }
    const std::wstring next = options_.info + L".next";
    if (!options_.info.empty() && FileExists(next)) {
      ::DeleteFileW(next.c_str());
      if (!NextSheet()) ::PostMessageW(hwnd_, WM_CLOSE, 0, 0);
    }
  }

  void WriteInfo() {
    if (options_.info.empty() || !sheet_.view) return;
    RECT r{};
    ::GetWindowRect(sheet_.dialog ? sheet_.dialog->hwnd() : hwnd_, &r);
    std::string text = "sheet " + WideToUtf8(name_) + "\n";
    text += "window " + std::to_string(r.left) + " " + std::to_string(r.top) + " " +
            std::to_string(r.right - r.left) + " " + std::to_string(r.bottom - r.top) + "\n";
    char scale[32];
    std::snprintf(scale, sizeof(scale), "scale %.4f\n", GetAppGlobals()->uiScale);
    text += scale;
    text += "widgets " + std::to_string(sheet_.view->widgetCount()) + "\n";
    for (const auto& [name, rect] : sheet_.named) {
      text += "widget " + name + " " + std::to_string(rect.left) + " " + std::to_string(rect.top) +
              " " + std::to_string(rect.right) + " " + std::to_string(rect.bottom) + "\n";
    }
    text += benchLines;
    // written whole under a temporary name, so that a reader never sees half
    const std::wstring temp = options_.info + L".tmp";
    if (FILE* f = _wfopen(temp.c_str(), L"wb")) {
      std::fwrite(text.data(), 1, text.size(), f);
      std::fclose(f);
      ::MoveFileExW(temp.c_str(), options_.info.c_str(), MOVEFILE_REPLACE_EXISTING);
    }
  }

  Options options_;
  IResourceMgr* resources_;
  PageSheet sheet_;
  std::wstring name_;
  size_t next_ = 0;
  DWORD started_ = ::GetTickCount();
};

double Milliseconds(LARGE_INTEGER from, LARGE_INTEGER to) {
  LARGE_INTEGER frequency;
  ::QueryPerformanceFrequency(&frequency);
  return (to.QuadPart - from.QuadPart) * 1000.0 / frequency.QuadPart;
}

// the median, fastest and slowest of n timed runs, as one line
std::string Summary(const char* what, std::vector<double> ms) {
  std::sort(ms.begin(), ms.end());
  char line[160];
  std::snprintf(line, sizeof(line), "bench %s runs %zu median %.2f min %.2f max %.2f ms\n", what,
                ms.size(), ms[ms.size() / 2], ms.front(), ms.back());
  return line;
}

std::string Bench(GalleryWindow& window, int runs) {
  std::vector<double> repaint, render;
  RECT client{};
  ::GetClientRect(window.hwnd(), &client);
  DibSurface surface(nullptr, client.right, client.bottom);
  for (int i = 0; i < runs; ++i) {
    LARGE_INTEGER a, b, c;
    ::QueryPerformanceCounter(&a);
    // one whole WM_PAINT: every widget into a fresh bitmap, then one copy
    ::RedrawWindow(window.hwnd(), nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
    ::QueryPerformanceCounter(&b);
    window.view()->DrawWidgets(surface.dc());
    ::QueryPerformanceCounter(&c);
    repaint.push_back(Milliseconds(a, b));
    render.push_back(Milliseconds(b, c));
  }
  std::string lines = Summary("repaint", repaint) + Summary("draw-only", render);
  // where the time goes: each widget's Draw on its own
  IBaseView* view = window.view();
  for (size_t i = 0; i < view->widgetCount(); ++i) {
    std::vector<double> one;
    for (int run = 0; run < std::min(runs, 20); ++run) {
      LARGE_INTEGER a, b;
      ::QueryPerformanceCounter(&a);
      view->WidgetAt(static_cast<int32_t>(i))->Draw(surface.dc());
      ::QueryPerformanceCounter(&b);
      one.push_back(Milliseconds(a, b));
    }
    lines += Summary(("widget-" + std::to_string(i)).c_str(), one);
  }
  return lines;
}

int Run() {
  const Options options = ParseOptions();
  AppGlobalsScope globals;

  wchar_t temp[MAX_PATH + 1] = {};
  ::GetTempPathW(MAX_PATH, temp);
  const std::wstring cache =
      std::wstring(temp) + L"orvane-gallery-" + std::to_wstring(::GetCurrentProcessId()) + L"\\";
  CreateDirectories(cache);
  int code = 0;
  {
    ResourceMgrPtr resources(CreateResourceMgr({cache, ::GetModuleHandleW(nullptr)}));
    RatioDisplay display(options.ratio);
    GalleryWindow window(&display, options, resources.get());
    if (!resources || !window.Create(L"OrvaneGallery-Window", nullptr) || !window.NextSheet()) {
      code = 1;
    } else {
      ::SetWindowPos(window.hwnd(), HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
      ::ShowWindow(window.hwnd(), SW_SHOW);
      ::UpdateWindow(window.hwnd());
      if (options.bench > 0) window.benchLines = Bench(window, options.bench);
      ::SetTimer(window.hwnd(), kPollTimer, 100, nullptr);
      MSG msg;
      while (::GetMessageW(&msg, nullptr, 0, 0) > 0) {
        ::TranslateMessage(&msg);
        ::DispatchMessageW(&msg);
      }
    }
  }
  DeleteTree(cache);
  return code;
}

}  // namespace
}  // namespace orvane

int WINAPI wWinMain(HINSTANCE, HINSTANCE, LPWSTR, int) {
  return orvane::Run();
}
