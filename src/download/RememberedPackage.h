// IRememberedPackage: the package an earlier run downloaded and checked, as
// the install settings keep it (config.ini's "md5" and "path"). The download
// engine reads and records it only through this interface; the install
// session hands the engine its settings (DownloadEnvironment::remembered).
#pragma once

#include <string>

namespace orvane {

class IRememberedPackage {
 public:
  // the remembered package file; empty when there is none
  virtual std::wstring RememberedPackagePath() = 0;
  // its MD5 as remembered, lower-case hex; empty when there is none
  virtual std::wstring RememberedPackageMd5() = 0;
  // the remembered file no longer is that package: forget it
  virtual void ForgetPackage() = 0;
  // remembers a package the engine downloaded (md5 in lower-case hex)
  virtual void RememberPackage(const std::wstring& md5, const std::wstring& path) = 0;

 protected:
  virtual ~IRememberedPackage() = default;
};

}  // namespace orvane
