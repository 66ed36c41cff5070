// The rules that identify an install from the installer's own file: its
// package stem and its distribution channel.
#pragma once

#include <cstdint>
#include <string>

namespace orvane {

// the file name after the last backslash minus its last four characters;
// empty when the path has no backslash
std::string PackageStem(const std::string& modulePath);

// the text after the first "_" (skipping a "U" right after it), at most 8
// characters; empty without an "_" followed by something
std::string ChannelFromStem(const std::string& stem);

// a four-part product version whose second part is 96..99 names a channel;
// anything else keeps `current`
std::string ChannelFromProductVersion(const std::string& productVersion,
                                      const std::string& current);

}  // namespace orvane
