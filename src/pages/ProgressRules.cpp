#include "pages/ProgressRules.h"

#include "platform/StringUtil.h"

namespace orvane {

DownloadPhase PhaseOfDownload(int state) {
  switch (state) {
    case 0:
    case 1:
    case 2:
      return DownloadPhase::kWorking;
    case 3:
    case 5:
      return DownloadPhase::kFailed;
    case 4:
      return DownloadPhase::kDone;
    default:
      return DownloadPhase::kIgnored;
  }
}

std::wstring InstallerCommandLine(const std::wstring& package,
                                  const std::wstring& folder,
                                  bool joinPlan) {
  std::wstring line = L"\"" + package + L"\"";
  line += L" /SILENT /VERYSILENT /SP- /noicons ";
  if (!joinPlan) line += L"-noexperience ";
  line += L"-nowelcome ";
  line += L"/DIR=\"" + folder + L"\"";
  return line;
}

int DownloadPercent(int progress) {
  if (progress < 0) progress = 0;
  if (progress > 100) progress = 100;
  return progress * 4 / 5;
}

int InstallPercent(uint32_t elapsedMs) {
  const uint32_t seconds = elapsedMs / 1000;
  return seconds < 20 ? static_cast<int>(seconds) + 80 : 99;
}

std::wstring ProgressStatusText(int percent) {
  return L"正在安装，请不要关闭：" + std::to_wstring(percent) + L"%";
}

std::string ExitCodeText(uint32_t code) {
  return FormatInt64(static_cast<int64_t>(code));
}

FailureDialog DialogForFailure(int failures) {
  return failures < kFailuresBeforeManual ? FailureDialog::kRetry : FailureDialog::kManual;
}

}  // namespace orvane
