// The vendor API simulator (tools/vendor_sim.py) for the Wine tests: its
// request log, read byte for byte, and its scenario, switched while it runs.
// It listens as the gateway on 127.0.0.10:80 (api.orvane.test) and as the
// conversion service on 127.0.0.14:80 (conv.orvane.test). Tests that need it
// require the fixture "peer.vendor-sim"; tests that switch its scenario hold
// the resource lock "vendor-sim".
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

namespace orvane::test {

struct SimRequest {
  int seq = 0;
  std::string listener;  // "127.0.0.10:80"
  std::string endpoint;  // "package", "welcome", "config", "picture", "conversion",
                         // "unknown"; "<name>-partial" when cut short
  int64_t timeMs = 0;    // arrival, ms since 1970
  std::string raw;       // every byte as received
  std::string requestLine;
  std::vector<std::string> headers;  // header lines in their order, without CR LF
  std::string body;
};

// the log since the last SetSimScenario
std::vector<SimRequest> SimRequests();
std::vector<SimRequest> SimRequestsTo(const std::string& endpoint);
// waits until at least `count` requests to the endpoint are logged
bool WaitForSimRequests(const std::string& endpoint, size_t count, DWORD timeoutMs);

// replaces the scenario (a JSON object text, see the simulator's comment)
// and empties the request log; the simulator's per-endpoint counts start
// again even when the text is the same as before
void SetSimScenario(const std::string& json);

// the wire text of a request the installer's client sends for a GET
std::string ExpectedGet(const std::string& host, const std::string& path);

// polls a query's GetStatus until it leaves 0 (running) or the time is up;
// returns the last status
template <class Query>
int WaitStatus(Query& info, DWORD timeoutMs) {
  for (DWORD waited = 0; info.GetStatus() == 0 && waited < timeoutMs; waited += 20)
    ::Sleep(20);
  return info.GetStatus();
}

}  // namespace orvane::test
