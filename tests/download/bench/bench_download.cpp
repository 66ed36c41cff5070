// The throughput benchmark's driver (scripts/bench): downloads one URL with
// the product's CDownloader into a folder and reports, one "key: value" a
// line, how long the bytes took, how long the MD5 check and remembering
// took, and the process's resident memory when idle and at its peak.
//
// usage: bench_download.exe URL FOLDER MD5
#include <windows.h>
// after windows.h, which it needs
#include <psapi.h>

#include <atomic>
#include <cstdio>
#include <string>
#include <thread>

#include "app/InstallSettings.h"
#include "download/DownloadEnvironment.h"
#include "download/Downloader.h"
#include "platform/StringConv.h"
#include "support/RecordingLogger.h"

namespace {

class BenchPkgInfo : public orvane::IPkgInfo {
 public:
  explicit BenchPkgInfo(std::string md5) : md5_(std::move(md5)) {}
  int GetStatus() override { return 1; }
  int64_t GetPackageSize() override { return 0; }
  int64_t GetInstallationSize() override { return 0; }
  const char* GetVersionCode() override { return nullptr; }
  int GetUrlCount() override { return 0; }
  const char* GetUrl(int) override { return nullptr; }
  const char* GetMd5() override { return md5_.c_str(); }
  void Clear() override {}

 private:
  std::string md5_;
};

// the working set now and at its peak, in KiB
void MemoryKib(long* now, long* peak) {
  PROCESS_MEMORY_COUNTERS c = {};
  c.cb = sizeof(c);
  *now = *peak = -1;
  if (!GetProcessMemoryInfo(GetCurrentProcess(), &c, sizeof(c))) return;
  *now = static_cast<long>(c.WorkingSetSize / 1024);
  *peak = static_cast<long>(c.PeakWorkingSetSize / 1024);
}

double Seconds(const LARGE_INTEGER& from, const LARGE_INTEGER& to) {
  LARGE_INTEGER f;
  QueryPerformanceFrequency(&f);
  return static_cast<double>(to.QuadPart - from.QuadPart) / static_cast<double>(f.QuadPart);
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  if (argc != 4) {
    std::fprintf(stderr, "usage: bench_download URL FOLDER MD5\n");
    return 2;
  }
  std::string url = orvane::WideToUtf8(argv[1]);
  std::wstring folder = argv[2];
  if (folder.back() != L'\\') folder += L'\\';

  orvane::test::RecordingLogger logger;
  orvane::ScopedLoggerOverride loggerScope(&logger);
  BenchPkgInfo pkg(orvane::WideToUtf8(argv[3]));
  orvane::InstallSettings settings(folder + L"config.ini");
  orvane::DownloadEnvironment env;
  env.pkgInfo = &pkg;
  env.remembered = &settings;
  env.cacheRoot = folder;
  orvane::ScopedDownloadEnvironment envScope(&env);

  orvane::CDownloader* d = orvane::CreateDownloader(url);
  Sleep(200);
  long idleKib = 0, ignored = 0;
  MemoryKib(&idleKib, &ignored);

  // a watcher samples the progress every millisecond: Poll checks the MD5
  // on the caller's thread, so the moment the last byte lands is only seen
  // from beside it
  LARGE_INTEGER begin, firstBytes, bytesDone, end;
  firstBytes.QuadPart = bytesDone.QuadPart = 0;
  std::atomic<bool> stop{false};
  long sampledKib = idleKib;
  std::thread watcher([&] {
    while (!stop) {
      int progress = d->GetProgress();
      if (firstBytes.QuadPart == 0 && progress > 0) QueryPerformanceCounter(&firstBytes);
      if (progress == 100) {
        QueryPerformanceCounter(&bytesDone);
        return;
      }
      long rss = 0, peak = 0;
      MemoryKib(&rss, &peak);
      if (rss > sampledKib) sampledKib = rss;
      Sleep(1);
    }
  });
  QueryPerformanceCounter(&begin);
  d->Start();
  int state = d->Poll();
  while (state == 0 || state == 1 || state == 2) {
    Sleep(50);
    state = d->Poll();
  }
  QueryPerformanceCounter(&end);
  stop = true;
  watcher.join();
  if (bytesDone.QuadPart == 0) bytesDone = end;
  long now = 0, peakKib = 0;
  MemoryKib(&now, &peakKib);
  int64_t total = d->total();
  std::string path = orvane::WideToUtf8(d->GetFilePath());
  d->Release();

  std::printf("state: %d\n", state);
  std::printf("bytes: %lld\n", static_cast<long long>(total));
  std::printf("file: %s\n", path.c_str());
  std::printf("download_seconds: %.3f\n", Seconds(begin, bytesDone));
  // the probe, the file's creation and the first mebibyte
  std::printf("first_progress_seconds: %.3f\n",
              firstBytes.QuadPart ? Seconds(begin, firstBytes) : 0.0);
  // the engine's MD5 check and the remembering of the package (which reads
  // the file once more)
  std::printf("md5_seconds: %.3f\n", Seconds(bytesDone, end));
  std::printf("idle_kib: %ld\n", idleKib);
  std::printf("peak_kib: %ld\n", peakKib > sampledKib ? peakKib : sampledKib);
  std::printf("sampled_peak_kib: %ld\n", sampledKib);
  return state == 4 ? 0 : 1;
}
