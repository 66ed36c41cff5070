#include "module/HttpPost.h"

#include <ws2tcpip.h>

#include <algorithm>
#include <memory>
#include <vector>

#include "net/DnsMessage.h"
#include "net/HttpWire.h"
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

// one A query of our own over UDP to server, answered before the deadline
std::vector<uint32_t> ResolveOwn(const std::string& host,
                                 const std::string& server,
                                 const Deadline& deadline) {
  uint32_t to = 0;
  if (!ParseIPv4(server, &to)) return {};
  std::string query = BuildDnsQuery(host, static_cast<uint16_t>(::GetCurrentProcessId() & 0xFFFF));
  if (query.empty()) return {};
  UniqueSocket s(::socket(AF_INET, SOCK_DGRAM, IPPROTO_UDP));
  if (!s) return {};
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_port = htons(53);
  address.sin_addr.s_addr = to;
  if (::sendto(s.get(), query.data(), static_cast<int>(query.size()), 0,
               reinterpret_cast<const sockaddr*>(&address), sizeof(address)) == SOCKET_ERROR) {
    return {};
  }
  if (WaitSocket(s.get(), false, deadline) != Ready::kYes) return {};
  std::vector<char> answer(65536);
  int got =
      ::recvfrom(s.get(), answer.data(), static_cast<int>(answer.size()), 0, nullptr, nullptr);
  if (got <= 0) return {};
  AddressList list;
  if (ParseDnsAnswer(reinterpret_cast<const uint8_t*>(answer.data()), static_cast<size_t>(got),
                     query.size(), &list) != 0) {
    return {};
  }
  return std::vector<uint32_t>(list.addresses, list.addresses + list.count);
}

// the IPv4 addresses of host: dotted text as it is, else by the route's
// resolver (the system's, or one query of our own to the route's server)
std::vector<uint32_t> Resolve(const std::string& host,
                              const UploadRoute& route,
                              const Deadline& deadline) {
  uint32_t dotted = 0;
  if (ParseIPv4(host, &dotted)) return {dotted};
  if (route.resolverMode == 1) return ResolveOwn(host, route.dnsServer, deadline);
  addrinfo hints{};
  hints.ai_family = AF_INET;
  hints.ai_socktype = SOCK_STREAM;
  hints.ai_protocol = IPPROTO_TCP;
  addrinfo* found = nullptr;
  if (::getaddrinfo(host.c_str(), nullptr, &hints, &found) != 0 || !found) return {};
  std::unique_ptr<addrinfo, AddrInfoFree> list(found);
  std::vector<uint32_t> out;
  for (addrinfo* a = list.get(); a; a = a->ai_next) {
    if (a->ai_family == AF_INET && a->ai_addrlen >= sizeof(sockaddr_in))
      out.push_back(reinterpret_cast<const sockaddr_in*>(a->ai_addr)->sin_addr.s_addr);
  }
  return out;
}

// a non-blocking TCP connection to the first address that takes it
UniqueSocket Connect(const std::vector<uint32_t>& addresses, int port, const Deadline& deadline) {
  for (uint32_t address : addresses) {
    UniqueSocket s(::socket(AF_INET, SOCK_STREAM, IPPROTO_TCP));
    if (!s) continue;
    u_long nonBlocking = 1;
    ::ioctlsocket(s.get(), FIONBIO, &nonBlocking);
    sockaddr_in to{};
    to.sin_family = AF_INET;
    to.sin_port = htons(static_cast<u_short>(port));
    to.sin_addr.s_addr = address;
    if (::connect(s.get(), reinterpret_cast<const sockaddr*>(&to), sizeof(to)) == 0) return s;
    // a connect that failed at once has nothing under way to wait for
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

bool SendAll(SOCKET s, const std::string& data, const Deadline& deadline) {
  size_t sent = 0;
  while (sent < data.size()) {
    int n = ::send(s, data.data() + sent,
                   static_cast<int>(std::min<size_t>(data.size() - sent, 16384)), 0);
    if (n == SOCKET_ERROR) {
      if (::WSAGetLastError() != WSAEWOULDBLOCK) return false;
      if (WaitSocket(s, true, deadline) != Ready::kYes) return false;
      continue;
    }
    sent += static_cast<size_t>(n);
  }
  return true;
}

// CONNECT host:port through the proxy on s; true when it answered 200. The
// proxy sends nothing but its answer before the request goes out, so its
// head is read whole and nothing of the host's answer with it.
bool OpenTunnel(SOCKET s, const std::string& host, int port, const Deadline& deadline) {
  if (!SendAll(s, BuildConnectRequest(host, port), deadline)) return false;
  std::string answer;
  while (answer.find("\r\n\r\n") == std::string::npos) {
    if (answer.size() > kMaxReplyHead || WaitSocket(s, false, deadline) != Ready::kYes)
      return false;
    char buf[1024];
    int n = ::recv(s, buf, sizeof(buf), 0);
    if (n == SOCKET_ERROR && ::WSAGetLastError() == WSAEWOULDBLOCK) continue;
    if (n <= 0) return false;
    answer.append(buf, static_cast<size_t>(n));
  }
  return TunnelOpened(answer);
}

// the connection to the target by its route: straight to its address, or
// through a tunnel of the route's proxy, which resolves the host itself
UniqueSocket Open(const UploadTarget& target, const Deadline& deadline) {
  const UploadRoute& route = target.route;
  if (route.proxyType != 1)
    return Connect(Resolve(target.host, route, deadline), target.port, deadline);
  // the proxy's own name goes to the system resolver, as the program does
  UniqueSocket s =
      Connect(Resolve(route.proxyHost, UploadRoute(), deadline), route.proxyPort, deadline);
  if (!s || !OpenTunnel(s.get(), target.host, target.port, deadline)) return UniqueSocket();
  return s;
}

}  // namespace

bool HttpExchange(const UploadTarget& target,
                  const std::string& request,
                  const Deadline& deadline,
                  HttpReply* reply) {
  UniqueSocket s = Open(target, deadline);
  if (!s || !SendAll(s.get(), request, deadline)) return false;
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
