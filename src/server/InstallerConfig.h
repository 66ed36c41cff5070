// The vendor API's installer configuration and the banner picture it names.
// Platform-free.
//
//   GET /applicationService/app/installerConfig?appId=40917263
//   {"code": "server.success",                  exactly this text
//    "data": {"ProductsShow": {"gif_url": "http://host[:port]/path"}}}
//
// The picture's address is split at "/" into non-empty pieces:
//
//   "http:"  "host[:port]"  "a"  "b.gif"   ->  host, port (80), "/a/b.gif"
//    ignored: the picture is always fetched with plain HTTP
#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace orvane {

// what the answer may weigh; the configuration is a few hundred bytes
inline constexpr int64_t kInstallerConfigMaxBytes = 64 * 1024;

std::string InstallerConfigPath();

// "gif_url" of an accepted answer; empty for anything else: not one JSON
// object, a "code" that is not exactly the text "server.success", or a
// member missing or not of its type (object, object, text)
std::string ReadInstallerConfigAnswer(const std::string& body);

struct PictureAddress {
  std::string host;
  uint16_t port = 80;
  std::string path;
  bool operator==(const PictureAddress& o) const {
    return host == o.host && port == o.port && path == o.path;
  }
};

// nullopt for fewer than three pieces, a host piece with more than one
// ":", an empty host, a port that reads as 0 once cut to 16 bits ("%lld",
// then the low 16 bits), or a space or control character anywhere (it would
// end up inside the request line or the Host header)
std::optional<PictureAddress> SplitPictureAddress(const std::string& url);

}  // namespace orvane
