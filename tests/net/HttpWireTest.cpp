#include "net/HttpWire.h"

#include <gtest/gtest.h>

namespace orvane {
namespace {

TEST(HttpRequest, HeadTextByteForByte) {
  EXPECT_EQ(BuildHeadRequest("cdn.orvane.test", "/pkg/setup.exe"),
            "HEAD /pkg/setup.exe HTTP/1.1\r\n"
            "Host:cdn.orvane.test\r\n"
            "Accept:*/*\r\n"
            "User-Agent:Mozilla/4.0 (compatible; MSIE 5.00; Windows 98)\r\n"
            "Connection:close\r\n"
            "\r\n");
  EXPECT_EQ(BuildHeadRequest("", "/x"),
            "HEAD /x HTTP/1.1\r\n"
            "Accept:*/*\r\n"
            "User-Agent:Mozilla/4.0 (compatible; MSIE 5.00; Windows 98)\r\n"
            "Connection:close\r\n"
            "\r\n");
}

TEST(HttpRequest, GetTextByteForByte) {
  EXPECT_EQ(BuildGetRequest("api.orvane.test", "/v1/pkg?id=1"),
            "GET /v1/pkg?id=1 HTTP/1.1\r\nHost: api.orvane.test\r\nConnection: close\r\n\r\n");
  EXPECT_EQ(BuildGetRequest("", "/"), "GET / HTTP/1.1\r\nConnection: close\r\n\r\n");
}

TEST(HttpRequest, PostHeadAndConnect) {
  EXPECT_EQ(
      BuildPostHead("conv.orvane.test", "/v1/install/kelmor",
                    "-----------------------------7da1f4c300560", 321),
      "POST /v1/install/kelmor HTTP/1.1\r\n"
      "Host: conv.orvane.test\r\n"
      "Content-Type: multipart/form-data; boundary=---------------------------7da1f4c300560\r\n"
      "Content-Length: 321\r\n"
      "Connection: close\r\n\r\n");
  EXPECT_EQ(BuildPostHead("", "/p", "--ab", 5000000000LL),
            "POST /p HTTP/1.1\r\n"
            "Content-Type: multipart/form-data; boundary=ab\r\n"
            "Content-Length: 5000000000\r\n"
            "Connection: close\r\n\r\n");
  EXPECT_EQ(BuildConnectRequest("cdn.orvane.test", 80),
            "CONNECT cdn.orvane.test:80 HTTP/1.1\r\n\r\n");
}

std::string Scan(const std::string& input, size_t* used) {
  HeadScanner s;
  *used = 0;
  for (char c : input) {
    ++*used;
    if (s.Add(c)) break;
  }
  return s.text();
}

TEST(HttpHead, StopsAtTheBlankLine) {
  size_t used = 0;
  EXPECT_EQ(Scan("HTTP/1.1 200 OK\r\nA: b\r\n\r\nbody", &used), "HTTP/1.1 200 OK\r\nA: b\r\n\r\n");
  EXPECT_EQ(used, 25u);
  // after a CR the next byte is consumed as it is, so CR CR LF CR LF is no
  // blank line; the scan goes on to the next CR LF CR LF
  EXPECT_EQ(Scan("HTTP/1.1 200 OK\r\r\n\r\nX\r\n\r\nbody", &used),
            "HTTP/1.1 200 OK\r\r\n\r\nX\r\n\r\n");
  EXPECT_EQ(Scan("A\n\nB\r\n\r\n", &used), "A\n\nB\r\n\r\n");
}

TEST(HttpHead, StopsAt4096Bytes) {
  std::string endless = "HTTP/1.1 200 OK\r\nX-Filler: " + std::string(6000, 'a');
  size_t used = 0;
  std::string head = Scan(endless, &used);
  EXPECT_EQ(head.size(), 4096u);
  EXPECT_EQ(used, 4096u);
}

TEST(HttpHead, StatusLinesAndContentLength) {
  struct Case {
    const char* head;
    const char* status;
    int64_t length;
    size_t lines;
  } cases[] = {
      {"HTTP/1.1 200 OK\r\nContent-Length: 5\r\n\r\n", "200", 5, 2},
      {"HTTP/1.1 404 Not Found\r\n\r\n", "404", 0, 1},
      {"HTTP/1.1 200\r\n\r\n", "200", 0, 1},  // exactly 12 characters
      {"HTTP/1.1 20\r\n\r\n", "", 0, 1},      // shorter than 12
      {"\r\n\r\n", "", 0, 0},
      {"HTTP/1.1 200 OK\r\ncontent-length: 5\r\n\r\n", "200", 0, 2},  // case matters
      {"HTTP/1.1 200 OK\r\nContent-Length:\r\n\r\n", "200", 0, 2},    // 15 characters
      {"HTTP/1.1 200 OK\r\nContent-Length:7\r\n\r\n", "200", 7, 2},
      {"HTTP/1.1 200 OK\r\nContent-Length:   42\r\n\r\n", "200", 42, 2},
      {"HTTP/1.1 200 OK\r\nContent-Length: 1\r\nContent-Length: 2\r\n\r\n", "200", 1, 3},
      {"HTTP/1.1 200 OK\r\nContent-Length: x\r\n\r\n", "200", 0, 2},
      {"HTTP/1.1 200 OK\r\nContent-Length: -3\r\n\r\n", "200", -3, 2},
      // a 64-bit length arrives whole
      {"HTTP/1.1 200 OK\r\nContent-Length: 5000000000\r\n\r\n", "200", 5000000000LL, 2},
      {"HTTP/1.1 200 OK\nContent-Length: 9\n\n", "200", 9, 2},
  };
  for (const auto& c : cases) {
    ResponseHead h = ParseHead(c.head);
    EXPECT_EQ(h.status, c.status) << c.head;
    EXPECT_EQ(h.contentLength, c.length) << c.head;
    EXPECT_EQ(h.lines.size(), c.lines) << c.head;
  }
}

std::string ScanChunkLine(const std::string& input) {
  ChunkLineScanner s;
  for (char c : input)
    if (s.Add(c)) break;
  return s.text();
}

TEST(HttpChunk, LineStopsAtCrLfOrTenBytes) {
  EXPECT_EQ(ScanChunkLine("5\r\nhello"), "5\r\n");
  EXPECT_EQ(ScanChunkLine("\r\n0\r\n"), "\r\n");
  EXPECT_EQ(ScanChunkLine("12345678\r\nX"), "12345678\r\n");
  EXPECT_EQ(ScanChunkLine("1234567890abc"), "1234567890");
  EXPECT_EQ(ScanChunkLine("5\r5\r\n"), "5\r5\r\n");
}

TEST(HttpChunk, SizeRules) {
  struct Case {
    const char* line;
    int64_t size;
  } cases[] = {
      {"5\r\n", 5},
      {"\r\n", 0},
      {"0\r\n", 0},
      {"1a\r\n", 26},
      {"1A\r\n", 26},
      {"00000010\r\n", 16},
      {"7fffffff\r\n", 0x7fffffff},
      {"80000000\r\n", -1},  // beyond 31 bits
      {"ffffffff\r\n", -1},
      {"123456789\r\n", -1},  // a ninth digit would be lost
      {"1234567890", -1},     // no CR LF
      {"5", -1},
      {"", -1},
      {"5;name=v\r\n", 5},  // an extension ends the size
      {"g\r\n", 0},         // any other character is the digit 0
      {"1g\r\n", 16},
  };
  for (const auto& c : cases)
    EXPECT_EQ(ParseChunkSize(c.line), c.size) << c.line;
}

TEST(HttpTunnel, OpensOnlyOnStatus200) {
  EXPECT_TRUE(TunnelOpened("HTTP/1.0 200 Connection established\r\n\r\n"));
  EXPECT_TRUE(TunnelOpened("HTTP/1.1 200\r\n"));
  EXPECT_FALSE(TunnelOpened("HTTP/1.1 407 Proxy Authentication Required\r\n\r\n"));
  EXPECT_FALSE(TunnelOpened("HTTP/1.1 20"));
  EXPECT_FALSE(TunnelOpened(""));
  EXPECT_FALSE(TunnelOpened(std::string("HTTP/1.1\0 200 OK\r\n\r\n", 20)));
}

}  // namespace
}  // namespace orvane
