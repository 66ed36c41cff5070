#include "qlx/UploadProtocol.h"

#include <json/json.h>

#include <cstdint>
#include <memory>

#include "net/DnsMessage.h"
#include "platform/Md5.h"

namespace orvane::qlx {

std::string SignBatch(const std::string& appId,
                      const std::string& appKey,
                      const std::string& batchId) {
  return Md5Hex(appId + "\n" + appKey + "\n" + batchId);
}

std::string BuildUploadRequest(const UploadTarget& t,
                               const std::string& body,
                               const std::string& batchId,
                               size_t recordCount) {
  std::string host = t.host;
  if (t.port != 80) host += ":" + std::to_string(t.port);
  std::string r = "POST " + t.path + " HTTP/1.1\r\n";
  r += "Host: " + host + "\r\n";
  r += "User-Agent: Qlx/1.0\r\n";
  r += "Content-Type: application/x-ndjson; charset=utf-8\r\n";
  r += "Content-Length: " + std::to_string(body.size()) + "\r\n";
  r += "X-Qlx-App: " + t.appId + "\r\n";
  r += "X-Qlx-Batch: " + batchId + "\r\n";
  r += "X-Qlx-Count: " + std::to_string(recordCount) + "\r\n";
  r += "X-Qlx-Sign: " + SignBatch(t.appId, t.appKey, batchId) + "\r\n";
  if (!t.urlVersion.empty()) r += "X-Qlx-Url-Version: " + t.urlVersion + "\r\n";
  r += "Connection: close\r\n\r\n";
  r += body;
  return r;
}

namespace {

// a bounds-checked reader over the received bytes
class Reader {
 public:
  explicit Reader(const std::string& bytes) : data_(bytes) {}
  size_t pos() const { return pos_; }
  size_t remaining() const { return data_.size() - pos_; }

  // a line up to CRLF (a bare LF is accepted too); false when no line end
  // lies within `limit` bytes
  bool Line(size_t limit, std::string* line) {
    size_t end = data_.find('\n', pos_);
    if (end == std::string::npos || end - pos_ > limit) return false;
    size_t stop = end;
    if (stop > pos_ && data_[stop - 1] == '\r') --stop;
    line->assign(data_, pos_, stop - pos_);
    pos_ = end + 1;
    return true;
  }
  bool Take(size_t n, std::string* out) {
    if (remaining() < n) return false;
    out->append(data_, pos_, n);
    pos_ += n;
    return true;
  }

