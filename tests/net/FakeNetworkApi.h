// A scripted network stack for the tests: name lookups, DNS servers, TCP
// connects and the bytes a peer sends are set up by the test; everything the
// code does is logged.
#pragma once

#include <algorithm>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "net/DnsMessage.h"
#include "net/NetworkApi.h"
#include "net/ProxyList.h"

namespace orvane::test {

class FakeNetworkApi : public INetworkApi {
 public:
  // set up by the test
  std::map<std::string, std::string> hosts;  // name -> dotted address
  bool dnsServersOk = true;
  std::vector<std::string> dnsServers;
  uint16_t queryId = 0x0BAD;
  std::string proxyList;  // the user's fixed proxy list, as WinHTTP hands it out
  bool failOpen = false;
  bool failNonBlocking = false;
  bool failBlocking = false;
  std::set<std::string> listening;  // "a.b.c.d:port" that accept a connect
  std::set<std::string> silent;     // connects to these never complete
  bool waitFails = false;
  int pendingError = 0;     // else refused when not listening
  std::string incoming;     // what the peer sends, handed out in pieces
  int recvPiece = 1 << 20;  // at most this many bytes per Recv
  int recvFailsAt = -1;     // Recv returns -1 once this many bytes are out
  int sendResult = 0;       // 0: accept everything; otherwise returned as is
  int sendPiece = 1 << 20;  // at most this many bytes per Send
  // UDP
  bool failSendTo = false;
  WaitResult answerWait = WaitResult::kReady;
  bool failRecvFrom = false;
  std::string answer;

  // logged
  std::vector<std::string> lookups;
  std::vector<std::string> connects;  // "a.b.c.d:port"
  std::vector<std::string> timeouts;  // "recv 3000", "send 5000"
  std::string sent;
  std::string datagram;
  std::string datagramTo;  // "a.b.c.d:port"
  int opened = 0;
  int closed = 0;
  int shutdowns = 0;

  bool LookupHost(const std::string& host, uint32_t* address) override {
    lookups.push_back(host);
    if (ParseIPv4(host, address)) return true;
    auto it = hosts.find(host);
    return it != hosts.end() && ParseIPv4(it->second, address);
  }
  void UserProxy(const std::string&, ProxySettings* proxy) override {
    proxy->type = kProxyDirect;
    ParseProxyList(proxyList, proxy);
  }
  bool DnsServers(std::vector<std::string>* servers) override {
    if (!dnsServersOk) return false;
    *servers = dnsServers;
    return true;
  }
  uint16_t QueryId() override { return queryId; }
  SocketId OpenTcp() override { return Open(); }
  SocketId OpenUdp() override { return Open(); }
  void Close(SocketId) override { ++closed; }
  void Shutdown(SocketId) override { ++shutdowns; }
  bool SetNonBlocking(SocketId, bool on) override { return on ? !failNonBlocking : !failBlocking; }
  bool Connect(SocketId, uint32_t address, uint16_t port) override {
    target_ = FormatIPv4(address) + ":" + std::to_string(port);
    connects.push_back(target_);
    return listening.count(target_) > 0;
  }
  WaitResult WaitWritable(SocketId, int) override {
    if (waitFails) return WaitResult::kError;
    return silent.count(target_) ? WaitResult::kTimeout : WaitResult::kReady;
  }
  WaitResult WaitReadable(SocketId, int) override { return answerWait; }
  int PendingError(SocketId) override {
    if (pendingError) return pendingError;
    return listening.count(target_) ? 0 : 10061;
  }
  bool SetTimeout(SocketId, bool receive, int ms) override {
    timeouts.push_back(std::string(receive ? "recv " : "send ") + std::to_string(ms));
    return true;
  }
  int Send(SocketId, const char* data, int size) override {
    if (sendResult != 0) return sendResult;
    int n = size < sendPiece ? size : sendPiece;
    sent.append(data, static_cast<size_t>(n));
    return n;
  }
  int Recv(SocketId, char* data, int size) override {
    if (recvFailsAt >= 0 && handedOut_ >= static_cast<size_t>(recvFailsAt)) return -1;
    size_t left = incoming.size() - handedOut_;
    size_t n = std::min<size_t>({left, static_cast<size_t>(size), static_cast<size_t>(recvPiece)});
    if (recvFailsAt >= 0) n = std::min<size_t>(n, static_cast<size_t>(recvFailsAt) - handedOut_);
    incoming.copy(data, n, handedOut_);
    handedOut_ += n;
    return static_cast<int>(n);
  }
  int SendTo(SocketId, const char* data, int size, uint32_t address, uint16_t port) override {
    if (failSendTo) return -1;
    datagram.assign(data, static_cast<size_t>(size));
    datagramTo = FormatIPv4(address) + ":" + std::to_string(port);
    return size;
  }
  int RecvFrom(SocketId, char* data, int size) override {
    if (failRecvFrom) return -1;
    size_t n = std::min<size_t>(answer.size(), static_cast<size_t>(size));
    answer.copy(data, n);
    return static_cast<int>(n);
  }

  size_t handedOut() const { return handedOut_; }

 private:
  SocketId Open() {
    if (failOpen) return kNoSocket;
    return 100 + opened++;
  }
  size_t handedOut_ = 0;
  std::string target_;  // of the last connect
};

}  // namespace orvane::test
