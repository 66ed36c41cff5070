// The progress page's rules: phases, command line, percentages and texts.
#include <gtest/gtest.h>

#include "pages/ProgressRules.h"

namespace orvane {
namespace {

TEST(ProgressRules, PhaseOfEveryDownloaderState) {
  const struct {
    int state;
    DownloadPhase phase;
  } cases[] = {
      {-1, DownloadPhase::kIgnored}, {0, DownloadPhase::kWorking}, {1, DownloadPhase::kWorking},
      {2, DownloadPhase::kWorking},  {3, DownloadPhase::kFailed},  {4, DownloadPhase::kDone},
      {5, DownloadPhase::kFailed},   {6, DownloadPhase::kIgnored},
  };
  for (const auto& c : cases)
    EXPECT_EQ(PhaseOfDownload(c.state), c.phase) << c.state;
}

TEST(ProgressRules, CommandLine) {
  const std::wstring package =
      L"C:\\Users\\me\\AppData\\Roaming\\OrvanePkg\\KESTRELVAULT\\install.exe";
  EXPECT_EQ(InstallerCommandLine(package, L"C:\\Program Files\\Orvane\\栖木工坊", true),
            L"\"" + package +
                L"\" /SILENT /VERYSILENT /SP- /noicons -nowelcome "
                L"/DIR=\"C:\\Program Files\\Orvane\\栖木工坊\"");
  // without the experience plan; a folder with spaces and Chinese as it is
  EXPECT_EQ(InstallerCommandLine(L"D:\\p q\\安装.exe", L"D:\\我的 软件", false),
            L"\"D:\\p q\\安装.exe\" /SILENT /VERYSILENT /SP- /noicons -noexperience -nowelcome "
            L"/DIR=\"D:\\我的 软件\"");
}

TEST(ProgressRules, Percentages) {
  const struct {
    int progress;
    int percent;
  } downloads[] = {{0, 0}, {1, 0}, {2, 1}, {50, 40}, {99, 79}, {100, 80}, {-5, 0}, {130, 80}};
  for (const auto& d : downloads)
    EXPECT_EQ(DownloadPercent(d.progress), d.percent) << d.progress;
  const struct {
    uint32_t ms;
    int percent;
  } installs[] = {{0, 80},    {999, 80},   {1000, 81},  {7000, 87},
                  {7999, 87}, {19999, 99}, {20000, 99}, {600000, 99}};
  for (const auto& i : installs)
    EXPECT_EQ(InstallPercent(i.ms), i.percent) << i.ms;
}

TEST(ProgressRules, Texts) {
  EXPECT_EQ(ProgressStatusText(40), L"正在安装，请不要关闭：40%");
  EXPECT_EQ(ExitCodeText(2), "2");
  EXPECT_EQ(ExitCodeText(0xFFFFFFFFu), "4294967295");
  EXPECT_EQ(ExitCodeText(0x80000000u), "2147483648");
}

TEST(ProgressRules, ThirdFailureOfAKindIsManual) {
  EXPECT_EQ(DialogForFailure(1), FailureDialog::kRetry);
  EXPECT_EQ(DialogForFailure(2), FailureDialog::kRetry);
  EXPECT_EQ(DialogForFailure(3), FailureDialog::kManual);
  EXPECT_EQ(DialogForFailure(7), FailureDialog::kManual);
}

}  // namespace
}  // namespace orvane
