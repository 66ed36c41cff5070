// InstallSettings: config.ini in the cache folder, section "General", and the
// process-wide record that mirrors every value written to it. Callers store a
// value with Set, which updates the record and writes the key; the record is
// never written as a whole.
#pragma once

#include <string>

#include "download/RememberedPackage.h"

namespace orvane {

class InstallSettings : public IRememberedPackage {
 public:
  // the process-wide record, created on first use from the cache folder
  static InstallSettings& GetInstance();

  // a record over an explicit config.ini path (empty: nothing is written)
  explicit InstallSettings(std::wstring configPath);

  // records a downloaded package after checking its MD5; false (and the
  // remembered package forgotten) when the file does not match exactly
  bool SetCachedPackage(const std::wstring& md5, const std::wstring& path, bool noWrite);

  // the remembered package for the download engine: `path` and `md5`,
  // SetCachedPackage with the file written, and forgetting both
  std::wstring RememberedPackagePath() override { return path; }
  std::wstring RememberedPackageMd5() override { return md5; }
  // empties "md5" and "path" in the record and in config.ini
  void ForgetPackage() override;
  void RememberPackage(const std::wstring& newMd5, const std::wstring& newPath) override {
    RememberCheckedPackage(newMd5, newPath);
  }
  // records a package whose MD5 the caller has just taken of the file, as
  // SetCachedPackage does after its own check, without reading it again (a
  // file changed later is forgotten by the next start's check); false and
  // nothing changed for an empty path or a digest that is not 32 lower-case
  // hexadecimal digits
  bool RememberCheckedPackage(const std::wstring& md5, const std::wstring& path);

  // stores the value in the record and writes it to config.ini
  void Set(std::wstring InstallSettings::*field, const wchar_t* key, const std::wstring& value);

  const std::wstring& configPath() const { return configPath_; }

  std::wstring md5;
  std::wstring path;
  std::wstring launchAppName;
  std::wstring isSem;
  std::wstring appId;
  std::wstring channelId;
  std::wstring mid;
  std::wstring install;
  std::wstring welcomeUrl;
  std::wstring beginTimestamp;
  std::wstring endTimestamp;
  std::wstring cam;
  std::wstring sessionId;
  std::wstring appVersion;
  std::wstring advertisingAccountName;

 private:
  void WriteKey(const wchar_t* key, const std::wstring& value) const;
  std::wstring ReadKey(const wchar_t* key) const;

  std::wstring configPath_;
};

// the config.ini path below the package cache root; empty when the root is
// unknown, so that the profile API never falls back to the Windows folder
std::wstring DefaultConfigPath();

}  // namespace orvane
