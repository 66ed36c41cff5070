// The upload of journal records to the analytics host.
//
// Request, one batch per connection:
//
//   POST <sensor path> HTTP/1.1
//   Host: <host>[:<port> unless 80]
//   User-Agent: Qlx/1.0
//   Content-Type: application/x-ndjson; charset=utf-8
//   Content-Length: <bytes>
//   X-Qlx-App: <app id>
//   X-Qlx-Batch: <MD5 of the body, lower-case hex>
//   X-Qlx-Count: <records in the body>
//   X-Qlx-Sign: <MD5 of "<app id>\n<app key>\n<batch>", lower-case hex>
//   [X-Qlx-Url-Version: <version set with qlxSetURLVersion>]
//   Connection: close
//
//   <the journal lines of the batch, byte for byte, each ended by "\n">
//
// Acknowledgement: status 200 and a JSON object body whose "ack" is the
// batch id. The receiver stores each record once by its "uid" and
// acknowledges a batch whose records it already has in the same way.
// A refusal for good (400 malformed, 403 bad signature, 413 too large) will
// not change by sending the batch again: the client sets the batch aside.
// Anything else (another status, another body, a broken or missing reply)
// leaves the batch unacknowledged: it is sent again later.
#pragma once

#include <map>
#include <string>

namespace orvane::qlx {

// How the uploads reach the host: the routes the program that loaded the
// module found to work (qlxSetNetRoute). By default the system resolver and
// a direct connection.
struct UploadRoute {
  int proxyType = 0;  // 0 direct, 1 an HTTP proxy asked with CONNECT
  std::string proxyHost;
  int proxyPort = 0;
  int resolverMode = 0;   // 0 the system resolver, 1 one DNS query of our own
  std::string dnsServer;  // dotted IPv4 address, for resolver mode 1
};

// the arguments qlxSetNetRoute takes: proxy type 0, or 1 with a host name or
// address and a port of 1 to 65535; resolver mode 0, or 1 with a dotted
// IPv4 server
bool IsValidRoute(const UploadRoute& route);

struct UploadTarget {
  std::string host;
  int port = 80;
  std::string path;
  std::string appId;
  std::string appKey;
  std::string urlVersion;
  UploadRoute route;
};

std::string BuildUploadRequest(const UploadTarget& target,
                               const std::string& body,
                               const std::string& batchId,
                               size_t recordCount);

// the X-Qlx-Sign value
std::string SignBatch(const std::string& appId,
                      const std::string& appKey,
                      const std::string& batchId);

struct HttpReply {
  int status = 0;
  std::map<std::string, std::string> headers;  // names in lower case, last one wins
  std::string body;
};

enum class ReplyState { kIncomplete, kComplete, kBad };

inline constexpr size_t kMaxReplyHead = 16 * 1024;
inline constexpr size_t kMaxReplyBody = 64 * 1024;

// reads a reply from the bytes received so far; `closed` tells that the
// peer closed the connection, which ends a body without length
ReplyState ParseHttpReply(const std::string& bytes, bool closed, HttpReply* reply);

bool IsAcknowledged(const HttpReply& reply, const std::string& batchId);
// 400, 403 or 413: the receiver will never take this batch
bool IsRefusedForGood(const HttpReply& reply);

// argument checks of the setters
bool IsValidHostName(const std::string& host);
bool IsValidSensorPath(const std::string& path);
bool IsValidAppId(const std::string& appId);
bool IsValidAppKey(const std::string& key);
bool IsValidAppName(const std::string& name);
bool IsValidUrlVersion(const std::string& version);

}  // namespace orvane::qlx
