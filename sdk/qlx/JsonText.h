// Text helpers of the journal: UTF-8 checks, JSON string output that keeps
// UTF-8 as it is (only quotes, backslashes and control characters are
// escaped), and Base64.
#pragma once

#include <string>

namespace orvane::qlx {

// well-formed UTF-8: no overlong forms, no surrogates, nothing above U+10FFFF
bool IsValidUtf8(const std::string& bytes);

// appends "text" with the escapes JSON needs; `utf8` must be valid UTF-8
void AppendJsonString(std::string* out, const std::string& utf8);

// a text value: a JSON string when the bytes are valid UTF-8, otherwise
// {"b64":"..."} so that no byte is lost or misread
void AppendJsonText(std::string* out, const std::string& bytes);

std::string Base64Encode(const std::string& bytes);
// strict: standard alphabet, padding required, no white space
bool Base64Decode(const std::string& text, std::string* bytes);

}  // namespace orvane::qlx
