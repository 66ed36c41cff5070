#include "server/ApiQueries.h"

#include <exception>

#include "platform/Error.h"

namespace orvane {

namespace {

template <typename Request>
std::string Attempt(Request request) {
  try {
    return request();
  } catch (const std::exception&) {
    return {};
  }
}

void ThrowIfCancelled(const QueryCancel& cancel) {
  if (cancel.IsSet()) throw Error("user cancel");
}

// up to `count` attempts, each but the first after a pause
template <typename Request>
std::string LimitedAttempts(QueryCancel& cancel, int count, Request request) {
  std::string body;
  for (int attempt = 0; attempt < count; ++attempt) {
    if (attempt > 0) cancel.Pause(kAttemptPause);
    body = Attempt(request);
    if (!body.empty()) break;
    ThrowIfCancelled(cancel);
  }
  return body;
}

}  // namespace

std::string FetchPackageAnswer(IApiTransport& transport,
                               QueryCancel& cancel,
                               const std::string& host,
                               const std::string& fixedAddress,
                               const std::string& path,
                               int* attempts) {
  int sent = 0;
  for (int cycle = 0;; ++cycle) {
    if (cycle > 0) cancel.Pause(kAttemptPause);
    ThrowIfCancelled(cancel);
    ++sent;
    std::string body = Attempt([&] { return transport.Get(host, path); });
    ThrowIfCancelled(cancel);
    if (body.empty()) {
      ++sent;
      body = Attempt([&] { return transport.Get(fixedAddress, path); });
    }
    if (attempts) *attempts = sent;
    if (!body.empty()) return body;
  }
}

std::string FetchWelcomeAnswer(IApiTransport& transport,
                               QueryCancel& cancel,
                               const std::string& host,
                               const std::string& path) {
  return LimitedAttempts(cancel, kWelcomeAttempts, [&] { return transport.Get(host, path); });
}

std::string PostConversionReport(IApiTransport& transport,
                                 QueryCancel& cancel,
                                 const std::string& host,
                                 const std::string& path,
                                 HttpForm& form) {
  return LimitedAttempts(cancel, kReportAttempts, [&] { return transport.Post(host, path, form); });
}

}  // namespace orvane
