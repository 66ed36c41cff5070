#include "platform/BrowserChoice.h"

#include <algorithm>

#include "platform/BrowserRules.h"
#include "platform/PathRules.h"

namespace orvane {

namespace {

const wchar_t kEdgeProtocol[] = L"microsoft-edge:";

bool Contains(const std::wstring& text, const std::wstring& part) {
  return !part.empty() && text.find(part) != std::wstring::npos;
}

// a browser gets the URL as one quoted argument
std::wstring Quoted(const std::wstring& url) {
  return L"\"" + url + L"\"";
}

bool FromGivenBrowser(IBrowserFacts& facts,
                      const std::wstring& given,
                      const std::wstring& url,
                      BrowserLaunch* launch) {
  if (!given.empty() && IsKnownBrowser(given)) {
    std::wstring program = CutAfterExe(given);
    if (facts.FileExists(program)) {
      launch->program = program;
      launch->parameters = Quoted(url);
      launch->type = kLaunchGiven;
      return true;
    }
  }
  // the Edge of Windows 10 starts downloads through its broker
  if (Contains(given, L"browser_broker.exe")) {
    launch->program = kEdgeProtocol + url;
    launch->type = kLaunchGiven;
    return true;
  }
  return false;
}

bool FromDownloadFolder(IBrowserFacts& facts, const std::wstring& url, BrowserLaunch* launch) {
  const DownloadFolderClue* clue = FindDownloadFolderClue(facts.OwnImagePath());
  std::wstring folder;
  if (!clue || !facts.FindInstallLocation(clue->uninstallKey, &folder)) return false;
  std::wstring program = AppendBackslash(folder) + clue->program;
  // a stale uninstall entry would open nothing at all
  if (!facts.FileExists(program)) return false;
  launch->program = program;
  launch->parameters = Quoted(url);
  launch->type = kLaunchDownloadFolder;
  return true;
}

struct RankedBrowser {
  int rank;
  uint32_t processId;
};

void FromRunningBrowsers(IBrowserFacts& facts,
                         const std::wstring& url,
                         const std::wstring& defaultBrowser,
                         BrowserLaunch* launch) {
  int64_t installerWritten = 0;
  const bool writeTimeKnown = facts.InstallerWriteTime(&installerWritten);

  std::vector<ProcessEntry> browsers;
  for (ProcessEntry& entry : facts.RunningProcesses()) {
    if (IsKnownBrowser(entry.programName)) browsers.push_back(std::move(entry));
  }
  std::stable_sort(
      browsers.begin(), browsers.end(),
      [](const ProcessEntry& a, const ProcessEntry& b) { return a.processId < b.processId; });

  std::vector<RankedBrowser> ranked;
  BrowserTally tally;
  for (const ProcessEntry& browser : browsers) {
    if (facts.RunState(browser.processId) != ProcessRunState::kRunning) continue;
    // only a browser that ran when the installer was written can have fetched it
    int64_t started = 0;
    if (!writeTimeKnown || !facts.CreationTime(browser.processId, &started) ||
        started >= installerWritten) {
      continue;
    }
    if (launch->program.empty()) {
      if (Contains(defaultBrowser, browser.programName)) {
        launch->program = defaultBrowser;
        launch->parameters = Quoted(url);
      } else if (Contains(browser.programName, L"MicrosoftEdge.exe") &&
                 Contains(defaultBrowser, L"LaunchWinApp.exe")) {
        launch->program = kEdgeProtocol + url;
      }
    }
    ranked.push_back({BrowserRank(browser.programName), browser.processId});
    tally.Add(browser.programName);
  }
  launch->browserCount = tally.count();
  launch->browserNames = tally.names();
  if (!launch->program.empty()) {
    launch->type = kLaunchRunning;
    return;
  }

  // the best-ranked browser first; among equal ranks the first one seen.
  // One that has ended meanwhile gives way to the next.
  std::stable_sort(ranked.begin(), ranked.end(),
                   [](const RankedBrowser& a, const RankedBrowser& b) { return a.rank < b.rank; });
  for (const RankedBrowser& browser : ranked) {
    std::wstring path;
    if (facts.ImagePath(browser.processId, &path) && !path.empty()) {
      launch->program = path;
      launch->parameters = Quoted(url);
      launch->type = kLaunchRunning;
      return;
    }
  }

  // the shell's default handler for the URL
  launch->program = url;
  launch->parameters.clear();
  launch->type = kLaunchShell;
}

}  // namespace

BrowserLaunch ChooseBrowserLaunch(IBrowserFacts& facts,
                                  const std::wstring& givenBrowser,
                                  const std::wstring& rawUrl) {
  // the URL is partly the server's text: it must stay one argument
  const std::wstring url = EscapeUrlForCommandLine(rawUrl);
  BrowserLaunch launch;
  const std::wstring defaultBrowser = facts.DefaultBrowserPath();
  if (FromGivenBrowser(facts, givenBrowser, url, &launch)) return launch;
  if (FromDownloadFolder(facts, url, &launch)) return launch;
  FromRunningBrowsers(facts, url, defaultBrowser, &launch);
  return launch;
}

}  // namespace orvane
