#include "server/ApiTransportWin.h"

#include "BuildConfig.h"
#include "net/TCPHttp.h"

namespace orvane {

ApiEndpoint GatewayEndpoint() {
  return {config::kApiHost, config::kApiIp, 80};
}

ApiEndpoint ConversionEndpoint() {
  return {config::kConversionHost, "", 80};
}

std::string CApiTransport::Get(const std::string& host, const std::string& path) {
  CTCPHttp http;
  ScopedAbortHook abort(cancel_, [&http] { http.Abort(); });
  http.SetHostWithFallback(host, port_);
  http.SetSendTimeout(kTimeoutMs);
  http.SetRecvTimeout(kTimeoutMs);
  return http.GetBody(host, path);
}

std::string CApiTransport::Post(const std::string& host, const std::string& path, HttpForm& form) {
  CTCPHttp http;
  ScopedAbortHook abort(cancel_, [&http] { http.Abort(); });
  http.SetHostWithFallback(host, port_);
  http.SetSendTimeout(kTimeoutMs);
  http.SetRecvTimeout(kTimeoutMs);
  return http.PostForm(host, path, form);
}

}  // namespace orvane
