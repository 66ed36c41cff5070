// Qlx.exe: the SDK's small service tool, shipped beside the modules and
// never run by the installer.
//
//   Qlx.exe mid [variant]   prints the machine id (qlxMid, or qlxMidEx)
//   Qlx.exe status          prints the journal's size and what is not yet acknowledged
//   Qlx.exe flush HOST PORT PATH APPID APPKEY
//                           uploads what is not yet acknowledged, within qlxFree's bound
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "QlxApi.h"
#include "module/JournalFile.h"
#include "module/ModuleInfo.h"
#include "qlx/Journal.h"

namespace {

HMODULE LoadSdk() {
  return ::LoadLibraryW((orvane::qlx::ModuleFolder() + L"Qlx.dll").c_str());
}

template <typename Fn>
Fn Export(HMODULE module, const char* name) {
  return reinterpret_cast<Fn>(reinterpret_cast<void*>(::GetProcAddress(module, name)));
}

int PrintMid(int variant) {
  HMODULE sdk = LoadSdk();
  if (!sdk) return 2;
  const char* mid = nullptr;
  if (variant > 0) {
    if (auto fn = Export<QlxMidExFn>(sdk, "qlxMidEx")) mid = fn(variant);
  } else if (auto fn = Export<QlxMidFn>(sdk, "qlxMid")) {
    mid = fn();
  }
  if (!mid) return 1;
  std::printf("%s\n", mid);
  return 0;
}

int PrintStatus() {
  orvane::qlx::JournalFile journal(orvane::qlx::ModuleFolder());
  orvane::qlx::AckState ack = journal.LoadAck();
  uint64_t offset = ack.offset, size = 0;
  size_t pending = 0, unreadable = 0;
  for (;;) {
    std::string bytes;
    if (!journal.Read(offset, orvane::qlx::kJournalReadWindow, &bytes, &size)) return 1;
    auto lines = orvane::qlx::SplitCompleteLines(bytes, offset,
                                                 bytes.size() == orvane::qlx::kJournalReadWindow);
    if (lines.empty()) break;
    for (const auto& line : lines)
      (line.uid.empty() ? unreadable : pending)++;
    offset = lines.back().end;
  }
  std::printf("journal %ls\nbytes %llu\nacknowledged %llu\npending %u\nunreadable %u\n",
              journal.path().c_str(), static_cast<unsigned long long>(size),
              static_cast<unsigned long long>(ack.offset), static_cast<unsigned>(pending),
              static_cast<unsigned>(unreadable));
  return 0;
}

int Flush(const char* host, int port, const char* path, const char* appId, const char* appKey) {
  HMODULE sdk = LoadSdk();
  if (!sdk) return 2;
  auto create = Export<QlxCreateFn>(sdk, "qlxCreate");
  auto key = Export<QlxSetApplyKeyFn>(sdk, "qlxSetApplyKey");
  auto hostInfo = Export<QlxSetHostInfoFn>(sdk, "qlxSetHostInfo");
  auto url = Export<QlxSetSensorUrlFn>(sdk, "qlxSetSensorUrl");
  auto release = Export<QlxFreeFn>(sdk, "qlxFree");
  if (!create || !key || !hostInfo || !url || !release) return 2;
  QlxHandle handle = nullptr;
  if (create(&handle) || key(appId, appKey) || hostInfo(host, port) || url(path)) return 1;
  release(handle);
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  std::string command = argc > 1 ? argv[1] : "";
  if (command == "mid") return PrintMid(argc > 2 ? std::atoi(argv[2]) : 0);
  if (command == "status") return PrintStatus();
  if (command == "flush" && argc == 7)
    return Flush(argv[2], std::atoi(argv[3]), argv[4], argv[5], argv[6]);
  std::fprintf(stderr,
               "usage: Qlx.exe mid [variant] | status | flush HOST PORT PATH APPID APPKEY\n");
  return 64;
}
