#include "app/WelcomeUrl.h"

#include <cstring>

#include "platform/Md5.h"

namespace orvane {

namespace {

constexpr char kHex[] = "0123456789ABCDEF";

void AppendEscaped(std::string* out, unsigned char byte) {
  out->push_back('%');
  out->push_back(kHex[byte >> 4]);
  out->push_back(kHex[byte & 0xF]);
}

bool IsAsciiAlnum(unsigned char c) {
  return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9');
}

}  // namespace

std::string QuerySeparatorFor(const std::string& url) {
  const size_t question = url.find('?');
  if (question == std::string::npos) return "?";
  if (question + 1 == url.size()) return "";
  // only the first "&" is looked at
  const size_t amp = url.find('&');
  if (amp != std::string::npos && amp + 1 == url.size()) return "";
  return "&";
}

std::string UrlEncode(const std::string& utf8) {
  std::string out;
  out.reserve(utf8.size() * 3);
  for (unsigned char c : utf8) {
    if (c == ' ') {
      out.push_back('+');
    } else if (IsAsciiAlnum(c) || (c != 0 && std::strchr("-_.!~*'()", c) != nullptr)) {
      out.push_back(static_cast<char>(c));
    } else {
      AppendEscaped(&out, c);
    }
  }
  return out;
}

std::string EscapeUrlText(const std::string& url) {
  std::string out;
  out.reserve(url.size());
  for (unsigned char c : url) {
    if (c <= 0x20 || c >= 0x7F || std::strchr("\"<>\\^`{|}", c) != nullptr) {
      AppendEscaped(&out, c);
    } else {
      out.push_back(static_cast<char>(c));
    }
  }
  return out;
}

WelcomeUrl ComposeWelcomeUrl(const WelcomeParts& parts) {
  WelcomeUrl result;
  result.sem = !parts.channelPage.empty();
  std::string url = EscapeUrlText(result.sem ? parts.channelPage : parts.defaultPage);
  url += QuerySeparatorFor(url);
  url += "_channel=" + UrlEncode(parts.channel);
  url += "&_mid=" + UrlEncode(parts.mid);
  url += "&cam=" + UrlEncode(parts.cam);
  url += "&app_version=" + UrlEncode(parts.version);
  url += "&time_stamp=" + UrlEncode(parts.timeStamp);
  result.sessionId = Md5Hex(url);
  url += "&session_id=" + result.sessionId;
  if (result.sem) {
    url += "&ad_account=" + UrlEncode(parts.accountName);
    url += "&def_welcom_url=" + UrlEncode(parts.defaultPage);
  }
  result.url = url;
  return result;
}

}  // namespace orvane
