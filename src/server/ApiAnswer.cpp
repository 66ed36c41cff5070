#include "server/ApiAnswer.h"

#include <memory>

#include "platform/Error.h"
#include "platform/StringUtil.h"

namespace orvane {

namespace {

// a payload member; data may be null (an empty payload)
Json::Value Member(const Json::Value& data, const char* key) {
  if (data.isNull()) return Json::Value();
  // a payload that is no object is the library's conversion error
  return data.get(key, Json::Value());
}

}  // namespace

std::string PackageInfoPath(const std::string& version, bool is64BitWindows) {
  return std::string("/applicationService/installer/getAppVersion?appId=") + kAppId +
         "&versionCode=" + version + "&packageSystemSupport=" + (is64BitWindows ? "2" : "1");
}

std::string WelcomePath(const std::string& channel) {
  return "/applicationService/channel/welcome?channel=" + channel;
}

std::string VersionToSend(const std::string& productVersion) {
  return productVersion.empty() ? kFallbackVersion : productVersion;
}

std::string JsonText(const Json::Value& value) {
  if (value.isNull()) return {};
  if (value.isBool()) return value.asBool() ? "true" : "false";
  return value.asString();
}

Json::Value ParseApiBody(const std::string& body) {
  // Json::Reader, as the answers were always read: it takes the first value
  // and lets what follows it pass (a comment, a second object, a newline
  // and junk from a proxy), takes comments and trailing commas, and
  // rejects nothing a server has relied on. A byte order mark is skipped.
  static const char kBom[] = "\xEF\xBB\xBF";
  const size_t skip = body.compare(0, 3, kBom) == 0 ? 3 : 0;
  Json::Reader reader;
  Json::Value root;
  bool parsed = false;
  try {
    parsed = body.size() > skip &&
             reader.parse(body.data() + skip, body.data() + body.size(), root, false);
  } catch (const std::exception&) {
    // nesting beyond the reader's limit
  }
  if (!parsed || !root.isObject()) throw Error("parse decrypt data error");
  return root;
}

Json::Value EnvelopeData(const Json::Value& root) {
  if (!root.isMember("code") || !root.isMember("data")) throw Error("member not exist");
  if (JsonText(root["code"]) != kServerSuccess) throw Error("request error");
  return root["data"];
}

void SortUrlsByWeight(std::vector<PackageUrl>* urls) {
  // a bubble sort that swaps only strictly lighter entries keeps ties in order
  for (size_t pass = 0; pass + 1 < urls->size(); ++pass) {
    for (size_t i = 0; i + 1 < urls->size() - pass; ++i) {
      if ((*urls)[i].weight < (*urls)[i + 1].weight) std::swap((*urls)[i], (*urls)[i + 1]);
    }
  }
}

PackageRecord ReadPackageAnswer(const std::string& body, bool is64BitWindows) {
  Json::Value data = EnvelopeData(ParseApiBody(body));
  PackageRecord record;
  // an empty address is no download location
  std::string url = JsonText(Member(data, "downloadUrl"));
  if (!url.empty()) record.urls.push_back({0, url, 0});
  record.versionCode = JsonText(Member(data, "versionCode"));
  record.size = ParseInt64(JsonText(Member(data, "size")));
  record.installationSize = ParseInt64(JsonText(Member(data, "installationSize")));
  record.md5 = JsonText(Member(data, "md5"));
  if (record.size == 0)
    record.size = is64BitWindows ? kDefaultPackageSize64 : kDefaultPackageSize32;
  if (record.installationSize == 0) record.installationSize = kDefaultInstallationSize;
  SortUrlsByWeight(&record.urls);
  return record;
}

WelcomeRecord ReadWelcomeAnswer(const std::string& body) {
  Json::Value root = ParseApiBody(body);
  WelcomeRecord record;
  if (!root.isMember("code") || !root.isMember("data")) return record;
  const Json::Value& code = root["code"];
  // only a string member has a string value to read
  if (!code.isString()) throw Error("code is not a string");
  if (code.asString() != kServerSuccess) return record;
  const Json::Value& data = root["data"];
  record.appId = JsonText(Member(data, "appId"));
  record.appName = JsonText(Member(data, "appName"));
  record.welcomeUrl = JsonText(Member(data, "welcomeUrl"));
  record.advertisingAccountName = JsonText(Member(data, "advertisingAccountName"));
  Json::Value ocpc = Member(data, "kelmorOcpc");
  record.kelmorOcpc = !ocpc.isNull() && ocpc.asBool();
  return record;
}

void CheckConversionAnswer(const std::string& body) {
  Json::CharReaderBuilder builder;
  std::unique_ptr<Json::CharReader> reader(builder.newCharReader());
  Json::Value root;
  std::string errors;
  if (body.empty() || !reader->parse(body.data(), body.data() + body.size(), &root, &errors))
    throw Error("parse decrypt data error");
}

}  // namespace orvane
