#include "server/ServerInfo.h"

namespace orvane {

namespace {
std::atomic<CServerInfo*> g_instance{nullptr};
}  // namespace

CReadServerInfoThread::CReadServerInfoThread(CServerInfo* info,
                                             std::string channel,
                                             ApiEndpoint endpoint)
    : info_(info), channel_(std::move(channel)), endpoint_(std::move(endpoint)) {}

CReadServerInfoThread::~CReadServerInfoThread() {
  Stop();
}

int CReadServerInfoThread::Run() {
  try {
    // no channel, nothing to ask
    if (channel_.empty()) {
      info_->Store(WelcomeRecord());
      return 0;
    }
    CApiTransport transport(cancel_, endpoint_.port);
    std::string body =
        FetchWelcomeAnswer(transport, cancel_, endpoint_.host, WelcomePath(channel_));
    info_->Store(ReadWelcomeAnswer(body));
    return 0;
  } catch (const std::exception& e) {
    info_->Fail(e.what());
  } catch (...) {
    info_->Fail("unknown error");
  }
  return 1;
}

CServerInfo* CServerInfo::GetInstance(const std::string& channel) {
  static CServerInfo info;
  static const bool started = [&channel] {
    info.Start(channel);
    g_instance = &info;
    return true;
  }();
  (void)started;
  return &info;
}

CServerInfo* CServerInfo::Instance() {
  return g_instance.load();
}

void CServerInfo::StopInstance() {
  if (CServerInfo* info = g_instance.load()) info->Stop();
}

CServerInfo::CServerInfo() = default;

CServerInfo::~CServerInfo() {
  Stop();
}

bool CServerInfo::Start(const std::string& channel, const ApiEndpoint& endpoint) {
  if (worker_) return false;
  status_ = kQueryRunning;
  worker_ = std::make_unique<CReadServerInfoThread>(this, channel, endpoint);
  if (!worker_->Start()) {
    Fail("can't start the query");
    return false;
  }
  return true;
}

void CServerInfo::Stop() {
  // a worker that does not end in time is left to finish alone; it keeps
  // its thread object, and this object lives until the process ends
  if (worker_ && !worker_->Stop(kQueryStopWaitMs)) abandoned_.push_back(worker_.release());
}

void CServerInfo::ClearWelcomeUrl() {
  XMutexLock hold(lock_);
  record_.welcomeUrl.clear();
}

std::string CServerInfo::failure() {
  XMutexLock hold(lock_);
  return failure_;
}

void CServerInfo::Store(const WelcomeRecord& record) {
  {
    XMutexLock hold(lock_);
    record_ = record;
  }
  status_ = kQueryDone;
}

void CServerInfo::Fail(const std::string& why) {
  {
    XMutexLock hold(lock_);
    failure_ = why;
  }
  status_ = kQueryFailed;
}

}  // namespace orvane
