#include "server/KMReportThread.h"

#include <windows.h>

#include "platform/CacheFolders.h"
#include "platform/Error.h"
#include "platform/FileSystem.h"
#include "platform/Handles.h"
#include "platform/MacAddress.h"
#include "platform/Md5.h"
#include "platform/StringConv.h"
#include "server/ApiAnswer.h"
#include "server/AppInfo.h"
#include "server/ServerInfo.h"

namespace orvane {

namespace {

constexpr int kUidBufferBytes = 33;
using GetKmUidFn = int(__cdecl*)(char* buffer, int size);

}  // namespace

CKMReportThread::CKMReportThread(MainWindow* owner, ReportSetup setup)
    : owner_(owner), setup_(std::move(setup)) {
  Start();
}

CKMReportThread::~CKMReportThread() {
  Stop();
}

std::string CKMReportThread::failure() {
  std::lock_guard<std::mutex> hold(lock_);
  return failure_;
}

std::string CKMReportThread::ReadUid() {
  std::wstring module = setup_.uidModule;
  if (module.empty()) {
    std::wstring root = GetPackageCacheRoot();
    if (root.empty()) return {};
    module = root + L"Qlx\\KMUID.dll";
  }
  if (!FileExists(module)) return {};
  UniqueModule dll(::LoadLibraryW(module.c_str()));
  if (!dll) return {};
  auto getUid = reinterpret_cast<GetKmUidFn>(
      reinterpret_cast<void*>(::GetProcAddress(dll.get(), "GetKMUID")));
  char buffer[kUidBufferBytes] = {};
  if (getUid) getUid(buffer, kUidBufferBytes);
  // a module that fills the whole buffer still leaves a terminated text
  buffer[kUidBufferBytes - 1] = '\0';
  return buffer;
}

int CKMReportThread::Run() {
  try {
    const std::string uid = ReadUid();
    IServerInfo* server = setup_.serverInfo ? setup_.serverInfo : CServerInfo::Instance();
    const std::string productName = server ? server->GetAppName() : std::string();
    if (uid.empty() || productName.empty()) throw Error("get uid or product_name failed");

    HttpForm form;
    form.AddField("app_version",
                  VersionToSend(WideToUtf8(CAppInfo::GetInstance().GetFileProductVersion(L""))));
    form.AddField("product_name", productName);
    form.AddField("uid", uid);
    form.AddField("app_id", kAppId);
    form.AddField("cam", Md5Hex(GetMacAddress()));
    form.AddField("mid", setup_.mid);
    form.AddField("url_channel", setup_.channel);

    CApiTransport transport(cancel_, setup_.endpoint.port);
    CheckConversionAnswer(
        PostConversionReport(transport, cancel_, setup_.endpoint.host, kConversionPath, form));
    return 0;
  } catch (const std::exception& e) {
    std::lock_guard<std::mutex> hold(lock_);
    failure_ = e.what();
  } catch (...) {
    std::lock_guard<std::mutex> hold(lock_);
    failure_ = "unknown error";
  }
  return 1;
}

}  // namespace orvane
