// The journal and acknowledgement files, which other processes (or a crash
// in the middle of a write) may have left in any state.
#include <cstddef>
#include <cstdint>
#include <string>

#include "qlx/Journal.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string bytes(reinterpret_cast<const char*>(data), size);
  auto lines = orvane::qlx::SplitCompleteLines(bytes, 7, size % 2 == 0);
  uint64_t last = 7;
  for (const auto& line : lines) {
    if (line.begin != last || line.end <= line.begin || line.end > 7 + size) __builtin_trap();
    if (!line.uid.empty() && line.uid.size() != 32) __builtin_trap();
    last = line.end;
  }
  auto batch = orvane::qlx::MakeBatch(lines, 3, 200);
  if (batch.uids.size() > 3) __builtin_trap();
  if (!lines.empty() && (batch.end < lines.front().end || batch.end > last)) __builtin_trap();

  orvane::qlx::AckState ack;
  if (orvane::qlx::ParseAckState(bytes, &ack)) {
    orvane::qlx::AckState again;
    if (!orvane::qlx::ParseAckState(orvane::qlx::FormatAckState(ack), &again) ||
        again.offset != ack.offset || again.uid != ack.uid) {
      __builtin_trap();
    }
  }
  orvane::qlx::AckState some{size, "0123456789abcdef0123456789abcdef"};
  orvane::qlx::AckFitsJournal(some, size, bytes);
  return 0;
}
