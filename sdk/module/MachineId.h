// The machine id of the SDK: the same text in every process of one machine.
//
// Variant v (1 to 9) is the MD5 of "qlx-mid/v<v>/" followed by the
// machine's installation GUID (HKLM\SOFTWARE\Microsoft\Cryptography
// MachineGuid, 64-bit view), in lower-case hex. Without that GUID a random
// one is kept in "Qlx.mid" beside the module, so the id stays stable.
#pragma once

namespace orvane::qlx {

// null for a variant outside 1 to 9; the text lives as long as the module
const char* MachineIdText(int variant);

}  // namespace orvane::qlx
