// CTCPHttp: one HTTP/1.1 request over a CTCPClient connection (GET, HEAD or
// a multipart POST), with "Connection: close". Construction resolves the
// host, falling back to the own resolver; failures are thrown as in
// CTCPClient.
#pragma once

#include <string>
#include <vector>

#include "net/HttpForm.h"
#include "net/TCPClient.h"

namespace orvane {

class CTCPHttp : public CTCPClient {
 public:
  CTCPHttp(const std::string& host, int port);
  // resolves nothing: SetHostWithFallback follows, once whoever may abort
  // the request knows the object
  CTCPHttp() = default;

  // an empty host sends no Host line
  void Head(const std::string& host,
            const std::string& path,
            std::vector<std::string>* lines,
            std::string* status);
  void Get(const std::string& host,
           const std::string& path,
           std::string* status,
           int64_t* contentLength,
           std::vector<std::string>* lines);
  // the body when the status is "200", else empty; a missing or zero
  // Content-Length means a chunked body. A body announced or sent longer
  // than maxBytes fails with "Body too large".
  std::string GetBody(const std::string& host,
                      const std::string& path,
                      int64_t maxBytes = kMaxBodyBytes);
  // the answer's body whatever its status
  std::string PostForm(const std::string& host, const std::string& path, HttpForm& form);

 private:
  // a missing or zero Content-Length means a chunked body
  std::string ReadAnswerBody(int64_t contentLength, int64_t maxBytes = kMaxBodyBytes);
};

}  // namespace orvane
