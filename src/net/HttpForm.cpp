#include "net/HttpForm.h"

namespace orvane {

namespace {
std::string PartHead(const std::string& name) {
  return "Content-Disposition: form-data; name=\"" + name + "\"\r\n\r\n";
}
}  // namespace

void HttpForm::AddField(const std::string& name, const std::string& value) {
  if (progress_ != -1) return;
  Entry& e = fields_[name];
  e.value = value;
  e.length = 0;
  e.partHead = PartHead(name);
}

void HttpForm::Reset() {
  progress_ = -1;
  closed_ = false;
  out_.clear();
}

int64_t HttpForm::BeginBody() {
  Reset();
  boundary_ = kBoundary;
  totalLength_ = 0;
  progress_ = 0;
  const int64_t b = static_cast<int64_t>(boundary_.size());
  for (auto& [name, e] : fields_) {
    totalLength_ += b + 2;
    totalLength_ += static_cast<int64_t>(e.partHead.size());
    e.length = static_cast<int64_t>(e.value.size());
    totalLength_ += e.length + 2;
  }
  totalLength_ += b + 4;
  cursor_ = fields_.begin();
  return totalLength_;
}

bool HttpForm::NextPiece(int64_t* length) {
  out_.clear();
  if (progress_ == -1 || closed_) {
    if (length) *length = 0;
    return false;
  }
  if (cursor_ != fields_.end()) {
    const Entry& e = cursor_->second;
    out_ = boundary_ + "\r\n" + e.partHead + e.value + "\r\n";
    ++cursor_;
  }
  // the piece of the last field carries the closing delimiter; a form
  // without fields still sends it, so the body matches its length
  if (cursor_ == fields_.end()) {
    out_ += boundary_ + "--\r\n";
    closed_ = true;
  }
  progress_ += static_cast<int64_t>(out_.size());
  if (length) *length = static_cast<int64_t>(out_.size());
  return true;
}

}  // namespace orvane
