// The welcome page's address after a completed install: the channel's page
// (or the product's default one) with the install's identity parameters.
// Platform-free.
//
//   <welcome page><sep>_channel=C&_mid=M&cam=K&app_version=V&time_stamp=T
//       &session_id=<md5 of everything before "&session_id=">
//       [&ad_account=A&def_welcom_url=<default page, encoded>]   (channel page only)
//
// The channel's page and the account name come from the vendor's server, the
// channel from the installer's file name: none of them is trusted. The page
// keeps its structure but every byte a URL cannot carry as it is (controls,
// space, quotes, non-ASCII, ...) is percent-escaped, and every parameter
// value is encoded as a query component, which leaves the usual values
// (letters, digits, "-_.") unchanged. So no value can add parameters, break
// the command line the browser gets, or put a line break into config.ini.
#pragma once

#include <string>

namespace orvane {

// "?" when the URL has no "?"; nothing when its first "?" is its last
// character; otherwise "&", unless the first "&" is the last character
std::string QuerySeparatorFor(const std::string& url);

// byte by byte: space "+", A-Z a-z 0-9 and -_.!~*'() as they are, every
// other byte "%" and two upper-case hex digits
std::string UrlEncode(const std::string& utf8);

// percent-escapes controls, space, non-ASCII bytes and " < > \ ^ ` { | }
// (upper-case hex); every other byte, "%" included, stays
std::string EscapeUrlText(const std::string& url);

struct WelcomeParts {
  std::string channelPage;  // the channel's welcome page from the server; empty: none
  std::string defaultPage;  // the product's own welcome page
  std::string channel;
  std::string mid;
  std::string cam;
  std::string version;
  std::string timeStamp;
  std::string accountName;
};

struct WelcomeUrl {
  bool sem = false;       // the channel's page was used
  std::string url;        // UTF-8
  std::string sessionId;  // MD5 of the URL through its time stamp
};

WelcomeUrl ComposeWelcomeUrl(const WelcomeParts& parts);

}  // namespace orvane
