#include "net/TCPHttp.h"

#include "net/HttpWire.h"

namespace orvane {

CTCPHttp::CTCPHttp(const std::string& host, int port) {
  SetHostWithFallback(host, port);
}

void CTCPHttp::Head(const std::string& host,
                    const std::string& path,
                    std::vector<std::string>* lines,
                    std::string* status) {
  std::string request = BuildHeadRequest(host, path);
  Connect();
  SendAll(request);
  int64_t ignored = 0;
  ReadHead(lines, status, &ignored);
}

void CTCPHttp::Get(const std::string& host,
                   const std::string& path,
                   std::string* status,
                   int64_t* contentLength,
                   std::vector<std::string>* lines) {
  std::string request = BuildGetRequest(host, path);
  Connect();
  SendAll(request);
  ReadHead(lines, status, contentLength);
}

std::string CTCPHttp::GetBody(const std::string& host, const std::string& path, int64_t maxBytes) {
  std::string status;
  int64_t length = 0;
  std::vector<std::string> lines;
  Get(host, path, &status, &length, &lines);
  if (status != "200") return {};
  return ReadAnswerBody(length, maxBytes);
}

std::string CTCPHttp::PostForm(const std::string& host, const std::string& path, HttpForm& form) {
  int64_t total = form.BeginBody();
  std::string head = BuildPostHead(host, path, form.boundary(), total);
  Connect();
  SendAll(head);
  int64_t length = 0;
  while (form.NextPiece(&length)) {
    if (!form.out().empty()) SendAll(form.out());
  }
  std::string status;
  std::vector<std::string> lines;
  ReadHead(&lines, &status, &length);
  return ReadAnswerBody(length);
}

std::string CTCPHttp::ReadAnswerBody(int64_t contentLength, int64_t maxBytes) {
  if (contentLength > 0) return ReadBody(contentLength, maxBytes);
  std::string body;
  ReadChunkedBody(&body, maxBytes);
  return body;
}

}  // namespace orvane
