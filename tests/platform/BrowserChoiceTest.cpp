#include "platform/BrowserChoice.h"

#include <gtest/gtest.h>

#include <functional>
#include <map>
#include <optional>
#include <set>

namespace orvane {
namespace {

const std::wstring kUrl = L"http://www.orvane.test/kestrelvault/welcome?_channel=c1&_mid=m";
const std::wstring kArg = L"\"" + kUrl + L"\"";

struct FakeProcess {
  uint32_t id = 0;
  std::wstring name;
  int64_t started = 500;  // before the installer's write at 1000
  ProcessRunState state = ProcessRunState::kRunning;
  bool timeKnown = true;
  std::wstring image;  // empty: the image path cannot be read
};

class FakeFacts : public IBrowserFacts {
 public:
  std::wstring defaultBrowser;
  std::optional<int64_t> installerWritten = 1000;
  std::wstring ownImage = L"C:\\Users\\a\\Downloads\\KestrelVaultSetup.exe";
  std::set<std::wstring> files;
  std::map<std::wstring, std::wstring> installLocations;
  std::vector<FakeProcess> processes;

  std::wstring DefaultBrowserPath() override { return defaultBrowser; }
  bool InstallerWriteTime(int64_t* seconds) override {
    if (installerWritten) *seconds = *installerWritten;
    return installerWritten.has_value();
  }
  std::wstring OwnImagePath() override { return ownImage; }
  bool FileExists(const std::wstring& path) override { return files.count(path) > 0; }
  bool FindInstallLocation(const std::wstring& key, std::wstring* folder) override {
    auto it = installLocations.find(key);
    if (it == installLocations.end()) return false;
    *folder = it->second;
    return true;
  }
  std::vector<ProcessEntry> RunningProcesses() override {
    std::vector<ProcessEntry> list;
    for (const auto& p : processes)
      list.push_back({p.id, p.name});
    return list;
  }
  ProcessRunState RunState(uint32_t id) override {
    const FakeProcess* p = Find(id);
    return p ? p->state : ProcessRunState::kMissing;
  }
  bool CreationTime(uint32_t id, int64_t* seconds) override {
    const FakeProcess* p = Find(id);
    if (!p || !p->timeKnown) return false;
    *seconds = p->started;
    return true;
  }
  bool ImagePath(uint32_t id, std::wstring* path) override {
    const FakeProcess* p = Find(id);
    if (!p || p->image.empty()) return false;
    *path = p->image;
    return true;
  }

