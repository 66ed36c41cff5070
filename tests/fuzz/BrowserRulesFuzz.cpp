// The texts the browser launch reads from the system (open commands in the
// registry, program paths, process snapshots) and the URL it passes on.
#include <cstddef>
#include <cstdint>
#include <string>

#include "platform/BrowserRules.h"
#include "platform/ProcessSnapshot.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  uint32_t id = 0;
  for (size_t i = 0; i < 4 && i < size; ++i)
    id |= static_cast<uint32_t>(data[i]) << (8 * i);
  orvane::FindProcessRunState(data, size, id);

  std::wstring text(data, data + size);
  std::wstring path = orvane::BrowserPathFromOpenCommand(text);
  if (text.find(path) == std::wstring::npos) __builtin_trap();
  std::wstring cut = orvane::CutAfterExe(text);
  if (text.compare(0, cut.size(), cut) != 0) __builtin_trap();
  if (orvane::IsKnownBrowser(text) != (orvane::BrowserRank(text) != 99)) __builtin_trap();
  orvane::FindDownloadFolderClue(text);
  orvane::BrowserTally tally;
  tally.Add(text);
  if (tally.count() > 13) __builtin_trap();

  std::wstring url = orvane::EscapeUrlForCommandLine(text);
  if (!url.empty() && url[0] == L'-') __builtin_trap();
  for (wchar_t c : url) {
    if (static_cast<uint32_t>(c) <= 0x20 || c == L'"') __builtin_trap();
  }
  return 0;
}
