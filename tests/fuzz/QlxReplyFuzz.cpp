// The analytics host's reply to an upload, as Qlx.dll reads it.
#include <cstddef>
#include <cstdint>
#include <string>

#include "qlx/UploadProtocol.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string bytes(reinterpret_cast<const char*>(data), size);
  for (bool closed : {false, true}) {
    orvane::qlx::HttpReply reply;
    auto state = orvane::qlx::ParseHttpReply(bytes, closed, &reply);
    if (closed && state == orvane::qlx::ReplyState::kIncomplete) __builtin_trap();
    if (reply.body.size() > orvane::qlx::kMaxReplyBody) __builtin_trap();
    if (state == orvane::qlx::ReplyState::kComplete) {
      orvane::qlx::IsAcknowledged(reply, "0123456789abcdef0123456789abcdef");
    }
  }
  // every prefix of a reply is either incomplete or already decided
  for (size_t cut = 0; cut < bytes.size() && cut < 64; ++cut) {
    orvane::qlx::HttpReply reply;
    orvane::qlx::ParseHttpReply(bytes.substr(0, cut), false, &reply);
  }
  return 0;
}
