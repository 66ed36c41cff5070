// CTCPClient: one plain IPv4 TCP connection of the installer's own HTTP/1.1
// client: name resolution (system resolver, or the own UDP resolver), the
// connect with its one-time proxy fallback and CONNECT tunnel, socket
// time-outs, raw send and receive, and reading a response head and body.
//
// An object is used by one thread. Another thread may call Abort() at any
// time: a send or receive blocked on the socket returns at once, a name
// lookup, proxy discovery or connect under way ends within kAbortPollMs
// (NetWait.h), and every later operation fails with "user cancel".
//
// Failures are thrown as orvane::Error with these texts: "Can't resolve host
// name", "Can't create socket", "Connect failed", "Can't set not block",
// "Can't connect proxy server", "Can't set block", "Proxy failed", "Proxy not
// support", "socket send failed", "Server can't recv data", "socket recv
// failed", "Server can't send data", "Read body stream error", "Body too
// large" and "user cancel".
#pragma once

#include <atomic>
#include <cstdint>
#include <mutex>
#include <string>
#include <vector>

#include "net/ConnectionRoutes.h"
#include "net/HttpWire.h"
#include "net/NetSettings.h"
#include "net/NetWait.h"
#include "net/NetworkApi.h"

namespace orvane {

class CTCPClient {
 public:
  CTCPClient();
  virtual ~CTCPClient();
  CTCPClient(const CTCPClient&) = delete;
  CTCPClient& operator=(const CTCPClient&) = delete;

  // resolves host by the current resolver settings; the low 16 bits of port
  void SetHost(const std::string& host, int port);
  // -1 leaves the system's default; applied at once to an open socket
  void SetRecvTimeout(int32_t ms);
  void SetSendTimeout(int32_t ms);
  // connects to the stored address, through the process's proxy route;
  // when that fails, once more through the user's proxy configuration (odd
  // failure counts) or directly (even ones)
  void Connect();
  void SendAll(const std::string& data);
  void RecvExact(char* buffer, int64_t n);
  void ReadHead(std::vector<std::string>* lines, std::string* status, int64_t* contentLength);
  // exactly n body bytes; n above maxBytes fails ("Body too large") before
  // any allocation
  std::string ReadBody(int64_t n, int64_t maxBytes = kMaxBodyBytes);
  // appends the data of a chunked body; more than maxBytes in all fails
  void ReadChunkedBody(std::string* body, int64_t maxBytes = kMaxBodyBytes);

  // for workers that read and write on their own: bytes moved, 0 when the
  // peer closed, -1 on an error or time-out (also after Abort)
  int SendSome(const char* data, int size);
  int RecvSome(char* buffer, int size);
  void CloseSocket();

  // any thread; see the file comment
  void Abort();
  bool aborted() const { return aborted_; }

  const std::string& host() const { return host_; }
  uint32_t address() const { return address_; }
  uint16_t port() const { return port_; }
  int32_t connectFailures() const { return connectFailures_; }
  void set_connectFailures(int32_t n) { connectFailures_ = n; }
  const ProxySettings& proxy() const { return proxy_; }
  const ResolverSettings& resolver() const { return resolver_; }
  void set_resolver(const ResolverSettings& r) { resolver_ = r; }
  bool connected() const { return socket_ != kNoSocket; }

  // the resolution of a new client: the process's resolver route first;
  // when they fail, the own resolver with the first public server, recorded
  // process-wide. Only the second failure reaches the caller.
  void SetHostWithFallback(const std::string& host, int port);

 protected:
  // whether the operations under way should end ("user cancel"): after
  // Abort, and whenever a derived class says so
  virtual bool AbortRequested() const;
  AbortCheck AbortCheckOf() const;

 private:
  void ConnectOnce();
  ConnectOutcome ConnectDirect(SocketId s);
  void ConnectThroughProxy(SocketId s);
  bool OpenTunnel();
  SocketId OpenSocket();
  void ThrowIfAborted() const;

  INetworkApi& api_;
  ConnectionRoutes& routes_;
  std::string host_;
  uint32_t address_ = 0xFFFFFFFF;
  uint16_t port_ = 0;
  int32_t recvTimeout_ = -1;
  int32_t sendTimeout_ = -1;
  int32_t connectFailures_ = 0;
  SocketId socket_ = kNoSocket;  // written by the owner under lock_
  ProxySettings proxy_;
  ResolverSettings resolver_;

  std::mutex lock_;  // socket_ against Abort
  std::atomic<bool> aborted_{false};
};

}  // namespace orvane
