// Telemetry of the pages: an event with its properties in one call, and the
// operation record of a click. Both go through the process's event logger.
#pragma once

#include <initializer_list>
#include <string>
#include <utility>

namespace orvane {

using BoolProperty = std::pair<const char*, bool>;
using TextProperty = std::pair<const char*, std::string>;

// clears the logger's properties, sets these, writes the event
void SendPageEvent(const char* name,
                   std::initializer_list<BoolProperty> bools = {},
                   std::initializer_list<TextProperty> texts = {});

// the record of a click: page code, control code, no extra text
void WriteClick(const char* pageCode, const char* controlCode);

}  // namespace orvane
