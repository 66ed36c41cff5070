#include "download/DownloadEnvironment.h"

#include <atomic>

#include "BuildConfig.h"
#include "platform/CacheFolders.h"
#include "platform/SystemInfo.h"
#include "server/PkgInfo.h"

namespace orvane {

namespace {
std::atomic<const DownloadEnvironment*> g_environment{nullptr};
}  // namespace

IPkgInfo* PackageInfoSource() {
  const DownloadEnvironment* e = g_environment;
  if (e && e->pkgInfo) return e->pkgInfo;
  return CPkgInfo::GetInstance();
}

IRememberedPackage& RememberedPackage() {
  // without a store: nothing was remembered, and nothing is kept
  class NoStore : public IRememberedPackage {
   public:
    std::wstring RememberedPackagePath() override { return {}; }
    std::wstring RememberedPackageMd5() override { return {}; }
    void RememberPackage(const std::wstring&, const std::wstring&) override {}
    void ForgetPackage() override {}
  };
  static NoStore none;
  const DownloadEnvironment* e = g_environment;
  if (e && e->remembered) return *e->remembered;
  return none;
}

IAppInfo& PackageAppInfo() {
  const DownloadEnvironment* e = g_environment;
  if (e && e->appInfo) return *e->appInfo;
  return CAppInfo::GetInstance();
}

std::wstring PackageCacheRoot() {
  const DownloadEnvironment* e = g_environment;
  if (e && !e->cacheRoot.empty()) return e->cacheRoot;
  return GetPackageCacheRoot();
}

std::vector<std::string> ReachabilityHosts() {
  const DownloadEnvironment* e = g_environment;
  if (e && !e->reachHosts.empty()) return e->reachHosts;
  return {config::kSupportHost, config::kApiIp};
}

std::string BuiltInPackageUrl() {
  const DownloadEnvironment* e = g_environment;
  if (e && !e->builtInUrl.empty()) return e->builtInUrl;
  return std::string("https://") + config::kCdnHost + "/application/soft_package/pc/" +
         config::kPackageId + "/software/" + (Is64BitWindows() ? "64bit" : "32bit") +
         "/install.exe";
}

std::wstring OwnProgramPath() {
  const DownloadEnvironment* e = g_environment;
  if (e && !e->ownModulePath.empty()) return e->ownModulePath;
  return GetOwnModulePath();
}

ScopedDownloadEnvironment::ScopedDownloadEnvironment(const DownloadEnvironment* environment)
    : previous_(g_environment.exchange(environment)) {}

ScopedDownloadEnvironment::~ScopedDownloadEnvironment() {
  g_environment = previous_;
}

}  // namespace orvane
