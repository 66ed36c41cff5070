// A process with an event logger that crashes, for the crash handler test.
//
//   telemetry_child crash SDKFOLDER TEMPFOLDER    (folders without their last backslash,
//                                                which would quote the closing quote)
#include <windows.h>

#include <string>

#include "telemetry/LoggerServer.h"

int wmain(int argc, wchar_t** argv) {
  if (argc != 4 || std::wstring(argv[1]) != L"crash") return 64;
  orvane::SdkSettings s;
  s.resourceModule = ::GetModuleHandleW(nullptr);
  s.sdkFolder = std::wstring(argv[2]) + L"\\";
  s.tempFolder = std::wstring(argv[3]) + L"\\";
  s.host = "127.0.0.13";
  s.port = 8084;  // down: the records stay in the journal
  s.crashReport = true;
  static orvane::CLoggerServer* logger = new orvane::CLoggerServer(s);
  logger->ClearProperties();
  logger->SetStringProperty("step", "before the crash");
  logger->WriteEvent("vBeforeCrash");
  volatile int* nowhere = nullptr;
  *nowhere = 1;
  return 0;
}
