// The results of the two vendor API queries that start-up launches. Readers
// poll GetStatus: a QueryStatus (0 while the query runs, 1 done, 2 failed).
#pragma once

#include <cstdint>

namespace orvane {

enum QueryStatus : int { kQueryRunning = 0, kQueryDone = 1, kQueryFailed = 2 };

class IPkgInfo {
 public:
  virtual int GetStatus() = 0;
  virtual int64_t GetPackageSize() = 0;
  virtual int64_t GetInstallationSize() = 0;
  // texts belong to the object and stay valid until its next update;
  // null when empty or out of range
  virtual const char* GetVersionCode() = 0;
  virtual int GetUrlCount() = 0;
  virtual const char* GetUrl(int index) = 0;
  virtual const char* GetMd5() = 0;
  virtual void Clear() = 0;
  virtual ~IPkgInfo() = default;
};

class IServerInfo {
 public:
  virtual int GetStatus() = 0;
  virtual const char* GetWelcomeUrl() = 0;
  virtual const char* GetAdvertisingAccountName() = 0;
  virtual bool GetKelmorOcpc() = 0;
  virtual const char* GetAppId() = 0;
  virtual const char* GetAppName() = 0;
  virtual void ClearWelcomeUrl() = 0;
  virtual ~IServerInfo() = default;
};

}  // namespace orvane
