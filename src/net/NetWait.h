// Waiting on the network without hanging. Every wait has a deadline and
// looks at an abort check every kAbortPollMs. The calls the system cannot
// interrupt (its resolver, the user's proxy configuration) run on a thread
// of their own; when the wait for one is aborted, that thread is abandoned:
// it finishes the call whenever the system lets it and touches nothing but
// its own record, so it holds none of our locks and no object of the
// caller. At process exit such a thread is simply ended with the process.
#pragma once

#include <functional>
#include <string>

#include "net/NetSettings.h"
#include "net/NetworkApi.h"

namespace orvane {

// true once the caller wants the wait to end
using AbortCheck = std::function<bool()>;

// how often a wait looks at its abort check
inline constexpr int kAbortPollMs = 100;
// the longest wait for a connect of our own. A blocking connect would wait
// as long as the system keeps trying (about 21 s on Windows, minutes
// elsewhere); a connect that has not completed in 10 s is taken as failed.
inline constexpr int kConnectWaitMs = 10000;

enum class ConnectOutcome { kConnected, kFailed, kTimedOut, kAborted };

// connects the non-blocking socket s to address:port and waits at most ms
// for the outcome. A connect that fails at once fails without any wait.
ConnectOutcome ConnectWithin(INetworkApi& api,
                             SocketId s,
                             uint32_t address,
                             uint16_t port,
                             int ms,
                             const AbortCheck& aborted);

enum class LookupOutcome { kFound, kNotFound, kAborted };

// the system resolver's first IPv4 address of host, abandoned on abort
LookupOutcome LookupHostUnlessAborted(INetworkApi& api,
                                      const std::string& host,
                                      uint32_t* address,
                                      const AbortCheck& aborted);

// the user's proxy configuration for url (INetworkApi::UserProxy),
// abandoned on abort; false then, and proxy is left as it was
bool UserProxyUnlessAborted(INetworkApi& api,
                            const std::string& url,
                            ProxySettings* proxy,
                            const AbortCheck& aborted);

}  // namespace orvane
