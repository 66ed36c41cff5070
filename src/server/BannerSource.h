// CBannerSource: the banner animation's picture as the vendor API names it.
// It asks the gateway for the installer configuration, then fetches the GIF
// at its "gif_url" with plain HTTP, each with the installer's own client
// and the API's time-outs. Cancel aborts the request in flight.
#pragma once

#include <atomic>
#include <string>

#include "server/QueryCancel.h"
#include "ui/MovieSource.h"

namespace orvane {

class CBannerSource : public IMovieSource {
 public:
  // the configuration request: gateway host, port and path with its query.
  // Holds a Winsock reference of its own while it lives.
  CBannerSource(std::string host, int port, std::string path);
  ~CBannerSource() override;
  CBannerSource(const CBannerSource&) = delete;
  CBannerSource& operator=(const CBannerSource&) = delete;

  std::string FetchPicture(size_t maxBytes) override;
  void Cancel() override { cancel_.Set(); }

 private:
  // the body of a 200 answer; empty on any failure or once cancelled
  std::string Get(const std::string& host, int port, const std::string& path, int64_t maxBytes);

  std::string host_;
  int port_;
  std::string path_;
  QueryCancel cancel_;
  bool winsock_ = false;
};

// the product's source: the build's gateway, port 80, the configuration path
CBannerSource* CreateBannerSource();

}  // namespace orvane
