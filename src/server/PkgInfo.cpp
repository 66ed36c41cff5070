#include "server/PkgInfo.h"

#include "platform/StringConv.h"
#include "platform/SystemInfo.h"
#include "server/AppInfo.h"

namespace orvane {

namespace {
std::atomic<CPkgInfo*> g_instance{nullptr};
}  // namespace

CReadPkgInfoThread::CReadPkgInfoThread(CPkgInfo* info, PkgQuerySetup setup)
    : info_(info), setup_(std::move(setup)) {}

CReadPkgInfoThread::~CReadPkgInfoThread() {
  Stop();
}

int CReadPkgInfoThread::Run() {
  try {
    std::string version = VersionToSend(
        WideToUtf8(CAppInfo::GetInstance().GetFileProductVersion(setup_.versionFile)));
    const bool is64 = Is64BitWindows();
    const std::string path = PackageInfoPath(version, is64);
    CApiTransport transport(cancel_, setup_.endpoint.port);
    std::string body = FetchPackageAnswer(transport, cancel_, setup_.endpoint.host,
                                          setup_.endpoint.fixedAddress, path);
    info_->Store(ReadPackageAnswer(body, is64));
    return 0;
  } catch (const std::exception& e) {
    info_->Fail(e.what());
  } catch (...) {
    info_->Fail("unknown error");
  }
  return 1;
}

CPkgInfo* CPkgInfo::GetInstance() {
  static CPkgInfo info;
  static const bool started = [] {
    info.Start();
    g_instance = &info;
    return true;
  }();
  (void)started;
  return &info;
}

void CPkgInfo::StopInstance() {
  if (CPkgInfo* info = g_instance.load()) info->Stop();
}

CPkgInfo::CPkgInfo() = default;

CPkgInfo::~CPkgInfo() {
  Stop();
}

bool CPkgInfo::Start(const PkgQuerySetup& setup) {
  if (worker_) return false;
  status_ = kQueryRunning;
  worker_ = std::make_unique<CReadPkgInfoThread>(this, setup);
  if (!worker_->Start()) {
    Fail("can't start the query");
    return false;
  }
  return true;
}

void CPkgInfo::Stop() {
  // a worker that does not end in time is left to finish alone; it keeps
  // its thread object, and this object lives until the process ends
  if (worker_ && !worker_->Stop(kQueryStopWaitMs)) abandoned_.push_back(worker_.release());
}

const char* CPkgInfo::GetVersionCode() {
  XMutexLock hold(lock_);
  return versionCode_.empty() ? nullptr : versionCode_.c_str();
}

int CPkgInfo::GetUrlCount() {
  XMutexLock hold(lock_);
  return static_cast<int>(urls_.size());
}

const char* CPkgInfo::GetUrl(int index) {
  XMutexLock hold(lock_);
  if (index < 0 || static_cast<size_t>(index) >= urls_.size()) return nullptr;
  return urls_[static_cast<size_t>(index)].url.c_str();
}

const char* CPkgInfo::GetMd5() {
  XMutexLock hold(lock_);
  return md5_.empty() ? nullptr : md5_.c_str();
}

void CPkgInfo::Clear() {
  XMutexLock hold(lock_);
  versionCode_.clear();
  md5_.clear();
  urls_.clear();
  size_ = 0;
  installationSize_ = 0;
}

std::string CPkgInfo::failure() {
  XMutexLock hold(lock_);
  return failure_;
}

void CPkgInfo::Store(const PackageRecord& record) {
  {
    XMutexLock hold(lock_);
    versionCode_ = record.versionCode;
    md5_ = record.md5;
    urls_ = record.urls;
  }
  size_ = record.size;
  installationSize_ = record.installationSize;
  status_ = kQueryDone;
}

void CPkgInfo::Fail(const std::string& why) {
  {
    XMutexLock hold(lock_);
    failure_ = why;
  }
  status_ = kQueryFailed;
}

}  // namespace orvane
