// The vendor API requests over the installer's own HTTP client: a fresh
// CTCPHttp per request, send and receive time-outs of 5000 ms, and the
// request in flight aborted when the query is cancelled.
#pragma once

#include <string>

#include "server/ApiQueries.h"

namespace orvane {

// where a query goes; the defaults are the build's endpoints
struct ApiEndpoint {
  std::string host;          // the gateway's (or service's) host name
  std::string fixedAddress;  // the gateway's fixed address, for the package query
  int port = 80;
};
ApiEndpoint GatewayEndpoint();
ApiEndpoint ConversionEndpoint();

class CApiTransport : public IApiTransport {
 public:
  static constexpr int kTimeoutMs = 5000;

  CApiTransport(QueryCancel& cancel, int port) : cancel_(cancel), port_(port) {}

  // both resolve the host only once the cancel can abort the lookup

  std::string Get(const std::string& host, const std::string& path) override;
  std::string Post(const std::string& host, const std::string& path, HttpForm& form) override;

 private:
  QueryCancel& cancel_;
  int port_;
};

// how long the stop of a start-up query waits for its worker; the request in
// flight is aborted within a tenth of a second, so this is reached only
// when a call that nothing can interrupt holds the worker, which is then
// left to finish on its own
inline constexpr unsigned long kQueryStopWaitMs = 3000;

}  // namespace orvane
