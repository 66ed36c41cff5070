#include <windows.h>
#include <winhttp.h>

#include "app/AppGlobals.h"
#include "net/NetworkCheck.h"
#include "net/ProxyList.h"
#include "platform/EventSink.h"
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

// guarded by the AppGlobals mutex
bool g_proxyReported = false;
bool g_resolverReported = false;

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
    proxy->type = 0;
  } else if (info.dwAccessType == WINHTTP_ACCESS_TYPE_NAMED_PROXY && list) {
    ParseProxyList(WideToUtf8(list.get()), proxy);
  }
}

// one vNetworkCheck event per kind of fallback and process; the caller holds
// the AppGlobals mutex
void ReportFallbackOnce(bool* reported,
                        const char* networkType,
                        int connType,
                        const std::string& hostName) {
  if (*reported) return;
  EventSink().Send(Event("vNetworkCheck")
                       .String("network_type", networkType)
                       .Int("conn_type", connType)
                       .String("host_name", hostName));
  *reported = true;
}

}  // namespace

void DiscoverProxy(const std::string& url, ProxySettings* proxy) {
  proxy->type = 0;
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

void RecordProxyFallback(const ProxySettings& proxy) {
  AppGlobals* g = GetAppGlobals();
  if (!g) return;
  XMutexLock hold(g->lock);
  ReportFallbackOnce(&g_proxyReported, "网络代理", proxy.type, proxy.host);
  g->proxy = proxy;
}

void RecordResolverFallback(const ResolverSettings& resolver) {
  AppGlobals* g = GetAppGlobals();
  if (!g) return;
  XMutexLock hold(g->lock);
  ReportFallbackOnce(&g_resolverReported, "DNS解析", resolver.mode, resolver.server);
  g->resolver = resolver;
}

void ResetNetworkCheckReports() {
  AppGlobals* g = GetAppGlobals();
  if (g) g->lock.Lock();
  g_proxyReported = false;
  g_resolverReported = false;
  if (g) g->lock.Unlock();
}

}  // namespace orvane
