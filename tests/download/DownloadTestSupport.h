// Shared parts of the download engine's Wine tests: the peers' addresses, a
// package-info object of the test's own, the environment of one test (a
// scratch cache folder and config.ini), and the fault server's request log.
#pragma once

#include <windows.h>

#include <atomic>
#include <memory>
#include <mutex>
#include <regex>
#include <string>
#include <vector>

#include "app/InstallSettings.h"
#include "download/DownloadEnvironment.h"
#include "server/AppInfo.h"
#include "server/QueryResults.h"
#include "support/RecordingLogger.h"
#include "support/WineTestSupport.h"
#include "telemetry/LoggerServer.h"

namespace orvane::test {

// nginx: Range, HEAD, redirects (tests/peers/download-nginx-peer)
inline constexpr char kNginx[] = "http://127.0.0.16";
// our fault server (tests/peers/downloadfaults.py)
inline constexpr char kFaults[] = "http://127.0.0.17";
// nothing listens: connects are refused
inline constexpr char kRefused[] = "http://127.0.0.19";
inline constexpr int64_t kBigSize = 3145851;

// a worker gave up after its last attempt
inline const std::string kTooManyRetries =
    "event vSoftDownloadError {error_status=重试超过最大次数, error_type=下载线程出错}";

class FakePkgInfo : public IPkgInfo {
 public:
  int GetStatus() override {
    ++statusCalls;
    return status;
  }
  int64_t GetPackageSize() override { return 0; }
  int64_t GetInstallationSize() override { return 0; }
  const char* GetVersionCode() override { return version.empty() ? nullptr : version.c_str(); }
  int GetUrlCount() override { return static_cast<int>(urls.size()); }
  const char* GetUrl(int i) override {
    return i >= 0 && i < GetUrlCount() ? urls[static_cast<size_t>(i)].c_str() : nullptr;
  }
  const char* GetMd5() override { return md5.empty() ? nullptr : md5.c_str(); }
  void Clear() override {}

  std::atomic<int> status{1};
  std::atomic<int> statusCalls{0};
  std::string version;
  std::string md5;
  std::vector<std::string> urls;
};

// the installed product as the test says; file versions read for real
class FakeAppInfo : public IAppInfo {
 public:
  bool Refresh() override { return true; }
  const std::wstring& GetExePath() override { return exePath; }
  const std::wstring& GetVersion() override { return version; }
  std::wstring GetFileProductVersion(const std::wstring& path) override {
    return CAppInfo::GetInstance().GetFileProductVersion(path);
  }
  std::wstring exePath;
  std::wstring version;
};

// one test's world: events recorded, files in a scratch folder
struct DownloadWorld {
  DownloadWorld() : settings(dir.File(L"config.ini")) {
    env.pkgInfo = &pkg;
    env.remembered = &settings;
    env.appInfo = &app;
    env.cacheRoot = dir.path() + L"\\";
    env.reachHosts = {"127.0.0.16"};
    env.builtInUrl = std::string(kNginx) + "/files/pkg-1000.bin";
  }

  // the events' lines in order, only those of the download engine; a
  // measured download time reads "download_time=N"
  std::vector<std::string> Events() {
    std::vector<std::string> out;
    for (const std::string& line : logger.Lines()) {
      if (line.find("Download") != std::string::npos) {
        out.push_back(
            std::regex_replace(line, std::regex("download_time=[0-9]+"), "download_time=N"));
      }
    }
    return out;
  }

  ScratchDir dir;
  FakePkgInfo pkg;
  FakeAppInfo app;
  InstallSettings settings;
  DownloadEnvironment env;
  RecordingLogger logger;
  ScopedLoggerOverride loggerScope{&logger};
  ScopedDownloadEnvironment envScope{&env};
};

// a tag of its own for every test, so that the fault server's log shows
// only this test's requests
std::string UniqueTag();
// the fault server's log of a tag: "HEAD" and "GET bytes=a-b" lines
std::vector<std::string> FaultLog(const std::string& tag);
std::string FaultUrl(const std::string& mode, const std::string& tag, int64_t size);

}  // namespace orvane::test
