// The state of Qlx.dll: its configuration, live handles and collectors, the
// journal and the uploader. One per loaded module; every export goes
// through it under one lock.
#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <mutex>
#include <string>

#include "QlxApi.h"
#include "module/JournalFile.h"
#include "module/Uploader.h"
#include "qlx/Record.h"

namespace orvane::qlx {

// the bounded wait of qlxFree for the last upload
inline constexpr unsigned long kFreeBudgetMs = 2000;

class Sdk {
 public:
  static Sdk& Get();

  int Create(QlxHandle* handle);
  int Free(QlxHandle handle);

  int SetApplyKey(const char* appId, const char* appKey);
  int SetAppInfo(const char* name, int version, int flags);
  int SetPublicKey(const char* base64);
  int SetPrivateKey(const char* base64);
  int SetHostInfo(const char* host, int port);
  int SetSensorUrl(const char* path);
  int SetMidVersion(int version);
  int EnableSandbox(int enable);
  int SetNetProtocol(int protocol);
  int SetUrlVersion(const char* version);
  int SetNetRoute(int proxyType,
                  const char* proxyHost,
                  int proxyPort,
                  int resolverMode,
                  const char* dnsServer);

  int CollectorCreate(QlxHandle handle, int type, QlxCollector* collector);
  int CollectorEvent(QlxCollector collector, const char* name, int id);
  int CollectorProperty(QlxCollector collector,
                        const char* key,
                        Property::Kind kind,
                        int64_t number,
                        const char* text);
  int CollectorInt(QlxCollector collector, int field, int value);
  int CollectorData(QlxCollector collector, int field, const void* data, int length);
  int CollectorCommit(QlxCollector collector);
  int CollectorFree(QlxCollector collector);

  const char* Mid();
  char* BuildHttpData(int kind,
                      const char* body,
                      int length,
                      int* outLength,
                      const char* urlVersion);
  char* DecryptData(const char* data, int length, int* outLength);

 private:
  struct Session {
    std::string sid;
    uint64_t seq = 0;
  };
  struct Collector {
    uintptr_t handle = 0;
    int type = 0;
    bool committed = false;
    Record record;
  };

  Sdk() = default;
  UploadSettings CurrentUploadSettings();
  // the record that counts records the journal had to drop (qlx/Journal.h);
  // called by the journal with its locks held, so it takes only
  // identityLock_
  std::string DropRecordLine(uint64_t dropped);
  Collector* FindCollector(QlxCollector collector);
  void WakeUploader();

  // recursive: the crash report may write records from a thread that
  // crashed while holding it
  std::recursive_mutex lock_;
  // configuration
  std::string appId_, appKey_, appName_ = "unknown", host_, path_, urlVersion_;
  int port_ = 80;
  int midVersion_ = 1;
  bool sandbox_ = false;
  bool winsockReady_ = false;
  std::string publicDer_, privateDer_;
  UploadRoute route_;
  // what the count record needs of the configuration, a leaf lock
  std::mutex identityLock_;
  std::string identityAppId_, identityAppName_ = "unknown";
  int identityMidVersion_ = 1;
  // handles and collectors are numbers handed out once
  uintptr_t nextId_ = 0x51A00;
  std::map<uintptr_t, Session> sessions_;
  std::map<uintptr_t, Collector> collectors_;
  std::unique_ptr<JournalFile> journal_;
  std::shared_ptr<Uploader> uploader_;
};

}  // namespace orvane::qlx
