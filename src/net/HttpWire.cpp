#include "net/HttpWire.h"

#include <cstring>

#include "platform/StringUtil.h"

namespace orvane {

std::string BuildHeadRequest(const std::string& host, const std::string& path) {
  std::string r = "HEAD " + path + " HTTP/1.1\r\n";
  if (!host.empty()) r += "Host:" + host + "\r\n";
  r += "Accept:*/*\r\n";
  r += kUserAgentLine;
  r += "Connection:close\r\n";
  r += "\r\n";
  return r;
}

std::string BuildGetRequest(const std::string& host, const std::string& path) {
  std::string r = "GET " + path + " HTTP/1.1\r\n";
  if (!host.empty()) r += "Host: " + host + "\r\n";
  r += "Connection: close\r\n\r\n";
  return r;
}

std::string BuildPostHead(const std::string& host,
                          const std::string& path,
                          const std::string& boundary,
                          int64_t contentLength) {
  std::string r = "POST " + path + " HTTP/1.1\r\n";
  if (!host.empty()) r += "Host: " + host + "\r\n";
  // the delimiter line starts with two dashes that the parameter leaves out
  r += "Content-Type: multipart/form-data; boundary=" + boundary.substr(2) + "\r\n";
  r += "Content-Length: " + FormatInt64(contentLength) + "\r\n";
  r += "Connection: close\r\n\r\n";
  return r;
}

std::string BuildConnectRequest(const std::string& host, int port) {
  return "CONNECT " + host + ":" + std::to_string(port) + " HTTP/1.1\r\n\r\n";
}

bool HeadScanner::Add(char c) {
  text_.push_back(c);
  switch (matched_) {
    case 0:
      if (c == '\r') matched_ = 1;
      break;
    case 1:
      matched_ = c == '\n' ? 2 : 0;
      break;
    case 2:
      matched_ = c == '\r' ? 3 : 0;
      break;
    case 3:
      if (c == '\n') return true;
      matched_ = 0;
      break;
  }
  return text_.size() >= kMaxHeadBytes;
}

bool ChunkLineScanner::Add(char c) {
  text_.push_back(c);
  if (afterCr_) {
    afterCr_ = false;
    if (c == '\n') return true;
  } else if (c == '\r') {
    afterCr_ = true;
  }
  return text_.size() >= kMaxChunkLineBytes;
}

std::string StatusOfLine(const std::string& line) {
  return line.size() >= 12 ? line.substr(9, 3) : std::string();
}

ResponseHead ParseHead(const std::string& text) {
  ResponseHead head;
  head.lines = SplitAny(text, "\r\n");
  if (!head.lines.empty()) head.status = StatusOfLine(head.lines.front());
  static const char kLength[] = "Content-Length:";
  const size_t prefix = sizeof(kLength) - 1;
  for (const auto& line : head.lines) {
    if (line.size() > prefix && line.compare(0, prefix, kLength) == 0) {
      head.contentLength = ParseInt64(line.substr(prefix));
      break;
    }
  }
  return head;
}

int64_t ParseChunkSize(const std::string& line) {
  size_t end = line.find("\r\n");
  if (end == std::string::npos) return -1;
  if (end == 0) return 0;
  size_t semicolon = line.find(';');
  if (semicolon < end) end = semicolon;
  if (end > 8) return -1;
  int64_t size = 0;
  for (size_t i = 0; i < end; ++i) {
    char c = line[i];
    int digit = 0;
    if (c >= '0' && c <= '9')
      digit = c - '0';
    else if (c >= 'a' && c <= 'f')
      digit = c - 'a' + 10;
    else if (c >= 'A' && c <= 'F')
      digit = c - 'A' + 10;
    size = size * 16 + digit;
  }
  return size > INT32_MAX ? -1 : size;
}

bool TunnelOpened(const std::string& answer) {
  std::string text(answer.c_str(), std::strlen(answer.c_str()));
  std::string status = StatusOfLine(text);
  return ParseInt64(status) == 200;
}

}  // namespace orvane
