// HttpForm: the text fields of a multipart/form-data body, produced piece
// by piece for CTCPHttp::PostForm. Fields go out in byte-wise name order.
#pragma once

#include <cstdint>
#include <map>
#include <string>

namespace orvane {

class HttpForm {
 public:
  // the delimiter line: 29 dashes, then 7da1f4c300560
  static constexpr char kBoundary[] = "-----------------------------7da1f4c300560";

  // ignored while a body is being produced
  void AddField(const std::string& name, const std::string& value);
  // forgets the production state
  void Reset();
  // starts a body: computes every length and returns the exact body length
  int64_t BeginBody();
  // the next piece in out() and its length; false when the body is complete
  bool NextPiece(int64_t* length);

  const std::string& out() const { return out_; }
  const std::string& boundary() const { return boundary_; }
  int64_t totalLength() const { return totalLength_; }
  bool empty() const { return fields_.empty(); }

 private:
  struct Entry {
    std::string value;
    std::string partHead;
    int64_t length = 0;
  };
  using Fields = std::map<std::string, Entry>;

  Fields fields_;
  std::string boundary_ = kBoundary;
  int64_t totalLength_ = 0;
  Fields::iterator cursor_;
  int64_t progress_ = -1;
  bool closed_ = false;  // the closing delimiter has gone out
  std::string out_;
};

}  // namespace orvane
