// The attempt loops of the vendor API queries, platform-free: how often each
// query asks, in which order, and when a cancel ends it. The requests go
// through IApiTransport, which the Win32 side fills with the HTTP client.
#pragma once

#include <chrono>
#include <string>

#include "net/HttpForm.h"
#include "server/QueryCancel.h"

namespace orvane {

// one request; may throw, which counts as an empty answer
class IApiTransport {
 public:
  virtual ~IApiTransport() = default;
  // the body of a 200 answer, else empty
  virtual std::string Get(const std::string& host, const std::string& path) = 0;
  // the answer's body whatever its status
  virtual std::string Post(const std::string& host, const std::string& path, HttpForm& form) = 0;
};

inline constexpr std::chrono::milliseconds kAttemptPause{300};
inline constexpr int kWelcomeAttempts = 3;
inline constexpr int kReportAttempts = 3;

// the package query: the gateway's name, then its fixed address, every
// 300 ms without limit until a body arrives; "user cancel" when cancelled.
// `attempts` counts the requests sent.
std::string FetchPackageAnswer(IApiTransport& transport,
                               QueryCancel& cancel,
                               const std::string& host,
                               const std::string& fixedAddress,
                               const std::string& path,
                               int* attempts = nullptr);

// the welcome query: the gateway's name only, at most three times; an
// empty body after the last one is returned as it is
std::string FetchWelcomeAnswer(IApiTransport& transport,
                               QueryCancel& cancel,
                               const std::string& host,
                               const std::string& path);

// the conversion report: at most three POSTs
std::string PostConversionReport(IApiTransport& transport,
                                 QueryCancel& cancel,
                                 const std::string& host,
                                 const std::string& path,
                                 HttpForm& form);

}  // namespace orvane
