#include "net/TCPClient.h"

#include "net/DnsResolver.h"
#include "net/HttpWire.h"
#include "net/NetWait.h"
#include "platform/Error.h"

namespace orvane {

namespace {

constexpr int kProxyConnectWaitMs = 1000;
constexpr int kTunnelAnswerBytes = 1023;

}  // namespace

CTCPClient::CTCPClient() : api_(NetworkApi()), routes_(ProcessRoutes()) {}

CTCPClient::~CTCPClient() {
  CloseSocket();
}

void CTCPClient::SetHost(const std::string& host, int port) {
  host_ = host;
  port_ = static_cast<uint16_t>(port);
  uint32_t address = 0;
  bool found = false;
  if (resolver_.mode == kSystemResolver) {
    found = LookupHostUnlessAborted(api_, host, &address, AbortCheckOf()) == LookupOutcome::kFound;
  } else if (resolver_.mode == kOwnResolver) {
    AddressList list;
    if (ResolveByUdp(host.c_str(), &list, resolver_.server.c_str(), AbortCheckOf()) == 0 &&
        list.count > 0) {
      std::string dotted = FormatIPv4(list.addresses[0]);
      // the system resolver turns the dotted text into the address without
      // asking anyone
      found = api_.LookupHost(dotted, &address);
      if (found) host_ = dotted;
    }
  }
  ThrowIfAborted();
  if (!found) throw Error("Can't resolve host name");
  address_ = address;
}

void CTCPClient::SetHostWithFallback(const std::string& host, int port) {
  resolver_ = routes_.Resolver();
  try {
    SetHost(host, port);
    return;
  } catch (const std::exception&) {
    ThrowIfAborted();
  }
  resolver_.mode = kOwnResolver;
  resolver_.server = PublicDnsServer(0);
  SetHost(host, port);
  routes_.RecordResolverFallback(resolver_);
}

void CTCPClient::SetRecvTimeout(int32_t ms) {
  if (socket_ != kNoSocket && ms != recvTimeout_ && ms != -1) api_.SetTimeout(socket_, true, ms);
  recvTimeout_ = ms;
}

void CTCPClient::SetSendTimeout(int32_t ms) {
  if (socket_ != kNoSocket && ms != sendTimeout_ && ms != -1) api_.SetTimeout(socket_, false, ms);
  sendTimeout_ = ms;
}

void CTCPClient::Connect() {
  proxy_ = routes_.Proxy();
  try {
    ConnectOnce();
    return;
  } catch (const std::exception&) {
    ThrowIfAborted();
  }
  ++connectFailures_;
  if (connectFailures_ % 2 == 1) {
    if (!UserProxyUnlessAborted(api_, "http://" + host_, &proxy_, AbortCheckOf())) ThrowIfAborted();
  } else {
    proxy_.type = kProxyDirect;
  }
  ConnectOnce();
  routes_.RecordProxyFallback(proxy_);
}

SocketId CTCPClient::OpenSocket() {
  std::lock_guard<std::mutex> hold(lock_);
  if (socket_ != kNoSocket) {
    api_.Close(socket_);
    socket_ = kNoSocket;
  }
  ThrowIfAborted();
  socket_ = api_.OpenTcp();
  if (socket_ == kNoSocket) throw Error("Can't create socket");
  return socket_;
}

void CTCPClient::ConnectOnce() {
  SocketId s = OpenSocket();
  if (proxy_.type == kProxyDirect) {
    // one more try on the same socket after a failure; a connect that ran
    // out of time would not fare better at once
    ConnectOutcome outcome = ConnectDirect(s);
    if (outcome == ConnectOutcome::kFailed) outcome = ConnectDirect(s);
    if (outcome != ConnectOutcome::kConnected) throw Error("Connect failed");
  } else {
    ConnectThroughProxy(s);
  }
  ThrowIfAborted();
  if (recvTimeout_ != -1) api_.SetTimeout(s, true, recvTimeout_);
  if (sendTimeout_ != -1) api_.SetTimeout(s, false, sendTimeout_);
  switch (proxy_.type) {
    case kProxyDirect:
      return;
    case kProxyHttpTunnel:
      if (!OpenTunnel()) throw Error("Proxy failed");
      return;
    default:
      throw Error("Proxy not support");
  }
}

// A blocking connect with a deadline that Abort ends: the connect runs
// non-blocking while this thread waits for it in short steps.
ConnectOutcome CTCPClient::ConnectDirect(SocketId s) {
  if (!api_.SetNonBlocking(s, true)) {
    return api_.Connect(s, address_, port_) == ConnectResult::kConnected
               ? ConnectOutcome::kConnected
               : ConnectOutcome::kFailed;
  }
  ConnectOutcome outcome = ConnectWithin(api_, s, address_, port_, kConnectWaitMs, AbortCheckOf());
  ThrowIfAborted();
  if (!api_.SetNonBlocking(s, false)) return ConnectOutcome::kFailed;
  return outcome;
}

void CTCPClient::ConnectThroughProxy(SocketId s) {
  if (!api_.SetNonBlocking(s, true)) throw Error("Can't set not block");
  uint32_t proxyAddress = 0;
  // a proxy host that does not resolve fails like a proxy that does not answer
  LookupOutcome found = LookupHostUnlessAborted(api_, proxy_.host, &proxyAddress, AbortCheckOf());
  ThrowIfAborted();
  if (found != LookupOutcome::kFound) throw Error("Can't connect proxy server");
  ConnectOutcome outcome =
      ConnectWithin(api_, s, proxyAddress, proxy_.port, kProxyConnectWaitMs, AbortCheckOf());
  ThrowIfAborted();
  if (outcome != ConnectOutcome::kConnected) throw Error("Can't connect proxy server");
  if (!api_.SetNonBlocking(s, false)) throw Error("Can't set block");
}

bool CTCPClient::OpenTunnel() {
  std::string request = BuildConnectRequest(host_, port_);
  api_.Send(socket_, request.data(), static_cast<int>(request.size()));
  // the proxy's whole answer head, so that none of it is taken for the
  // server's answer later
  HeadScanner answer;
  char c = 0;
  for (;;) {
    int got = api_.Recv(socket_, &c, 1);
    if (got <= 0) {
      if (answer.text().empty()) return false;
      break;
    }
    if (answer.Add(c)) break;
  }
  return TunnelOpened(answer.text().substr(0, kTunnelAnswerBytes));
}

void CTCPClient::SendAll(const std::string& data) {
  size_t sent = 0;
  while (sent < data.size()) {
    ThrowIfAborted();
    size_t left = data.size() - sent;
    int chunk = left > (1u << 30) ? (1 << 30) : static_cast<int>(left);
    int n = api_.Send(socket_, data.data() + sent, chunk);
    if (n < 0) throw Error("socket send failed");
    if (n == 0) throw Error("Server can't recv data");
    sent += static_cast<size_t>(n);
  }
}

void CTCPClient::RecvExact(char* buffer, int64_t n) {
  int64_t got = 0;
  while (got < n) {
    ThrowIfAborted();
    int64_t left = n - got;
    int chunk = left > (1 << 30) ? (1 << 30) : static_cast<int>(left);
    int r = api_.Recv(socket_, buffer + got, chunk);
    if (r < 0) throw Error("socket recv failed");
    if (r == 0) throw Error("Server can't send data");
    got += r;
  }
}

void CTCPClient::ReadHead(std::vector<std::string>* lines,
                          std::string* status,
                          int64_t* contentLength) {
  HeadScanner scanner;
  char c = 0;
  do {
    RecvExact(&c, 1);
  } while (!scanner.Add(c));
  ResponseHead head = ParseHead(scanner.text());
  if (lines) *lines = std::move(head.lines);
  if (status) *status = head.status;
  if (contentLength) *contentLength = head.contentLength;
}

std::string CTCPClient::ReadBody(int64_t n, int64_t maxBytes) {
  if (n <= 0) return {};
  if (n > maxBytes || n > kMaxBodyBytes) throw Error("Body too large");
  std::string body(static_cast<size_t>(n), '\0');
  RecvExact(&body[0], n);
  return body;
}

void CTCPClient::ReadChunkedBody(std::string* body, int64_t maxBytes) {
  if (maxBytes > kMaxBodyBytes) maxBytes = kMaxBodyBytes;
  auto readSize = [this] {
    ChunkLineScanner line;
    char c = 0;
    do {
      RecvExact(&c, 1);
    } while (!line.Add(c));
    return ParseChunkSize(line.text());
  };
  int64_t read = 0;
  for (;;) {
    int64_t size = readSize();
    // a zero size is the CR LF after the previous chunk's data
    if (size == 0) size = readSize();
    if (size < 0) throw Error("Read body stream error");
    if (size == 0) return;
    if (size > maxBytes - read) throw Error("Body too large");
    size_t at = body->size();
    body->resize(at + static_cast<size_t>(size));
    RecvExact(&(*body)[at], size);
    read += size;
  }
}

int CTCPClient::SendSome(const char* data, int size) {
  if (AbortRequested() || socket_ == kNoSocket) return -1;
  return api_.Send(socket_, data, size);
}

int CTCPClient::RecvSome(char* buffer, int size) {
  if (AbortRequested() || socket_ == kNoSocket) return -1;
  return api_.Recv(socket_, buffer, size);
}

void CTCPClient::CloseSocket() {
  std::lock_guard<std::mutex> hold(lock_);
  if (socket_ != kNoSocket) api_.Close(socket_);
  socket_ = kNoSocket;
}

void CTCPClient::Abort() {
  std::lock_guard<std::mutex> hold(lock_);
  aborted_ = true;
  // shut down, not closed: the owner's thread may still be inside a call on
  // this socket, and the handle must not be reused under it
  if (socket_ != kNoSocket) api_.Shutdown(socket_);
}

bool CTCPClient::AbortRequested() const {
  return aborted_;
}

AbortCheck CTCPClient::AbortCheckOf() const {
  return [this] { return AbortRequested(); };
}

void CTCPClient::ThrowIfAborted() const {
  if (AbortRequested()) throw Error("user cancel");
}

}  // namespace orvane
