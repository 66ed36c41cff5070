#include "module/HttpPost.h"

#include <ws2tcpip.h>

#include <algorithm>
#include <memory>

#include "platform/Handles.h"

namespace orvane::qlx {

namespace {

struct SocketTraits {
  using Type = SOCKET;
  static Type Empty() { return INVALID_SOCKET; }
  static bool IsValid(Type s) { return s != INVALID_SOCKET; }
  static void Close(Type s) { ::closesocket(s); }
};
using UniqueSocket = HandleT<SocketTraits>;

struct AddrInfoFree {
  void operator()(addrinfo* a) const { ::freeaddrinfo(a); }
};

// waits are cut into short slices so that a deadline moved closer is seen
constexpr ULONGLONG kSliceMs = 100;

enum class Ready { kYes, kTimeOut, kError };

Ready WaitSocket(SOCKET s, bool forWrite, const Deadline& deadline) {
  for (;;) {
    ULONGLONG now = ::GetTickCount64();
    ULONGLONG end = deadline.Get();
    if (now >= end) return Ready::kTimeOut;
    ULONGLONG slice = std::min(end - now, kSliceMs);
    timeval tv{static_cast<long>(slice / 1000), static_cast<long>((slice % 1000) * 1000)};
    fd_set set, errors;
    FD_ZERO(&set);
    FD_ZERO(&errors);
    FD_SET(s, &set);
    FD_SET(s, &errors);
    int n = ::select(0, forWrite ? nullptr : &set, forWrite ? &set : nullptr, &errors, &tv);
    if (n == SOCKET_ERROR) return Ready::kError;
    if (n > 0) return FD_ISSET(s, &errors) ? Ready::kError : Ready::kYes;
  }
}

UniqueSocket Connect(const std::string& host, int port, const Deadline& deadline) {
  addrinfo hints{};
  hints.ai_family = AF_INET;
  hints.ai_socktype = SOCK_STREAM;
  hints.ai_protocol = IPPROTO_TCP;
  addrinfo* found = nullptr;
  if (::getaddrinfo(host.c_str(), std::to_string(port).c_str(), &hints, &found) != 0 || !found)
    return UniqueSocket();
  std::unique_ptr<addrinfo, AddrInfoFree> list(found);
  for (addrinfo* a = list.get(); a; a = a->ai_next) {
    UniqueSocket s(::socket(a->ai_family, a->ai_socktype, a->ai_protocol));
    if (!s) continue;
    u_long nonBlocking = 1;
    ::ioctlsocket(s.get(), FIONBIO, &nonBlocking);
    if (::connect(s.get(), a->ai_addr, static_cast<int>(a->ai_addrlen)) == 0) return s;
    if (::WSAGetLastError() != WSAEWOULDBLOCK) continue;
    if (WaitSocket(s.get(), true, deadline) != Ready::kYes) continue;
    int error = 0;
    int len = sizeof(error);
    if (::getsockopt(s.get(), SOL_SOCKET, SO_ERROR, reinterpret_cast<char*>(&error), &len) == 0 &&
        error == 0) {
      return s;
    }
  }
  return UniqueSocket();
}

}  // namespace

bool HttpExchange(const std::string& host,
                  int port,
                  const std::string& request,
                  const Deadline& deadline,
                  HttpReply* reply) {
  UniqueSocket s = Connect(host, port, deadline);
  if (!s) return false;
  size_t sent = 0;
  while (sent < request.size()) {
    int n = ::send(s.get(), request.data() + sent,
                   static_cast<int>(std::min<size_t>(request.size() - sent, 16384)), 0);
    if (n == SOCKET_ERROR) {
      if (::WSAGetLastError() != WSAEWOULDBLOCK) return false;
      if (WaitSocket(s.get(), true, deadline) != Ready::kYes) return false;
      continue;
    }
    sent += static_cast<size_t>(n);
  }
  std::string received;
  for (;;) {
    Ready r = WaitSocket(s.get(), false, deadline);
    if (r != Ready::kYes) return false;
    char buf[4096];
    int n = ::recv(s.get(), buf, sizeof(buf), 0);
    if (n == SOCKET_ERROR) {
      if (::WSAGetLastError() == WSAEWOULDBLOCK) continue;
      return false;
    }
    if (n > 0) received.append(buf, static_cast<size_t>(n));
    ReplyState state = ParseHttpReply(received, n == 0, reply);
    if (state == ReplyState::kComplete) return true;
    if (state == ReplyState::kBad || n == 0) return false;
  }
}

}  // namespace orvane::qlx
