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
// Anything else (another status, another body, a broken or missing reply)
// leaves the batch unacknowledged: it is sent again later.
#pragma once

#include <map>
#include <string>

namespace orvane::qlx {

struct UploadTarget {
  std::string host;
  int port = 80;
  std::string path;
  std::string appId;
  std::string appKey;
  std::string urlVersion;
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

// argument checks of the setters
bool IsValidHostName(const std::string& host);
bool IsValidSensorPath(const std::string& path);
bool IsValidAppId(const std::string& appId);
bool IsValidAppKey(const std::string& key);
bool IsValidAppName(const std::string& name);
bool IsValidUrlVersion(const std::string& version);

}  // namespace orvane::qlx
