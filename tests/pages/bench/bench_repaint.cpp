// The repaint benchmark's driver (scripts/bench): the begin page and the
// progress page in a real window of the main window's size, at the display
// ratios 1.0 and 1.5, each repainted as WM_PAINT does it (every widget into
// an off-screen bitmap, one copy to the window). Prints one "key: value" a
// line: the median and the slowest of the timed repaints in milliseconds,
// and whether the banner was animated while the progress page was timed.
//
// usage: bench_repaint.exe INSTALLER RUNS
//   INSTALLER  the installer, whose resource 103 is the skin
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "pages/BeginView.h"
#include "pages/ProgressView.h"
#include "platform/FileSystem.h"
#include "platform/Handles.h"
#include "support/RecordingLogger.h"
#include "ui/BaseWindow.h"
#include "ui/DisplayScale.h"
#include "ui/MovieResource.h"
#include "ui/ResourceMgr.h"
#include "ui/ViewMessages.h"

namespace orvane {
namespace {

// the system's work area with a chosen display ratio
class RatioDisplay : public SystemDisplayFacts {
 public:
  explicit RatioDisplay(double ratio) : ratio_(ratio) {}
  int DesktopHorzRes() override { return static_cast<int>(ratio_ * 1000 + 0.5); }
  int HorzRes() override { return 1000; }

 private:
  double ratio_;
};

class BenchWindow : public IBaseWindow {
 public:
  explicit BenchWindow(IDisplayFacts* display) : IBaseWindow(600, 400, display) {}
  std::unique_ptr<IBaseView> view;

  LRESULT HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam) override {
    if (msg == WM_ERASEBKGND) return 0;
    if (msg == WM_CLOSE) {
      view.reset();
      ::DestroyWindow(hwnd_);
      return 0;
    }
    if (view) return view->HandleMessage(msg, wParam, lParam);
    return ::DefWindowProcW(hwnd_, msg, wParam, lParam);
  }
};

double Milliseconds(LARGE_INTEGER from, LARGE_INTEGER to) {
  LARGE_INTEGER frequency;
  ::QueryPerformanceFrequency(&frequency);
  return (to.QuadPart - from.QuadPart) * 1000.0 / frequency.QuadPart;
}

void Pump(DWORD ms) {
  const DWORD start = ::GetTickCount();
  MSG msg;
  do {
    while (::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
      ::TranslateMessage(&msg);
      ::DispatchMessageW(&msg);
    }
    ::Sleep(5);
  } while (::GetTickCount() - start < ms);
}

// n whole repaints, each as its own WM_PAINT; the median and the slowest
void TimeRepaints(HWND hwnd, int runs, double* median, double* slowest) {
  std::vector<double> ms;
  for (int i = 0; i < runs; ++i) {
    LARGE_INTEGER a, b;
    ::QueryPerformanceCounter(&a);
    ::RedrawWindow(hwnd, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
    ::QueryPerformanceCounter(&b);
    ms.push_back(Milliseconds(a, b));
    // what arrives meanwhile (the banner's frames) is handled between runs
    MSG msg;
    while (::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE))
      ::DispatchMessageW(&msg);
  }
  std::sort(ms.begin(), ms.end());
  *median = ms[ms.size() / 2];
  *slowest = ms.back();
}

int Run(const std::wstring& installer, int runs) {
  test::RecordingLogger logger;
  ScopedLoggerOverride loggerScope(&logger);
  UniqueModule skin(::LoadLibraryExW(installer.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE));
  if (!skin) {
    std::fprintf(stderr, "bench_repaint: cannot load the installer's resources\n");
    return 1;
  }
  wchar_t temp[MAX_PATH + 1] = {};
  ::GetTempPathW(MAX_PATH, temp);
  const std::wstring cache =
      std::wstring(temp) + L"orvane-bench-" + std::to_wstring(::GetCurrentProcessId()) + L"\\";
  CreateDirectories(cache);
  int code = 0;
  for (double ratio : {1.0, 1.5}) {
    char pct[8];
    std::snprintf(pct, sizeof(pct), "%d", static_cast<int>(ratio * 100 + 0.5));
    for (const char* page : {"begin", "progress"}) {
      DisplayScaleScope session;
      ResourceMgrPtr resources(CreateResourceMgr({cache, skin.get()}));
      RatioDisplay display(ratio);
      BenchWindow window(&display);
      if (!resources || !window.Create(L"OrvaneBench-Window", nullptr)) {
        std::fprintf(stderr, "bench_repaint: no skin or no window\n");
        code = 1;
        continue;
      }
      CMovieResource* banner = nullptr;
      if (std::string(page) == "begin") {
        window.view = std::make_unique<CBeginView>(window.hwnd(), resources.get(), false);
      } else {
        auto progress = std::make_unique<CProgressView>(window.hwnd(), resources.get());
        for (size_t i = 0; i < progress->widgetCount(); ++i) {
          if (auto* m = dynamic_cast<CMovieResource*>(progress->WidgetAt(static_cast<int32_t>(i))))
            banner = m;
        }
        window.view = std::move(progress);
      }
      ::ShowWindow(window.hwnd(), SW_SHOW);
      ::UpdateWindow(window.hwnd());
      // the banner's picture, if a gateway answers, and one loop of its
      // frames, so that the timed repaints see the animation running
      for (int i = 0; banner && i < 60 && !banner->animated(); ++i)
        Pump(50);
      Pump(300);
      for (int i = 0; i < 40; ++i) {
        ::RedrawWindow(window.hwnd(), nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
        Pump(20);
      }
      double median = 0, slowest = 0;
      TimeRepaints(window.hwnd(), runs, &median, &slowest);
      std::printf("repaint_%s_%s_median_ms: %.2f\n", page, pct, median);
      std::printf("repaint_%s_%s_max_ms: %.2f\n", page, pct, slowest);
      if (banner)
        std::printf("repaint_progress_%s_animated: %d\n", pct, banner->animated() ? 1 : 0);
      std::fflush(stdout);
      ::SendMessageW(window.hwnd(), WM_CLOSE, 0, 0);
    }
  }
  DeleteTree(cache);
  return code;
}

}  // namespace
}  // namespace orvane

int wmain(int argc, wchar_t** argv) {
  if (argc != 3) {
    std::fprintf(stderr, "usage: bench_repaint INSTALLER RUNS\n");
    return 2;
  }
  return orvane::Run(argv[1], _wtoi(argv[2]));
}
