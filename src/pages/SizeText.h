// How the custom page shows a size in bytes: one decimal and the largest
// unit that keeps the number at 1 or more ("1.5 KB", "240.0 MB").
// Platform-free.
#pragma once

#include <string>

namespace orvane {

// x <= 1024: "%.1f B"; below 1 MiB: KB; below 1 GiB: MB; below 1 TiB: GB;
// else TB. At most 31 characters.
std::wstring SizeText(double bytes);

}  // namespace orvane
