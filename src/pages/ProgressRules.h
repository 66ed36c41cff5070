// The progress page's rules, platform-free: what the downloader's state
// means to the page, the installer's command line, the percentage shown,
// the texts it sends and which dialog a failure opens.
#pragma once

#include <cstdint>
#include <string>

namespace orvane {

enum class DownloadPhase {
  kWorking,  // 0, 1, 2: not started, running
  kFailed,   // 3 being destroyed, 5 failed
  kDone,     // 4: the package is ready
  kIgnored,  // anything else: the tick does nothing
};
DownloadPhase PhaseOfDownload(int state);

// "<package>" /SILENT /VERYSILENT /SP- /noicons [-noexperience ]-nowelcome /DIR="<folder>"
// the path and the folder go in as they are
std::wstring InstallerCommandLine(const std::wstring& package,
                                  const std::wstring& folder,
                                  bool joinPlan);

// the bar while downloading: four fifths of the download, 0 to 80
int DownloadPercent(int progress);
// the bar while the installer runs: 80 plus one per whole second, then 99
int InstallPercent(uint32_t elapsedMs);
// "正在安装，请不要关闭：<percent>%"
std::wstring ProgressStatusText(int percent);

// the installer's exit code as the 32-bit value read unsigned: -1 gives
// "4294967295"
std::string ExitCodeText(uint32_t code);

// kind 1 a download failure, 2 an install failure; from the third failure
// of a kind on the page offers the manual way instead of a retry
enum class FailureDialog { kRetry, kManual };
FailureDialog DialogForFailure(int failures);
inline constexpr int kFailuresBeforeManual = 3;

}  // namespace orvane
