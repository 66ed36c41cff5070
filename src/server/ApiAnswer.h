// The vendor API's request paths and answers, platform-free.
//
// Every query is a plain GET on port 80 whose answer is one JSON object:
//
//   {"code": "server.success",     text; anything else is a refusal
//    "data": { ...payload... }}    object; null counts as an empty payload
//
// Payload values are read as text: a number becomes its decimal text, a
// boolean "true" or "false", null the empty text; an object or an array
// where text is expected is the JSON library's conversion error.
//
// Failure texts: "parse decrypt data error" (not one JSON object),
// "member not exist" (no "code" or no "data"), "request error" ("code" is
// not "server.success").
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include <json/json.h>

#include "config/ProductIdentity.h"

namespace orvane {

// sent when the running program carries no product version
inline constexpr char kFallbackVersion[] = "0.9.0.1";
inline constexpr char kServerSuccess[] = "server.success";

inline constexpr int64_t kDefaultPackageSize32 = 100616912;
inline constexpr int64_t kDefaultPackageSize64 = 130618652;
inline constexpr int64_t kDefaultInstallationSize = 240478201;

struct PackageUrl {
  int kind = 0;
  std::string url;
  int weight = 0;
  bool operator==(const PackageUrl& o) const {
    return kind == o.kind && url == o.url && weight == o.weight;
  }
};

// the payload of getAppVersion, defaults applied
struct PackageRecord {
  std::string versionCode;
  std::string md5;
  int64_t size = 0;
  int64_t installationSize = 0;
  std::vector<PackageUrl> urls;  // descending weight
};

// the payload of the channel welcome query; every key optional
struct WelcomeRecord {
  std::string appId;
  std::string appName;
  std::string welcomeUrl;
  std::string advertisingAccountName;
  bool kelmorOcpc = false;
};

// "/applicationService/installer/getAppVersion?appId=...&versionCode=...
// &packageSystemSupport=1|2"; values go in unencoded
std::string PackageInfoPath(const std::string& version, bool is64BitWindows);
std::string WelcomePath(const std::string& channel);
// the version text to send: the fallback for an empty one
std::string VersionToSend(const std::string& productVersion);

// text conversion of a payload value; throws the library's error for an
// object or array
std::string JsonText(const Json::Value& value);

// the body's first value, which must be a JSON object; text after it is not
// looked at. "parse decrypt data error" otherwise.
Json::Value ParseApiBody(const std::string& body);
// "data" of a strict envelope (see the file comment)
Json::Value EnvelopeData(const Json::Value& root);

// stable: equal weights keep their order
void SortUrlsByWeight(std::vector<PackageUrl>* urls);

// the package answer with its strict envelope, the defaults and the sorted
// URL list
PackageRecord ReadPackageAnswer(const std::string& body, bool is64BitWindows);

// the welcome answer: another or a missing "code", or a missing "data",
// give an empty record without error; a "code" that is not a string fails
WelcomeRecord ReadWelcomeAnswer(const std::string& body);

// the conversion service's answer only has to be JSON
void CheckConversionAnswer(const std::string& body);

}  // namespace orvane
