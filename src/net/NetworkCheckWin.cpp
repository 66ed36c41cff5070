#include <windows.h>
#include <winhttp.h>

#include "net/NetworkCheck.h"
#include "net/ProxyList.h"
#include "platform/Handles.h"
#include "platform/StringConv.h"

namespace orvane {

namespace {

struct WinHttpTraits {
  using Type = HINTERNET;
  static Type Empty() { return nullptr; }
  static bool IsValid(Type h) { return h != nullptr; }
  static void Close(Type h) { ::WinHttpCloseHandle(h); }
};
using WinHttpHandle = HandleT<WinHttpTraits>;

// the strings WinHTTP hands out, freed with GlobalFree
struct GlobalStringTraits {
  using Type = LPWSTR;
  static Type Empty() { return nullptr; }
  static bool IsValid(Type h) { return h != nullptr; }
  static void Close(Type h) { ::GlobalFree(h); }
};
using GlobalString = HandleT<GlobalStringTraits>;

void AskConfigurationScript(const std::string& url, LPWSTR scriptUrl, ProxySettings* proxy) {
  WinHttpHandle session(::WinHttpOpen(nullptr, WINHTTP_ACCESS_TYPE_DEFAULT_PROXY,
                                      WINHTTP_NO_PROXY_NAME, WINHTTP_NO_PROXY_BYPASS,
                                      WINHTTP_FLAG_ASYNC));
  if (!session) return;
  WINHTTP_AUTOPROXY_OPTIONS options{};
  options.dwFlags = WINHTTP_AUTOPROXY_CONFIG_URL;
  options.lpszAutoConfigUrl = scriptUrl;
  options.fAutoLogonIfChallenged = TRUE;
  WINHTTP_PROXY_INFO info{};
  std::wstring wideUrl = AnsiToWide(url);
  if (!::WinHttpGetProxyForUrl(session.get(), wideUrl.c_str(), &options, &info)) return;
  GlobalString list(info.lpszProxy), bypass(info.lpszProxyBypass);
  if (info.dwAccessType == WINHTTP_ACCESS_TYPE_NO_PROXY) {
    proxy->type = kProxyDirect;
  } else if (info.dwAccessType == WINHTTP_ACCESS_TYPE_NAMED_PROXY && list) {
    ParseProxyList(WideToUtf8(list.get()), proxy);
  }
}

}  // namespace

void DiscoverProxy(const std::string& url, ProxySettings* proxy) {
  proxy->type = kProxyDirect;
  WINHTTP_CURRENT_USER_IE_PROXY_CONFIG config{};
  if (!::WinHttpGetIEProxyConfigForCurrentUser(&config)) return;
  GlobalString script(config.lpszAutoConfigUrl), list(config.lpszProxy),
      bypass(config.lpszProxyBypass);
  if (script) {
    AskConfigurationScript(url, script.get(), proxy);
  } else if (list) {
    ParseProxyList(WideToUtf8(list.get()), proxy);
  }
}

}  // namespace orvane
