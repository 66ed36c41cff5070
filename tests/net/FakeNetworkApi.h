// A scripted network stack for the tests: name lookups, DNS servers, TCP
// connects and the bytes a peer sends are set up by the test; everything the
// code does is logged.
//
// Lookups and proxy discovery run on threads of their own (NetWait.h) and
// can be held: they then block like a system resolver that gets no answer,
// until the test lets them go. A test that holds them lets them go and
// waits for them (Drain) before the fake is destroyed.
#pragma once

#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <map>
#include <mutex>
#include <set>
#include <string>
#include <thread>
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
  // connects to these fail before anything is under way (0.0.0.0, port 0,
  // an unreachable network): a wait for them would never end
  std::set<std::string> failAtOnce;
  // a wait that times out takes its time, as select does
  bool waitsTakeTime = false;
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
  std::vector<std::string> lookups;  // read it once no lookup runs any more
  int writableWaits = 0;
  int64_t waitedMs = 0;               // the time-outs of the waits that timed out
  std::vector<std::string> connects;  // "a.b.c.d:port"
  std::vector<std::string> timeouts;  // "recv 3000", "send 5000"
  std::string sent;
  std::string datagram;
  std::string datagramTo;  // "a.b.c.d:port"
  int opened = 0;
  int closed = 0;
  int shutdowns = 0;

  bool LookupHost(const std::string& host, uint32_t* address) override {
    Enter(hold_.lookups);
    {
      std::lock_guard<std::mutex> hold(hold_.lock);
      lookups.push_back(host);
    }
    bool found = ParseIPv4(host, address);
    if (!found) {
      auto it = hosts.find(host);
      found = it != hosts.end() && ParseIPv4(it->second, address);
    }
    Leave();
    return found;
  }
  void UserProxy(const std::string&, ProxySettings* proxy) override {
    Enter(hold_.proxy);
    ++hold_.discoveries;
    proxy->type = kProxyDirect;
    ParseProxyList(proxyList, proxy);
    Leave();
  }

  // holds every lookup (proxy discovery) from now until Release
  void HoldLookups() { hold_.lookups = true; }
  void HoldProxyDiscovery() { hold_.proxy = true; }
  // how many calls are held right now
  int held() const { return hold_.held; }
  void Release() {
    std::lock_guard<std::mutex> hold(hold_.lock);
    hold_.lookups = false;
    hold_.proxy = false;
    hold_.released.notify_all();
  }
  // releases the held calls and waits until no call runs any more
  void Drain() {
    Release();
    while (hold_.inside > 0)
      std::this_thread::sleep_for(std::chrono::milliseconds(5));
  }
  // how often the user's proxy configuration was read
  int proxyDiscoveries() const { return hold_.discoveries; }
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
  ConnectResult Connect(SocketId, uint32_t address, uint16_t port) override {
    target_ = FormatIPv4(address) + ":" + std::to_string(port);
    connects.push_back(target_);
    if (listening.count(target_)) return ConnectResult::kConnected;
    return failAtOnce.count(target_) ? ConnectResult::kFailed : ConnectResult::kPending;
  }
  WaitResult WaitWritable(SocketId, int ms) override {
    ++writableWaits;
    if (waitFails) return WaitResult::kError;
    // after a connect that failed at once nothing is pending: select sees
    // neither writability nor an error
    if (silent.count(target_) || failAtOnce.count(target_)) return TimedOut(ms);
    return WaitResult::kReady;
  }
  WaitResult WaitReadable(SocketId, int ms) override {
    return answerWait == WaitResult::kTimeout ? TimedOut(ms) : answerWait;
  }
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
  WaitResult TimedOut(int ms) {
    waitedMs += ms;
    if (waitsTakeTime) std::this_thread::sleep_for(std::chrono::milliseconds(ms));
    return WaitResult::kTimeout;
  }
  void Enter(const std::atomic<bool>& holding) {
    ++hold_.inside;
    std::unique_lock<std::mutex> hold(hold_.lock);
    if (!holding) return;
    ++hold_.held;
    hold_.released.wait(hold, [&] { return !holding; });
    --hold_.held;
  }
  void Leave() { --hold_.inside; }

  // the calls on other threads; a copy of the fake starts with its own
  struct HoldState {
    HoldState() = default;
    HoldState(const HoldState&) {}
    HoldState& operator=(const HoldState&) { return *this; }
    std::mutex lock;
    std::condition_variable released;
    std::atomic<bool> lookups{false};
    std::atomic<bool> proxy{false};
    std::atomic<int> held{0};
    std::atomic<int> inside{0};
    std::atomic<int> discoveries{0};
  };
  HoldState hold_;

  SocketId Open() {
    if (failOpen) return kNoSocket;
    return 100 + opened++;
  }
  size_t handedOut_ = 0;
  std::string target_;  // of the last connect
};

}  // namespace orvane::test
