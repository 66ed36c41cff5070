// The texts of the HTTP/1.1 client: the requests it sends and the rules by
// which it reads a response head, a chunk-size line and a proxy's answer to
// CONNECT. Platform-free; the client feeds the received bytes in.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace orvane {

// a head without its blank line stops being read here
inline constexpr size_t kMaxHeadBytes = 4096;
// a chunk-size line stops being read here
inline constexpr size_t kMaxChunkLineBytes = 10;
// the largest body the client accepts, announced or chunked: API answers
// are small, and an announcement beyond this must not make it allocate
inline constexpr int64_t kMaxBodyBytes = 64 * 1024 * 1024;

inline constexpr char kUserAgentLine[] =
    "User-Agent:Mozilla/4.0 (compatible; MSIE 5.00; Windows 98)\r\n";

std::string BuildHeadRequest(const std::string& host, const std::string& path);
std::string BuildGetRequest(const std::string& host, const std::string& path);
std::string BuildPostHead(const std::string& host,
                          const std::string& path,
                          const std::string& boundary,
                          int64_t contentLength);
std::string BuildConnectRequest(const std::string& host, int port);

// Collects a response head byte by byte. After a CR the next byte is taken
// as it comes: LF goes on looking for CR LF, anything else restarts the
// search after it.
class HeadScanner {
 public:
  // appends the byte; true when the head is complete (CR LF CR LF) or holds
  // kMaxHeadBytes bytes
  bool Add(char c);
  const std::string& text() const { return text_; }

 private:
  std::string text_;
  int matched_ = 0;  // bytes of CR LF CR LF seen in a row
};

// Collects a chunk-size line: up to CR LF, or kMaxChunkLineBytes bytes.
class ChunkLineScanner {
 public:
  bool Add(char c);
  const std::string& text() const { return text_; }

 private:
  std::string text_;
  bool afterCr_ = false;
};

struct ResponseHead {
  std::vector<std::string> lines;  // split at CR and LF, empty ones dropped
  std::string status;              // the 3 characters at offset 9 of the first line
  int64_t contentLength = 0;       // the first "Content-Length:" line, else 0
};
ResponseHead ParseHead(const std::string& text);

// the status of a status line: the up to 3 characters at offset 9 when the
// line has at least 12 characters, else empty
std::string StatusOfLine(const std::string& line);

// the size a chunk-size line announces: -1 when it has no CR LF, more than
// 8 digits or a size beyond 31 bits; 0 for a bare CR LF. Hexadecimal digits
// before the CR LF (or before a ';' that starts an extension); any other
// character counts as the digit 0.
int64_t ParseChunkSize(const std::string& line);

// true when a proxy's answer to CONNECT (up to its first zero byte) has the
// status 200
bool TunnelOpened(const std::string& answer);

}  // namespace orvane