 private:
  const FakeProcess* Find(uint32_t id) const {
    for (const auto& p : processes)
      if (p.id == id) return &p;
    return nullptr;
  }
};

const std::wstring kChrome = L"C:\\Program Files\\Google\\Chrome\\Application\\chrome.exe";
const std::wstring k360Chrome = L"C:\\360Chrome\\Chrome\\Application\\360chrome.exe";
const std::wstring k360Se = L"C:\\360se6\\Application\\360se.exe";
const std::wstring kFirefox = L"C:\\Program Files\\Mozilla Firefox\\firefox.exe";
const std::wstring kEdge = L"C:\\Windows\\SystemApps\\Edge\\MicrosoftEdge.exe";

FakeProcess Running(uint32_t id, const std::wstring& image) {
  FakeProcess p;
  p.id = id;
  p.name = image.substr(image.rfind(L'\\') + 1);
  p.image = image;
  return p;
}

struct Case {
  const char* name;
  std::wstring given;
  std::function<void(FakeFacts&)> setup;
  std::wstring program;
  std::wstring parameters;
  LaunchAppType type;
  int count;
  std::wstring names;
};

template <size_t N>
void ExpectLaunches(const Case (&cases)[N]) {
  for (const Case& c : cases) {
    FakeFacts facts;
    c.setup(facts);
    BrowserLaunch launch = ChooseBrowserLaunch(facts, c.given, kUrl);
    EXPECT_EQ(launch.program, c.program) << c.name;
    EXPECT_EQ(launch.parameters, c.parameters) << c.name;
    EXPECT_EQ(launch.type, c.type) << c.name;
    EXPECT_EQ(launch.browserCount, c.count) << c.name;
    EXPECT_EQ(launch.browserNames, c.names) << c.name;
  }
}

TEST(BrowserChoice, CluesInOrder) {
  // a running Firefox is in every case where it matters that earlier clues
  // leave the browser count at 0
  auto withFirefox = [](FakeFacts& f) { f.processes.push_back(Running(40, kFirefox)); };
  const Case cases[] = {
      {"given browser with switches is cut after .exe", kChrome + L" --flag --x=1",
       [&](FakeFacts& f) { f.files = {kChrome}, withFirefox(f); }, kChrome, kArg, kLaunchGiven, 0,
       L""},
      {"given browser that does not exist", kChrome + L" --flag",
       [&](FakeFacts& f) { withFirefox(f); }, kFirefox, kArg, kLaunchRunning, 1, L"firefox.exe "},
      {"given program that is no browser", L"C:\\Windows\\explorer.exe",
       [&](FakeFacts& f) { f.files = {L"C:\\Windows\\explorer.exe"}; }, kUrl, L"", kLaunchShell, 0,
       L""},
      {"Edge broker", L"C:\\Windows\\System32\\browser_broker.exe",
       [&](FakeFacts& f) { withFirefox(f); }, L"microsoft-edge:" + kUrl, L"", kLaunchGiven, 0, L""},
      {"download folder", L"",
       [&](FakeFacts& f) {
         f.ownImage = L"C:\\Users\\a\\360极速浏览器下载\\KestrelVaultSetup.exe";
         f.installLocations[L"360Chrome"] = L"C:\\360Chrome\\Chrome\\Application";
         f.files = {k360Chrome};
         withFirefox(f);
       },
       k360Chrome, kArg, kLaunchDownloadFolder, 0, L""},
      {"download folder without uninstall entry", L"",
       [&](FakeFacts& f) {
         f.ownImage = L"D:\\360安全浏览器下载\\KestrelVaultSetup.exe";
         f.installLocations[L"360Chrome"] = L"C:\\360Chrome\\Chrome\\Application";
         f.files = {k360Chrome};
       },
       kUrl, L"", kLaunchShell, 0, L""},
      {"download folder whose browser is gone", L"",
       [&](FakeFacts& f) {
         f.ownImage = L"D:\\搜狗高速下载\\KestrelVaultSetup.exe";
         f.installLocations[L"SogouExplorer"] = L"C:\\Sogou\\";
         withFirefox(f);
       },
       kFirefox, kArg, kLaunchRunning, 1, L"firefox.exe "},
      {"no clue at all", L"", [](FakeFacts&) {}, kUrl, L"", kLaunchShell, 0, L""},
      {"running browsers are no clue without the installer's time", L"",
       [&](FakeFacts& f) {
         f.installerWritten.reset();
         withFirefox(f);
       },
       kUrl, L"", kLaunchShell, 0, L""},
  };
  ExpectLaunches(cases);
}

TEST(BrowserChoice, RunningBrowsers) {
  const Case cases[] = {
      {"360chrome counts twice", L"", [](FakeFacts& f) { f.processes = {Running(12, k360Chrome)}; },
       k360Chrome, kArg, kLaunchRunning, 2, L"360chrome.exe chrome.exe "},
      {"best rank wins, names in process id order", L"",
       [](FakeFacts& f) {
         f.processes = {Running(50, kChrome), Running(20, k360Se), Running(30, kFirefox),
                        Running(60, L"C:\\Windows\\notepad.exe")};
       },
       k360Se, kArg, kLaunchRunning, 3, L"360se.exe firefox.exe chrome.exe "},
      {"the default browser among the running ones wins over rank", L"",
       [](FakeFacts& f) {
         f.defaultBrowser = kFirefox;
         f.processes = {Running(50, k360Chrome), Running(30, kFirefox)};
       },
       kFirefox, kArg, kLaunchRunning, 3, L"firefox.exe 360chrome.exe chrome.exe "},
      {"the default browser when it is not running does not count", L"",
       [](FakeFacts& f) {
         f.defaultBrowser = kFirefox;
         f.processes = {Running(50, kChrome)};
       },
       kChrome, kArg, kLaunchRunning, 1, L"chrome.exe "},
      {"Edge running while Edge is the default", L"",
       [](FakeFacts& f) {
         f.defaultBrowser = L"C:\\Windows\\System32\\LaunchWinApp.exe";
         f.processes = {Running(50, kChrome), Running(70, kEdge)};
       },
       L"microsoft-edge:" + kUrl, L"", kLaunchRunning, 2, L"chrome.exe MicrosoftEdge.exe "},
      {"equal ranks: the lower process id", L"",
       [](FakeFacts& f) {
         f.processes = {Running(30, L"D:\\b\\chrome.exe"), Running(10, L"D:\\a\\chrome.exe")};
       },
       L"D:\\a\\chrome.exe", kArg, kLaunchRunning, 1, L"chrome.exe "},
      {"started with or after the installer's write: ignored", L"",
       [](FakeFacts& f) {
         f.processes = {Running(10, k360Chrome), Running(20, k360Se), Running(30, kFirefox)};
         f.processes[0].started = 1000;
         f.processes[1].started = 1001;
         f.processes[2].started = 999;
       },
       kFirefox, kArg, kLaunchRunning, 1, L"firefox.exe "},
      {"suspended, gone or unreadable: skipped", L"",
       [](FakeFacts& f) {
         f.defaultBrowser = k360Chrome;
         f.processes = {Running(10, k360Chrome), Running(20, k360Se), Running(30, kChrome),
                        Running(40, kFirefox)};
         f.processes[0].state = ProcessRunState::kSuspended;
         f.processes[1].state = ProcessRunState::kMissing;
         f.processes[2].timeKnown = false;
       },
       kFirefox, kArg, kLaunchRunning, 1, L"firefox.exe "},
      {"a best browser that ended gives way to the next", L"",
       [](FakeFacts& f) {
         f.processes = {Running(10, k360Chrome), Running(20, kFirefox)};
         f.processes[0].image.clear();
       },
       kFirefox, kArg, kLaunchRunning, 3, L"360chrome.exe chrome.exe firefox.exe "},
      {"no image path at all: the shell, the count stays", L"",
       [](FakeFacts& f) {
         f.processes = {Running(10, kChrome)};
         f.processes[0].image.clear();
       },
       kUrl, L"", kLaunchShell, 1, L"chrome.exe "},
  };
  ExpectLaunches(cases);
}

TEST(BrowserChoice, UrlReachesEveryTargetAsOneArgument) {
  const std::wstring hostile = L"http://h/w?a=\" --gpu-launcher=calc.exe";
  const std::wstring safe = L"http://h/w?a=%22%20--gpu-launcher=calc.exe";
  FakeFacts facts;
  facts.files = {kChrome};
  EXPECT_EQ(ChooseBrowserLaunch(facts, kChrome, hostile).parameters, L"\"" + safe + L"\"");
  EXPECT_EQ(ChooseBrowserLaunch(facts, L"browser_broker.exe", hostile).program,
            L"microsoft-edge:" + safe);
  EXPECT_EQ(ChooseBrowserLaunch(facts, L"", hostile).program, safe);
}

}  // namespace
}  // namespace orvane
