#include "platform/RunTempFolder.h"

#include "config/ProductIdentity.h"
#include "platform/PathRules.h"
#include "platform/StringUtil.h"

namespace orvane {

namespace {
constexpr int64_t kRunTempNameTries = 16;
}  // namespace

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
    FolderCreation made = facts.CreateFolder(probe);
    if (made == FolderCreation::kFailed) continue;
    best = mount;
    bestSpace = space;
    if (made == FolderCreation::kCreated) facts.DeleteTree(probe);
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
  base = AppendBackslash(base);
  facts.CreateDirectories(base);  // the cache root may not exist yet
  const int64_t now = facts.Now();
  for (int64_t n = 0; n < kRunTempNameTries; ++n) {
    std::string number = FormatInt64(now + n);
    std::wstring folder =
        base + kVendorFolderName + L"_" + std::wstring(number.begin(), number.end());
    switch (facts.CreateFolder(folder)) {
      case FolderCreation::kCreated:
        return folder + L'\\';
      case FolderCreation::kExisted:
        continue;
      case FolderCreation::kFailed:
        return {};
    }
  }
  return {};
}

}  // namespace orvane
