// Where the download engine gets its outside facts: the package-info query,
// the remembered package, the program's version facts, the cache folder,
// the reachability endpoints and the built-in package URL. The product's
// sources are the defaults, except the remembered package, which the
// install session gives (its install settings); tests and the benchmark
// driver install their own with ScopedDownloadEnvironment.
#pragma once

#include <string>
#include <vector>

#include "download/RememberedPackage.h"
#include "server/AppInfo.h"
#include "server/QueryResults.h"

namespace orvane {

struct DownloadEnvironment {
  IPkgInfo* pkgInfo = nullptr;               // null: CPkgInfo::GetInstance()
  IRememberedPackage* remembered = nullptr;  // null: nothing remembered, nothing kept
  IAppInfo* appInfo = nullptr;               // null: CAppInfo::GetInstance()
  std::wstring cacheRoot;                    // empty: GetPackageCacheRoot()
  std::vector<std::string> reachHosts;       // empty: the support host, then the API's address
  std::string builtInUrl;                    // empty: the CDN's URL for this system's architecture
  std::wstring ownModulePath;                // empty: this program's path
};

IPkgInfo* PackageInfoSource();
IRememberedPackage& RememberedPackage();
IAppInfo& PackageAppInfo();
// ends with a backslash; empty while unknown
std::wstring PackageCacheRoot();
std::vector<std::string> ReachabilityHosts();
std::string BuiltInPackageUrl();
std::wstring OwnProgramPath();

class ScopedDownloadEnvironment {
 public:
  // the environment must outlive the scope; fields left empty keep the defaults
  explicit ScopedDownloadEnvironment(const DownloadEnvironment* environment);
  ~ScopedDownloadEnvironment();
  ScopedDownloadEnvironment(const ScopedDownloadEnvironment&) = delete;
  ScopedDownloadEnvironment& operator=(const ScopedDownloadEnvironment&) = delete;

 private:
  const DownloadEnvironment* previous_;
};

}  // namespace orvane
