// qlxEnableCrashReport: on an unhandled exception, write a minidump into
// "dumps\" beside the module, hand its path to the callback, and let the
// process end.
#pragma once

#include "QlxApi.h"

namespace orvane::qlx {

// a null callback switches the report off again
bool EnableCrashReport(QlxCrashCallback callback, void* context);

}  // namespace orvane::qlx
