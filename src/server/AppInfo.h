// CAppInfo: where the installed product lives and which product version a
// program file carries.
#pragma once

#include <string>

namespace orvane {

class IAppInfo {
 public:
  // recomputes the installed program path and its version
  virtual bool Refresh() = 0;
  virtual const std::wstring& GetExePath() = 0;
  virtual const std::wstring& GetVersion() = 0;
  // ProductVersion of the file (of the running program for an empty path),
  // read through the first entry of its translation table; empty on failure
  virtual std::wstring GetFileProductVersion(const std::wstring& path) = 0;
  virtual ~IAppInfo() = default;
};

class CAppInfo : public IAppInfo {
 public:
  static CAppInfo& GetInstance();

  bool Refresh() override;
  const std::wstring& GetExePath() override { return exePath_; }
  const std::wstring& GetVersion() override { return version_; }
  std::wstring GetFileProductVersion(const std::wstring& path) override;

 private:
  CAppInfo() = default;

  std::wstring exePath_;
  std::wstring version_;
};

}  // namespace orvane
