#include "platform/Browser.h"

#include <windows.h>

#include <shellapi.h>
#include <tlhelp32.h>

#include "platform/BrowserRules.h"
#include "platform/Error.h"
#include "platform/EventSink.h"
#include "platform/FileStream.h"
#include "platform/FileSystem.h"
#include "platform/Handles.h"
#include "platform/ProcInfo.h"
#include "platform/Registry.h"
#include "platform/StringConv.h"
#include "platform/SystemInfo.h"

namespace orvane {

std::wstring GetDefaultBrowserPathFor(OsVersionCode code, bool view64) {
  std::wstring command;
  if (code != kOsXp) {
    std::wstring progId = ReadRegistryString(
        HKEY_CURRENT_USER,
        L"Software\\Microsoft\\Windows\\Shell\\Associations\\UrlAssociations\\http\\UserChoice",
        L"ProgId", view64);
    if (!progId.empty()) {
      command =
          ReadRegistryString(HKEY_CLASSES_ROOT, progId + L"\\shell\\open\\command", L"", view64);
    }
  } else {
    command = ReadRegistryString(HKEY_CLASSES_ROOT, L"htmlfile\\shell\\open\\command", L"", view64);
  }
  return BrowserPathFromOpenCommand(command);
}

std::wstring GetDefaultBrowserPath() {
  return GetDefaultBrowserPathFor(GetOsVersionCode(), Is64BitWindows());
}

bool NormalizeExePath(std::wstring* path) {
  *path = CutAfterExe(*path);
  return orvane::FileExists(*path);
}

CSystemBrowserFacts::CSystemBrowserFacts() {
  try {
    installerFile_ =
        std::make_unique<CFileStream>(GetOwnModulePath(), CFileStream::kModeReadShared);
  } catch (const Error&) {
    // without the file's time no running browser can be judged
  }
}

CSystemBrowserFacts::~CSystemBrowserFacts() = default;

std::wstring CSystemBrowserFacts::DefaultBrowserPath() {
  return GetDefaultBrowserPath();
}

bool CSystemBrowserFacts::InstallerWriteTime(int64_t* seconds) {
  return installerFile_ && installerFile_->isOpen() &&
         installerFile_->GetTimes(nullptr, nullptr, seconds);
}

std::wstring CSystemBrowserFacts::OwnImagePath() {
  std::wstring path;
  GetProcessImagePath(::GetCurrentProcessId(), &path);
  return path;
}

bool CSystemBrowserFacts::FileExists(const std::wstring& path) {
  return orvane::FileExists(path);
}

bool CSystemBrowserFacts::FindInstallLocation(const std::wstring& uninstallKeyName,
                                              std::wstring* folder) {
  return orvane::FindInstallLocation(uninstallKeyName, folder);
}

std::vector<ProcessEntry> CSystemBrowserFacts::RunningProcesses() {
  std::vector<ProcessEntry> list;
  UniqueHandle snapshot(::CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0));
  if (!snapshot) return list;
  PROCESSENTRY32W entry{};
  entry.dwSize = sizeof(entry);
  for (BOOL ok = ::Process32FirstW(snapshot.get(), &entry); ok;
       ok = ::Process32NextW(snapshot.get(), &entry)) {
    list.push_back({entry.th32ProcessID, entry.szExeFile});
  }
  return list;
}

ProcessRunState CSystemBrowserFacts::RunState(uint32_t processId) {
  cProcInfo info;
  if (!info.Query()) return ProcessRunState::kMissing;
  return info.StateOf(processId);
}

bool CSystemBrowserFacts::CreationTime(uint32_t processId, int64_t* seconds) {
  // the limited right exists from Vista on; XP knows only the full one
  UniqueHandle process(::OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, processId));
  if (!process) process.reset(::OpenProcess(PROCESS_QUERY_INFORMATION, FALSE, processId));
  if (!process) return false;
  FILETIME created{}, exited{}, kernel{}, user{};
  if (!::GetProcessTimes(process.get(), &created, &exited, &kernel, &user)) return false;
  *seconds = FileTimeToUnixSeconds((static_cast<uint64_t>(created.dwHighDateTime) << 32) |
                                   created.dwLowDateTime);
  return true;
}

bool CSystemBrowserFacts::ImagePath(uint32_t processId, std::wstring* path) {
  return GetProcessImagePath(processId, path);
}

int OpenUrlInBrowser(const wchar_t* browserPath, const wchar_t* url, IBrowserFacts& facts) {
  try {
    BrowserLaunch launch =
        ChooseBrowserLaunch(facts, browserPath ? browserPath : L"", url ? url : L"");

    EventSink().Send(Event("vOpenUrl")
                         .Int("launch_app_type", launch.type)
                         .Int("browser_num", launch.browserCount)
                         .String("browser_name", WideToUtf8(launch.browserNames)));

    // its result is of no use: there is nothing else left to try
    ::ShellExecuteW(nullptr, L"open", launch.program.c_str(),
                    launch.parameters.empty() ? nullptr : launch.parameters.c_str(), nullptr,
                    SW_SHOWNORMAL);
    return launch.type;
  } catch (...) {
    return -1;
  }
}

int OpenUrlInBrowser(const wchar_t* browserPath, const wchar_t* url) {
  try {
    CSystemBrowserFacts facts;
    return OpenUrlInBrowser(browserPath, url, facts);
  } catch (...) {
    return -1;
  }
}

}  // namespace orvane
