// ResolveByUdp: the own resolver that the HTTP client falls back to when the
// system resolver fails. One A query over UDP to one DNS server, one answer
// read within 3 seconds, no retransmission.
#pragma once

#include <string>

#include "net/DnsMessage.h"
#include "net/NetWait.h"

namespace orvane {

// how long the resolver waits for the answer
inline constexpr int kDnsAnswerWaitMs = 3000;
inline constexpr uint16_t kDnsPort = 53;

// the six public resolvers of the build, in their fixed order; the first is
// the one the client falls back to
const char* PublicDnsServer(int index);

// 0 when at least one address was found, -1 otherwise; never throws.
// server: a dotted IPv4 address, or null/unparsable for the system's DNS
// servers (and the public ones when the system names none). Only the first
// candidate is asked. Blocks for at most kDnsAnswerWaitMs plus one sendto;
// an abort check that turns true ends the wait for the answer with -1.
int ResolveByUdp(const char* host,
                 AddressList* addresses,
                 const char* server,
                 const AbortCheck& aborted = {});

}  // namespace orvane
