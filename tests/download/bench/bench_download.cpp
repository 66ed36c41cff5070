// The throughput benchmark's driver (scripts/bench): downloads one URL with
// the product's CDownloader into a folder and reports, one "key: value" a
// line, how long the bytes took, how long the MD5 check and remembering
// took, and the process's resident memory when idle and at its peak.
//
// usage: bench_download.exe URL FOLDER MD5
#include <windows.h>

#include <cstdio>
#include <fstream>
#include <string>

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

// a field of the Linux process's status (Wine maps / to Z:), in KiB
long StatusKib(const char* field) {
  std::ifstream in("Z:\\proc\\self\\status");
  std::string key;
  while (in >> key) {
    if (key == field) {
      long kib = 0;
      in >> kib;
      return kib;
    }
    in.ignore(1 << 16, '\n');
  }
  return -1;
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
  env.settings = &settings;
  env.cacheRoot = folder;
  orvane::ScopedDownloadEnvironment envScope(&env);

  orvane::CDownloader* d = orvane::CreateDownloader(url);
  Sleep(200);
  long idleKib = StatusKib("VmRSS:");

  LARGE_INTEGER begin, bytesDone, end;
  QueryPerformanceCounter(&begin);
  d->Start();
  bytesDone.QuadPart = 0;
  long sampledKib = idleKib;
  int state = d->Poll();
  while (state == 0 || state == 1 || state == 2) {
    Sleep(5);
    if (bytesDone.QuadPart == 0 && d->GetProgress() == 100) QueryPerformanceCounter(&bytesDone);
    long rss = StatusKib("VmRSS:");
    if (rss > sampledKib) sampledKib = rss;
    state = d->Poll();
  }
  QueryPerformanceCounter(&end);
  if (bytesDone.QuadPart == 0) bytesDone = end;
  long peakKib = StatusKib("VmHWM:");
  int64_t total = d->total();
  std::string path = orvane::WideToUtf8(d->GetFilePath());
  d->Release();

  std::printf("state: %d\n", state);
  std::printf("bytes: %lld\n", static_cast<long long>(total));
  std::printf("file: %s\n", path.c_str());
  std::printf("download_seconds: %.3f\n", Seconds(begin, bytesDone));
  // the engine's MD5 check and the remembering of the package (which reads
  // the file once more)
  std::printf("md5_seconds: %.3f\n", Seconds(bytesDone, end));
  std::printf("idle_kib: %ld\n", idleKib);
  std::printf("peak_kib: %ld\n", peakKib > sampledKib ? peakKib : sampledKib);
  std::printf("sampled_peak_kib: %ld\n", sampledKib);
  return state == 4 ? 0 : 1;
}
