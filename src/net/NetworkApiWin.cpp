// The Winsock and IP Helper implementation of the network API.
// winsock2.h first: windows.h and iphlpapi.h use its types
#include <winsock2.h>

#include <windows.h>

#include <iphlpapi.h>
#include <ws2tcpip.h>

#include <cstring>
#include <vector>

#include "net/NetworkApi.h"
#include "net/NetworkCheck.h"

namespace orvane {

namespace {

SOCKET S(SocketId s) {
  return static_cast<SOCKET>(s);
}

sockaddr_in Endpoint(uint32_t address, uint16_t port) {
  sockaddr_in to{};
  to.sin_family = AF_INET;
  to.sin_port = htons(port);
  to.sin_addr.s_addr = address;
  return to;
}

WaitResult Wait(SocketId s, bool forRead, int ms) {
  for (;;) {
    fd_set ready, failed;
    FD_ZERO(&ready);
    FD_ZERO(&failed);
    FD_SET(S(s), &ready);
    FD_SET(S(s), &failed);
    timeval limit{ms / 1000, (ms % 1000) * 1000};
    // a failed non-blocking connect shows up in the exception set
    int n = forRead ? ::select(0, &ready, nullptr, &failed, &limit)
                    : ::select(0, nullptr, &ready, &failed, &limit);
    if (n == SOCKET_ERROR) {
      if (::WSAGetLastError() == WSAEINTR) continue;
      return WaitResult::kError;
    }
    if (n == 0) return WaitResult::kTimeout;
    if (forRead && FD_ISSET(S(s), &failed)) return WaitResult::kError;
    return WaitResult::kReady;
  }
}

class WinsockApi : public INetworkApi {
 public:
  bool LookupHost(const std::string& host, uint32_t* address) override {
    hostent* h = ::gethostbyname(host.c_str());
    if (!h || h->h_addrtype != AF_INET || h->h_length != 4 || !h->h_addr_list[0]) return false;
    std::memcpy(address, h->h_addr_list[0], 4);
    return true;
  }

  bool DnsServers(std::vector<std::string>* servers) override {
    // one FIXED_INFO holds the first server; more servers need more room
    ULONG size = 584;
    std::vector<unsigned char> buffer(size);
    ULONG rc = ::GetNetworkParams(reinterpret_cast<FIXED_INFO*>(buffer.data()), &size);
    if (rc == ERROR_BUFFER_OVERFLOW) {
      buffer.resize(size);
      rc = ::GetNetworkParams(reinterpret_cast<FIXED_INFO*>(buffer.data()), &size);
    }
    if (rc != ERROR_SUCCESS) return false;
    const auto* info = reinterpret_cast<const FIXED_INFO*>(buffer.data());
    for (const IP_ADDR_STRING* a = &info->DnsServerList; a; a = a->Next) {
      std::string text(a->IpAddress.String, strnlen(a->IpAddress.String, 16));
      if (!text.empty()) servers->push_back(text);
    }
    return true;
  }

  uint16_t QueryId() override { return static_cast<uint16_t>(::GetCurrentProcessId() & 0xFFFF); }
  void UserProxy(const std::string& url, ProxySettings* proxy) override {
    DiscoverProxy(url, proxy);
  }

  SocketId OpenTcp() override {
    SOCKET s = ::socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
    return s == INVALID_SOCKET ? kNoSocket : static_cast<SocketId>(s);
  }
  SocketId OpenUdp() override {
    SOCKET s = ::socket(AF_INET, SOCK_DGRAM, IPPROTO_UDP);
    return s == INVALID_SOCKET ? kNoSocket : static_cast<SocketId>(s);
  }
  void Close(SocketId s) override { ::closesocket(S(s)); }
  void Shutdown(SocketId s) override { ::shutdown(S(s), SD_BOTH); }

  bool SetNonBlocking(SocketId s, bool on) override {
    u_long mode = on ? 1 : 0;
    return ::ioctlsocket(S(s), FIONBIO, &mode) == 0;
  }
  ConnectResult Connect(SocketId s, uint32_t address, uint16_t port) override {
    sockaddr_in to = Endpoint(address, port);
    if (::connect(S(s), reinterpret_cast<const sockaddr*>(&to), sizeof(to)) == 0)
      return ConnectResult::kConnected;
    switch (::WSAGetLastError()) {
      case WSAEWOULDBLOCK:
      case WSAEINPROGRESS:
      case WSAEALREADY:  // a connect of this socket is still under way
        return ConnectResult::kPending;
      default:
        return ConnectResult::kFailed;
    }
  }
  WaitResult WaitWritable(SocketId s, int ms) override { return Wait(s, false, ms); }
  WaitResult WaitReadable(SocketId s, int ms) override { return Wait(s, true, ms); }
  int PendingError(SocketId s) override {
    int error = 0;
    int length = sizeof(error);
    if (::getsockopt(S(s), SOL_SOCKET, SO_ERROR, reinterpret_cast<char*>(&error), &length) != 0)
      return ::WSAGetLastError();
    return error;
  }
  bool SetTimeout(SocketId s, bool receive, int ms) override {
    DWORD value = static_cast<DWORD>(ms);
    return ::setsockopt(S(s), SOL_SOCKET, receive ? SO_RCVTIMEO : SO_SNDTIMEO,
                        reinterpret_cast<const char*>(&value), sizeof(value)) == 0;
  }

  int Send(SocketId s, const char* data, int size) override {
    int n = ::send(S(s), data, size, 0);
    return n == SOCKET_ERROR ? -1 : n;
  }
  int Recv(SocketId s, char* data, int size) override {
    int n = ::recv(S(s), data, size, 0);
    return n == SOCKET_ERROR ? -1 : n;
  }
  int SendTo(SocketId s, const char* data, int size, uint32_t address, uint16_t port) override {
    sockaddr_in to = Endpoint(address, port);
    int n = ::sendto(S(s), data, size, 0, reinterpret_cast<const sockaddr*>(&to), sizeof(to));
    return n == SOCKET_ERROR ? -1 : n;
  }
  int RecvFrom(SocketId s, char* data, int size) override {
    sockaddr_in from{};
    int fromLength = sizeof(from);
    int n = ::recvfrom(S(s), data, size, 0, reinterpret_cast<sockaddr*>(&from), &fromLength);
    return n == SOCKET_ERROR ? -1 : n;
  }
};

}  // namespace

INetworkApi& SystemNetworkApi() {
  static WinsockApi api;
  return api;
}

}  // namespace orvane
