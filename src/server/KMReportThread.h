// CKMReportThread: reports one successful install to the ad-conversion
// service, when the channel's welcome answer asks for it. The attribution
// user id comes from an outside module, KMUID.dll, looked for in the package
// cache root's "Qlx" folder; without it, or without the application's name,
// nothing is sent. Exit code 0 when the service answered with JSON, else 1.
//
// KMUID.dll exports (cdecl)
//   int GetKMUID(char* buffer, int size)
// which writes a NUL-terminated id of at most size - 1 characters into the
// caller's zeroed buffer; its result is not used.
#pragma once

#include <mutex>
#include <string>

#include "server/ApiTransportWin.h"
#include "server/QueryResults.h"
#include "server/QueryThread.h"

namespace orvane {

class MainWindow;

inline constexpr char kConversionPath[] = "/v1/install/kelmor";

struct ReportSetup {
  ApiEndpoint endpoint = ConversionEndpoint();
  // the id module; empty: <package cache root>Qlx\KMUID.dll
  std::wstring uidModule;
  // the welcome answer; null: CServerInfo's instance
  IServerInfo* serverInfo = nullptr;
  // the install's channel ("url_channel") and the machine id ("mid"), as the
  // install session and the event logger know them
  std::string channel;
  std::string mid;
};

class CKMReportThread final : public CQueryThread {
 public:
  // starts the report at once
  explicit CKMReportThread(MainWindow* owner, ReportSetup setup = {});
  // the query-thread stop
  ~CKMReportThread() override;
  int Run() override;

  // why the report failed; empty while it runs or after it succeeded
  std::string failure();

 private:
  std::string ReadUid();

  MainWindow* owner_;  // kept for its owner; the report never calls into it
  ReportSetup setup_;
  std::mutex lock_;
  std::string failure_;
};

}  // namespace orvane
