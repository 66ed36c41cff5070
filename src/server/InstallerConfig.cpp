#include "server/InstallerConfig.h"

#include <algorithm>
#include <exception>

#include "config/ProductIdentity.h"
#include "platform/StringUtil.h"
#include "server/ApiAnswer.h"

namespace orvane {

std::string InstallerConfigPath() {
  return std::string("/applicationService/app/installerConfig?appId=") + kAppId;
}

std::string ReadInstallerConfigAnswer(const std::string& body) {
  Json::Value root;
  try {
    root = ParseApiBody(body);
  } catch (const std::exception&) {
    return {};
  }
  const Json::Value& code = root["code"];
  if (!code.isString() || code.asString() != kServerSuccess) return {};
  const Json::Value& data = root["data"];
  if (!data.isObject()) return {};
  const Json::Value& show = data["ProductsShow"];
  if (!show.isObject()) return {};
  const Json::Value& url = show["gif_url"];
  return url.isString() ? url.asString() : std::string();
}

std::optional<PictureAddress> SplitPictureAddress(const std::string& url) {
  for (unsigned char c : url) {
    if (c <= 0x20 || c == 0x7F) return std::nullopt;
  }
  const std::vector<std::string> pieces = SplitAny(url, "/");
  if (pieces.size() < 3) return std::nullopt;
  const std::vector<std::string> hostPort = SplitAny(pieces[1], ":");
  // SplitAny drops empty parts; "host:" and ":81" must not pass as one part
  const size_t colons = std::count(pieces[1].begin(), pieces[1].end(), ':');
  if (colons > 1 || hostPort.size() != colons + 1) return std::nullopt;
  PictureAddress address;
  address.host = hostPort[0];
  if (hostPort.size() == 2) {
    address.port = static_cast<uint16_t>(ParseInt64(hostPort[1]));
    if (address.port == 0) return std::nullopt;
  }
  for (size_t i = 2; i < pieces.size(); ++i)
    address.path += "/" + pieces[i];
  return address;
}

}  // namespace orvane