 private:
  const std::string& data_;
  size_t pos_ = 0;
};

std::string Lower(std::string s) {
  for (char& c : s)
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  return s;
}

std::string Trim(const std::string& s) {
  size_t b = s.find_first_not_of(" \t");
  if (b == std::string::npos) return {};
  size_t e = s.find_last_not_of(" \t");
  return s.substr(b, e - b + 1);
}

bool ParseDecimal(const std::string& text, uint64_t limit, uint64_t* value) {
  if (text.empty() || text.size() > 18) return false;
  uint64_t v = 0;
  for (char c : text) {
    if (c < '0' || c > '9') return false;
    v = v * 10 + static_cast<uint64_t>(c - '0');
  }
  if (v > limit) return false;
  *value = v;
  return true;
}

bool ParseHex(const std::string& text, uint64_t limit, uint64_t* value) {
  if (text.empty() || text.size() > 15) return false;
  uint64_t v = 0;
  for (char c : text) {
    int d;
    if (c >= '0' && c <= '9')
      d = c - '0';
    else if (c >= 'a' && c <= 'f')
      d = c - 'a' + 10;
    else if (c >= 'A' && c <= 'F')
      d = c - 'A' + 10;
    else
      return false;
    v = v * 16 + static_cast<uint64_t>(d);
  }
  if (v > limit) return false;
  *value = v;
  return true;
}

// HTTP/1.x status line: "HTTP/1.1 200 OK"
bool ParseStatusLine(const std::string& line, int* status) {
  if (line.size() < 12 || line.compare(0, 7, "HTTP/1.") != 0) return false;
  if (line[7] < '0' || line[7] > '9' || line[8] != ' ') return false;
  int code = 0;
  for (int i = 9; i < 12; ++i) {
    if (line[i] < '0' || line[i] > '9') return false;
    code = code * 10 + (line[i] - '0');
  }
  if (line.size() > 12 && line[12] != ' ') return false;
  if (code < 100) return false;
  *status = code;
  return true;
}

ReplyState ReadChunked(Reader& in, bool closed, std::string* body) {
  for (;;) {
    std::string sizeLine;
    if (!in.Line(64, &sizeLine)) {
      return (closed || in.remaining() > 64) ? ReplyState::kBad : ReplyState::kIncomplete;
    }
    size_t semi = sizeLine.find(';');
    if (semi != std::string::npos) sizeLine.resize(semi);
    uint64_t size = 0;
    if (!ParseHex(Trim(sizeLine), kMaxReplyBody, &size)) return ReplyState::kBad;
    if (body->size() + size > kMaxReplyBody) return ReplyState::kBad;
    if (size == 0) {
      // trailers up to the empty line
      for (;;) {
        std::string trailer;
        if (!in.Line(kMaxReplyHead, &trailer)) {
          return closed ? ReplyState::kBad : ReplyState::kIncomplete;
        }
        if (trailer.empty()) return ReplyState::kComplete;
      }
    }
    if (!in.Take(static_cast<size_t>(size), body)) {
      return closed ? ReplyState::kBad : ReplyState::kIncomplete;
    }
    std::string crlf;
    if (!in.Line(2, &crlf))
      return (closed || in.remaining() > 2) ? ReplyState::kBad : ReplyState::kIncomplete;
    if (!crlf.empty()) return ReplyState::kBad;
  }
}

}  // namespace

ReplyState ParseHttpReply(const std::string& bytes, bool closed, HttpReply* reply) {
  *reply = HttpReply();
  Reader in(bytes);
  std::string line;
  if (!in.Line(kMaxReplyHead, &line)) {
    return (closed || bytes.size() > kMaxReplyHead) ? ReplyState::kBad : ReplyState::kIncomplete;
  }
  if (!ParseStatusLine(line, &reply->status)) return ReplyState::kBad;
  for (;;) {
    if (in.pos() > kMaxReplyHead) return ReplyState::kBad;
    if (!in.Line(kMaxReplyHead - in.pos(), &line)) {
      return (closed || bytes.size() > kMaxReplyHead) ? ReplyState::kBad : ReplyState::kIncomplete;
    }
    if (line.empty()) break;
    size_t colon = line.find(':');
    if (colon == std::string::npos || colon == 0) return ReplyState::kBad;
    reply->headers[Lower(line.substr(0, colon))] = Trim(line.substr(colon + 1));
  }

  // interim replies and replies that carry no body
  if (reply->status < 200 || reply->status == 204 || reply->status == 304) {
    return ReplyState::kComplete;
  }
  auto te = reply->headers.find("transfer-encoding");
  if (te != reply->headers.end() && Lower(te->second) != "identity") {
    if (Lower(te->second) != "chunked") return ReplyState::kBad;
    return ReadChunked(in, closed, &reply->body);
  }
  auto cl = reply->headers.find("content-length");
  if (cl != reply->headers.end()) {
    uint64_t length = 0;
    if (!ParseDecimal(cl->second, kMaxReplyBody, &length)) return ReplyState::kBad;
    if (in.remaining() < length) return closed ? ReplyState::kBad : ReplyState::kIncomplete;
    in.Take(static_cast<size_t>(length), &reply->body);
    return ReplyState::kComplete;
  }
  if (in.remaining() > kMaxReplyBody) return ReplyState::kBad;
  if (!closed) return ReplyState::kIncomplete;
  in.Take(in.remaining(), &reply->body);
  return ReplyState::kComplete;
}

bool IsValidRoute(const UploadRoute& route) {
  if (route.proxyType == 1) {
    if (!IsValidHostName(route.proxyHost) || route.proxyPort < 1 || route.proxyPort > 65535)
      return false;
  } else if (route.proxyType != 0) {
    return false;
  }
  uint32_t address = 0;
  if (route.resolverMode == 1) return ParseIPv4(route.dnsServer, &address);
  return route.resolverMode == 0;
}

bool IsRefusedForGood(const HttpReply& reply) {
  return reply.status == 400 || reply.status == 403 || reply.status == 413;
}

bool IsAcknowledged(const HttpReply& reply, const std::string& batchId) {
  if (reply.status != 200 || batchId.empty()) return false;
  Json::CharReaderBuilder builder;
  Json::CharReaderBuilder::strictMode(&builder.settings_);
  std::unique_ptr<Json::CharReader> reader(builder.newCharReader());
  Json::Value root;
  std::string errors;
  const std::string& b = reply.body;
  try {
    if (!reader->parse(b.data(), b.data() + b.size(), &root, &errors)) return false;
    if (!root.isObject()) return false;
    const Json::Value& ack = root["ack"];
    return ack.isString() && ack.asString() == batchId;
  } catch (const std::exception&) {
    return false;
  }
}

namespace {

bool AllOf(const std::string& text, bool (*ok)(char)) {
  for (char c : text)
    if (!ok(c)) return false;
  return true;
}

bool IsDigit(char c) {
  return c >= '0' && c <= '9';
}
bool IsHexDigit(char c) {
  return IsDigit(c) || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F');
}
bool IsAlnum(char c) {
  return IsDigit(c) || (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}

}  // namespace

bool IsValidHostName(const std::string& host) {
  if (host.empty() || host.size() > 253) return false;
  size_t label = 0;
  char prev = '.';
  for (char c : host) {
    if (c == '.') {
      if (label == 0 || prev == '-') return false;
      label = 0;
    } else if (IsAlnum(c) || c == '-' || c == '_') {
      if (label == 0 && c == '-') return false;
      if (++label > 63) return false;
    } else {
      return false;
    }
    prev = c;
  }
  return label > 0 && prev != '-';
}

bool IsValidSensorPath(const std::string& path) {
  if (path.empty() || path.size() > 2048 || path[0] != '/') return false;
  // printable ASCII without blanks: nothing can break the request line
  for (char c : path) {
    auto u = static_cast<unsigned char>(c);
    if (u <= 0x20 || u >= 0x7F) return false;
  }
  return true;
}

bool IsValidAppId(const std::string& appId) {
  return !appId.empty() && appId.size() <= 32 && AllOf(appId, IsDigit);
}

bool IsValidAppKey(const std::string& key) {
  return key.size() == 32 && AllOf(key, IsHexDigit);
}

bool IsValidAppName(const std::string& name) {
  if (name.empty() || name.size() > 64) return false;
  return AllOf(name, [](char c) { return IsAlnum(c) || c == '_' || c == '-' || c == '.'; });
}

bool IsValidUrlVersion(const std::string& version) {
  if (version.empty() || version.size() > 32) return false;
  return AllOf(version, [](char c) { return IsAlnum(c) || c == '.' || c == '/' || c == '_'; });
}

}  // namespace orvane::qlx
