#include "net/DnsResolver.h"

#include <algorithm>
#include <vector>

#include "BuildConfig.h"
#include "net/NetworkApi.h"

namespace orvane {

namespace {
constexpr size_t kReceiveBuffer = 65536;
}  // namespace

const char* PublicDnsServer(int index) {
  return index >= 0 && index < 6 ? config::kPublicDns[index] : nullptr;
}

int ResolveByUdp(const char* host,
                 AddressList* addresses,
                 const char* server,
                 const AbortCheck& aborted) {
  if (!host || !addresses) return -1;
  addresses->count = 0;
  INetworkApi& api = NetworkApi();

  std::vector<std::string> candidates;
  uint32_t address = 0;
  if (server && ParseIPv4(server, &address)) {
    candidates.push_back(server);
  } else {
    api.DnsServers(&candidates);
    if (candidates.empty())
      for (int i = 0; i < 6; ++i)
        candidates.push_back(PublicDnsServer(i));
  }
  // only the first candidate is asked; one that is not IPv4 ends the call
  if (!ParseIPv4(candidates.front(), &address)) return -1;

  std::string query = BuildDnsQuery(host, api.QueryId());
  if (query.empty()) return -1;

  ScopedSocket s(api, api.OpenUdp());
  if (s.get() == kNoSocket) return -1;
  if (api.SendTo(s.get(), query.data(), static_cast<int>(query.size()), address, kDnsPort) < 0)
    return -1;
  // the answer's wait in slices that add up to kDnsAnswerWaitMs
  WaitResult w = WaitResult::kTimeout;
  for (int waited = 0; waited < kDnsAnswerWaitMs && w == WaitResult::kTimeout;) {
    if (aborted && aborted()) return -1;
    int slice = std::min(kAbortPollMs, kDnsAnswerWaitMs - waited);
    w = api.WaitReadable(s.get(), slice);
    waited += slice;
  }
  if (w != WaitResult::kReady) return -1;
  std::vector<char> answer(kReceiveBuffer);
  int got = api.RecvFrom(s.get(), answer.data(), static_cast<int>(answer.size()));
  if (got < 0) return -1;
  return ParseDnsAnswer(reinterpret_cast<const uint8_t*>(answer.data()), static_cast<size_t>(got),
                        query.size(), addresses);
}

}  // namespace orvane
