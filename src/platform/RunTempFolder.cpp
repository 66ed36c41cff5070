#include "platform/RunTempFolder.h"

#include "config/ProductIdentity.h"
#include "platform/PathRules.h"
#include "platform/StringUtil.h"

namespace orvane {

bool IsUsableVolumeName(const std::wstring& name) {
  return name.size() > 4 && name.compare(0, 4, L"\\\\?\\") == 0 && name.back() == L'\\';
}

std::wstring ChooseRunTempBase(IRunTempFacts& facts) {
  std::wstring best;
  uint64_t bestSpace = 0;
  for (const std::wstring& mount : facts.MountPoints()) {
    uint64_t space = facts.FreeSpace(mount);
    if (space <= bestSpace) continue;  // ties keep the earlier mount point
    std::wstring probe = AppendBackslash(mount) + kVendorFolderName;
    if (facts.CreateDirectories(probe)) {
      best = mount;
      bestSpace = space;
      facts.DeleteTree(probe);
    }
  }
  if (!best.empty()) return best;

  std::wstring cacheRoot = facts.PackageCacheRoot();
  if (!cacheRoot.empty()) return cacheRoot;

  std::wstring windows = facts.WindowsFolder();
  if (windows.empty()) return {};
  return RootOfPath(windows);
}

std::wstring ComputeRunTempFolder(IRunTempFacts& facts) {
  std::wstring base = ChooseRunTempBase(facts);
  if (base.empty()) return {};
  std::wstring folder = AppendBackslash(base) + kVendorFolderName + L"_";
  std::string now = FormatInt64(facts.Now());
  folder.append(now.begin(), now.end());
  if (!facts.CreateDirectories(folder)) return {};
  return folder + L'\\';
}

}  // namespace orvane
