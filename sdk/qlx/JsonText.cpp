#include "qlx/JsonText.h"

#include <cstdint>

namespace orvane::qlx {

bool IsValidUtf8(const std::string& bytes) {
  const auto* p = reinterpret_cast<const unsigned char*>(bytes.data());
  const size_t n = bytes.size();
  size_t i = 0;
  while (i < n) {
    unsigned char c = p[i];
    if (c < 0x80) {
      ++i;
      continue;
    }
    size_t extra;
    uint32_t cp;
    if (c >= 0xC2 && c <= 0xDF) {
      extra = 1;
      cp = c & 0x1F;
    } else if (c >= 0xE0 && c <= 0xEF) {
      extra = 2;
      cp = c & 0x0F;
    } else if (c >= 0xF0 && c <= 0xF4) {
      extra = 3;
      cp = c & 0x07;
    } else {
      return false;  // continuation byte first, C0/C1, or F5 and above
    }
    if (n - i <= extra) return false;
    for (size_t k = 1; k <= extra; ++k) {
      if ((p[i + k] & 0xC0) != 0x80) return false;
      cp = (cp << 6) | (p[i + k] & 0x3F);
    }
    if ((extra == 2 && cp < 0x800) || (extra == 3 && cp < 0x10000)) return false;
    if (cp >= 0xD800 && cp <= 0xDFFF) return false;
    if (cp > 0x10FFFF) return false;
    i += extra + 1;
  }
  return true;
}

void AppendJsonString(std::string* out, const std::string& utf8) {
  static const char kHex[] = "0123456789abcdef";
  out->push_back('"');
  for (char ch : utf8) {
    auto c = static_cast<unsigned char>(ch);
    switch (c) {
      case '"':
        out->append("\\\"");
        break;
      case '\\':
        out->append("\\\\");
        break;
      case '\n':
        out->append("\\n");
        break;
      case '\r':
        out->append("\\r");
        break;
      case '\t':
        out->append("\\t");
        break;
      case '\b':
        out->append("\\b");
        break;
      case '\f':
        out->append("\\f");
        break;
      default:
        if (c < 0x20) {
          out->append("\\u00");
          out->push_back(kHex[c >> 4]);
          out->push_back(kHex[c & 15]);
        } else {
          out->push_back(ch);
        }
    }
  }
  out->push_back('"');
}

void AppendJsonText(std::string* out, const std::string& bytes) {
  if (IsValidUtf8(bytes)) {
    AppendJsonString(out, bytes);
    return;
  }
  out->append("{\"b64\":");
  AppendJsonString(out, Base64Encode(bytes));
  out->push_back('}');
}

namespace {
const char kAlphabet[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";

int Sextet(char c) {
  if (c >= 'A' && c <= 'Z') return c - 'A';
  if (c >= 'a' && c <= 'z') return c - 'a' + 26;
  if (c >= '0' && c <= '9') return c - '0' + 52;
  if (c == '+') return 62;
  if (c == '/') return 63;
  return -1;
}
}  // namespace

std::string Base64Encode(const std::string& bytes) {
  std::string out;
  out.reserve((bytes.size() + 2) / 3 * 4);
  const auto* p = reinterpret_cast<const unsigned char*>(bytes.data());
  size_t i = 0;
  for (; i + 3 <= bytes.size(); i += 3) {
    uint32_t v = (p[i] << 16) | (p[i + 1] << 8) | p[i + 2];
    out.push_back(kAlphabet[v >> 18]);
    out.push_back(kAlphabet[(v >> 12) & 63]);
    out.push_back(kAlphabet[(v >> 6) & 63]);
    out.push_back(kAlphabet[v & 63]);
  }
  size_t rest = bytes.size() - i;
  if (rest) {
    uint32_t v = p[i] << 16;
    if (rest == 2) v |= p[i + 1] << 8;
    out.push_back(kAlphabet[v >> 18]);
    out.push_back(kAlphabet[(v >> 12) & 63]);
    out.push_back(rest == 2 ? kAlphabet[(v >> 6) & 63] : '=');
    out.push_back('=');
  }
  return out;
}

bool Base64Decode(const std::string& text, std::string* bytes) {
  bytes->clear();
  if (text.size() % 4 != 0) return false;
  for (size_t i = 0; i < text.size(); i += 4) {
    const bool last = i + 4 == text.size();
    int a = Sextet(text[i]), b = Sextet(text[i + 1]);
    if (a < 0 || b < 0) return false;
    const bool pad2 = last && text[i + 2] == '=' && text[i + 3] == '=';
    const bool pad1 = last && !pad2 && text[i + 3] == '=';
    int c = pad2 ? 0 : Sextet(text[i + 2]);
    int d = (pad1 || pad2) ? 0 : Sextet(text[i + 3]);
    if (c < 0 || d < 0) return false;
    uint32_t v = (a << 18) | (b << 12) | (c << 6) | d;
    bytes->push_back(static_cast<char>(v >> 16));
    if (!pad2) bytes->push_back(static_cast<char>((v >> 8) & 0xFF));
    if (!pad1 && !pad2) bytes->push_back(static_cast<char>(v & 0xFF));
  }
  return true;
}

}  // namespace orvane::qlx
