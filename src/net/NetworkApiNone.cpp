// The network API of builds without Winsock (the native sanitizer and fuzz
// builds): no network stack, every call fails. Tests install their own.
#include "net/NetworkApi.h"

namespace orvane {

namespace {

class NoNetworkApi : public INetworkApi {
 public:
  bool LookupHost(const std::string&, uint32_t*) override { return false; }
  bool DnsServers(std::vector<std::string>*) override { return false; }
  uint16_t QueryId() override { return 0; }
  void UserProxy(const std::string&, ProxySettings* proxy) override { proxy->type = kProxyDirect; }
  SocketId OpenTcp() override { return kNoSocket; }
  SocketId OpenUdp() override { return kNoSocket; }
  void Close(SocketId) override {}
  void Shutdown(SocketId) override {}
  bool SetNonBlocking(SocketId, bool) override { return false; }
  ConnectResult Connect(SocketId, uint32_t, uint16_t) override { return ConnectResult::kFailed; }
  WaitResult WaitWritable(SocketId, int) override { return WaitResult::kError; }
  WaitResult WaitReadable(SocketId, int) override { return WaitResult::kError; }
  int PendingError(SocketId) override { return -1; }
  bool SetTimeout(SocketId, bool, int) override { return false; }
  int Send(SocketId, const char*, int) override { return -1; }
  int Recv(SocketId, char*, int) override { return -1; }
  int SendTo(SocketId, const char*, int, uint32_t, uint16_t) override { return -1; }
  int RecvFrom(SocketId, char*, int) override { return -1; }
};

}  // namespace

INetworkApi& SystemNetworkApi() {
  static NoNetworkApi api;
  return api;
}

}  // namespace orvane
