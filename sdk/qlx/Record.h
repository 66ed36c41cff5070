// One committed record as the journal stores it: a single line of JSON.
//
//   {"uid":"<32 hex>","sid":"<16 hex>","seq":N,"time":<ms since 1970 UTC>,
//    "pid":N,"mid":"<machine id>","app":"<app id>","name":"<app name>",
//    "type":T,
//    "event":"<name>","id":N,"props":{"<key>":<int|bool|text>,...},   (sensor records)
//    "fields":[[<field id>,<int|text>],...]}                          (when fields were written)
//
// Texts are UTF-8 as they are, with only the escapes JSON needs; bytes that
// are not UTF-8 are written as {"b64":"..."}. "uid" is unique across
// processes and machines and is what the receiver deduplicates on; "seq"
// counts the records of one session ("sid", one per SDK handle).
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace orvane::qlx {

// the longest journal line a commit may produce, newline not counted
inline constexpr size_t kMaxRecordLine = 64 * 1024;

struct Property {
  enum class Kind { kInt, kBool, kText };
  std::string key;
  Kind kind = Kind::kInt;
  int64_t number = 0;  // int, or 0/1 for bool
  std::string text;
};

struct Field {
  int id = 0;
  bool isInt = false;
  int64_t number = 0;
  std::string data;
};

struct Record {
  std::string uid;
  std::string sid;
  uint64_t seq = 0;
  int64_t timeMs = 0;
  uint32_t pid = 0;
  std::string mid;
  std::string appId;
  std::string appName;
  int type = 0;
  bool hasEvent = false;
  std::string eventName;
  int32_t eventId = 0;
  std::vector<Property> props;  // in the order written
  std::vector<Field> fields;    // in the order written
};

// the journal line, without the newline
std::string FormatRecordLine(const Record& record);

// collector rules shared by the module and its tests
bool IsValidRecordType(int type);
bool IsValidFieldId(int field);
// a property key or event name: 1 to 256 bytes of UTF-8 without control characters
bool IsValidName(const std::string& name);

}  // namespace orvane::qlx
