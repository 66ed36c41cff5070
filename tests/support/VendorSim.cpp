#include "support/VendorSim.h"

#include <cstdio>

#include "support/WineTestSupport.h"

namespace orvane::test {

namespace {

std::wstring StateFile(const std::string& name) {
  return HostPath(std::string(ORVANE_VENDOR_SIM_STATE) + "/" + name);
}

// "=== <seq> <listener> <endpoint> <ms> <bytes>\n<bytes>\n"
bool ParseFrame(const std::string& log, size_t* at, SimRequest* out) {
  size_t nl = log.find('\n', *at);
  if (nl == std::string::npos || log.compare(*at, 4, "=== ") != 0) return false;
  std::string line = log.substr(*at + 4, nl - *at - 4);
  char listener[64] = {}, endpoint[64] = {};
  long long ms = 0, bytes = 0;
  int seq = 0;
  if (std::sscanf(line.c_str(), "%d %63s %63s %lld %lld", &seq, listener, endpoint, &ms, &bytes) !=
      5)
    return false;
  size_t start = nl + 1;
  if (bytes < 0 || start + static_cast<size_t>(bytes) + 1 > log.size()) return false;
  out->seq = seq;
  out->listener = listener;
  out->endpoint = endpoint;
  out->timeMs = ms;
  out->raw = log.substr(start, static_cast<size_t>(bytes));
  *at = start + static_cast<size_t>(bytes) + 1;

  size_t headEnd = out->raw.find("\r\n\r\n");
  std::string head = out->raw.substr(0, headEnd);
  out->body = headEnd == std::string::npos ? std::string() : out->raw.substr(headEnd + 4);
  out->headers.clear();
  size_t pos = 0;
  for (bool first = true;; first = false) {
    size_t end = head.find("\r\n", pos);
    std::string piece = head.substr(pos, end == std::string::npos ? std::string::npos : end - pos);
    if (first) {
      out->requestLine = piece;
    } else {
      out->headers.push_back(piece);
    }
    if (end == std::string::npos) break;
    pos = end + 2;
  }
  return true;
}

}  // namespace

std::vector<SimRequest> SimRequests() {
  std::string log = ReadFileBytes(StateFile("requests.log"));
  std::vector<SimRequest> out;
  size_t at = 0;
  SimRequest r;
  while (at < log.size() && ParseFrame(log, &at, &r))
    out.push_back(r);
  return out;
}

std::vector<SimRequest> SimRequestsTo(const std::string& endpoint) {
  std::vector<SimRequest> out;
  for (SimRequest& r : SimRequests())
    if (r.endpoint == endpoint) out.push_back(std::move(r));
  return out;
}

bool WaitForSimRequests(const std::string& endpoint, size_t count, DWORD timeoutMs) {
  for (DWORD waited = 0;; waited += 50) {
    if (SimRequestsTo(endpoint).size() >= count) return true;
    if (waited >= timeoutMs) return false;
    ::Sleep(50);
  }
}

void SetSimScenario(const std::string& json) {
  static unsigned serial = 0;
  // a new text every time, so that the simulator starts counting again
  std::string tag = "\"_serial\":\"" + std::to_string(::GetCurrentProcessId()) + "." +
                    std::to_string(++serial) + "." + std::to_string(::GetTickCount()) + "\"";
  size_t brace = json.find('{');
  std::string rest = brace == std::string::npos ? "}" : json.substr(brace + 1);
  bool empty = rest.find_first_not_of(" \t\r\n") == rest.find('}');
  WriteFileBytes(StateFile("scenario.json"), "{" + tag + (empty ? "" : ",") + rest);
  WriteFileBytes(StateFile("requests.log"), "");
}

std::string ExpectedGet(const std::string& host, const std::string& path) {
  return "GET " + path + " HTTP/1.1\r\nHost: " + host + "\r\nConnection: close\r\n\r\n";
}

}  // namespace orvane::test
