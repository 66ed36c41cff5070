#include "server/BannerSource.h"

#include <winsock2.h>

#include <exception>

#include "net/TCPHttp.h"
#include "server/ApiTransportWin.h"
#include "server/InstallerConfig.h"

namespace orvane {

CBannerSource::CBannerSource(std::string host, int port, std::string path)
    : host_(std::move(host)), port_(port), path_(std::move(path)) {
  WSADATA data;
  winsock_ = ::WSAStartup(MAKEWORD(2, 2), &data) == 0;
}

CBannerSource::~CBannerSource() {
  if (winsock_) ::WSACleanup();
}

std::string CBannerSource::Get(const std::string& host,
                               int port,
                               const std::string& path,
                               int64_t maxBytes) {
  if (cancel_.IsSet() || host.empty()) return {};
  try {
    CTCPHttp http(host, port);
    ScopedAbortHook abort(cancel_, [&http] { http.Abort(); });
    http.SetSendTimeout(CApiTransport::kTimeoutMs);
    http.SetRecvTimeout(CApiTransport::kTimeoutMs);
    return http.GetBody(host, path, maxBytes);
  } catch (const std::exception&) {
    return {};
  }
}

std::string CBannerSource::FetchPicture(size_t maxBytes) {
  const std::string url =
      ReadInstallerConfigAnswer(Get(host_, port_, path_, kInstallerConfigMaxBytes));
  if (url.empty()) return {};
  const std::optional<PictureAddress> address = SplitPictureAddress(url);
  if (!address) return {};
  return Get(address->host, address->port, address->path, static_cast<int64_t>(maxBytes));
}

CBannerSource* CreateBannerSource() {
  return new CBannerSource(GatewayEndpoint().host, 80, InstallerConfigPath());
}

}  // namespace orvane
