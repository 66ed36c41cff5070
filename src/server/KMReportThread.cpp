#include "server/KMReportThread.h"

#include <windows.h>

#include <algorithm>

#include "BuildConfig.h"

#include "platform/CacheFolders.h"
#include "platform/Error.h"
#include "platform/FileSystem.h"
#include "platform/Handles.h"
#include "platform/MacAddress.h"
#include "platform/Md5.h"
#include "platform/PinnedFile.h"
#include "platform/StringConv.h"
#include "platform/StringUtil.h"
#include "server/ApiAnswer.h"
#include "server/AppInfo.h"
#include "server/ServerInfo.h"

namespace orvane {

namespace {

constexpr int kUidBufferBytes = 33;
using GetKmUidFn = int(__cdecl*)(char* buffer, int size);

}  // namespace

std::vector<std::string> KnownUidModuleDigests() {
  std::vector<std::string> digests = SplitAny(std::string(config::kKmuidSha256), ",;");
  for (std::string& d : digests) {
    for (char& c : d)
      if (c >= 'A' && c <= 'F') c = static_cast<char>(c - 'A' + 'a');
  }
  return digests;
}

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
  // only a known build, held from its check until it is loaded
  PinnedFile file;
  if (!file.Open(module)) return {};
  const std::string digest = file.Sha256();
  const auto& known = setup_.uidModuleDigests;
  if (digest.empty() || std::find(known.begin(), known.end(), digest) == known.end()) return {};
  const std::wstring held = file.FinalPath();
  if (held.empty()) return {};
  UniqueModule dll(::LoadLibraryW(held.c_str()));
  file.Release();
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
