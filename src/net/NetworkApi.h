// INetworkApi: everything the HTTP client and the own resolver ask of the
// operating system's network stack: TCP and UDP sockets, the system
// resolver, the system's list of DNS servers and the user's proxy
// configuration. The Winsock implementation
// is the default; tests install their own with ScopedNetworkApiOverride to
// produce what loopback cannot (a socket that cannot be created, a send
// that returns 0, an adapter list with an IPv6 server first).
//
// Addresses are IPv4 in network order (the bytes a.b.c.d in memory order);
// ports are in host order.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "net/NetSettings.h"

namespace orvane {

using SocketId = intptr_t;
inline constexpr SocketId kNoSocket = -1;

enum class WaitResult { kReady, kTimeout, kError };

// what connect() says at once. On a non-blocking socket kPending is the
// usual answer; kFailed means the connect failed before anything was under
// way (unreachable network, address 0.0.0.0, port 0), so no wait for it
// would ever end.
enum class ConnectResult { kConnected, kPending, kFailed };

class INetworkApi {
 public:
  virtual ~INetworkApi() = default;

  // the system resolver (gethostbyname): the first IPv4 address of host
  virtual bool LookupHost(const std::string& host, uint32_t* address) = 0;
  // the system's DNS servers in list order (GetNetworkParams); false when
  // the call failed
  virtual bool DnsServers(std::vector<std::string>* servers) = 0;
  // the id of an own DNS query: the low 16 bits of the process id
  virtual uint16_t QueryId() = 0;
  // the current user's proxy configuration for url (DiscoverProxy of
  // NetworkCheck.h); type kProxyDirect when none applies
  virtual void UserProxy(const std::string& url, ProxySettings* proxy) = 0;

  // kNoSocket on failure
  virtual SocketId OpenTcp() = 0;
  virtual SocketId OpenUdp() = 0;
  virtual void Close(SocketId s) = 0;
  // ends both directions; a call blocked on the socket in another thread
  // returns at once. Safe from any thread while the owner still holds s.
  virtual void Shutdown(SocketId s) = 0;

  virtual bool SetNonBlocking(SocketId s, bool on) = 0;
  // connect(); on a blocking socket it waits for the outcome
  virtual ConnectResult Connect(SocketId s, uint32_t address, uint16_t port) = 0;
  virtual WaitResult WaitWritable(SocketId s, int ms) = 0;
  // readable or an exception reported; a wait interrupted by a signal is
  // resumed
  virtual WaitResult WaitReadable(SocketId s, int ms) = 0;
  // SO_ERROR
  virtual int PendingError(SocketId s) = 0;
  // SO_RCVTIMEO (receive) or SO_SNDTIMEO
  virtual bool SetTimeout(SocketId s, bool receive, int ms) = 0;

  // like send/recv: bytes moved, 0 (recv: peer closed), -1 on error
  virtual int Send(SocketId s, const char* data, int size) = 0;
  virtual int Recv(SocketId s, char* data, int size) = 0;
  virtual int SendTo(SocketId s, const char* data, int size, uint32_t address, uint16_t port) = 0;
  virtual int RecvFrom(SocketId s, char* data, int size) = 0;
};

// the API every network component uses: the system's, or the one a test
// installed
INetworkApi& NetworkApi();

// the operating system's implementation (Winsock on Windows; elsewhere one
// on which every call fails)
INetworkApi& SystemNetworkApi();

class ScopedNetworkApiOverride {
 public:
  explicit ScopedNetworkApiOverride(INetworkApi* api);
  ~ScopedNetworkApiOverride();
  ScopedNetworkApiOverride(const ScopedNetworkApiOverride&) = delete;
  ScopedNetworkApiOverride& operator=(const ScopedNetworkApiOverride&) = delete;

 private:
  INetworkApi* previous_;
};

// closes a socket of the network API on scope exit
class ScopedSocket {
 public:
  ScopedSocket(INetworkApi& api, SocketId s) : api_(api), s_(s) {}
  ~ScopedSocket() {
    if (s_ != kNoSocket) api_.Close(s_);
  }
  ScopedSocket(const ScopedSocket&) = delete;
  ScopedSocket& operator=(const ScopedSocket&) = delete;
  SocketId get() const { return s_; }

 private:
  INetworkApi& api_;
  SocketId s_;
};

}  // namespace orvane
