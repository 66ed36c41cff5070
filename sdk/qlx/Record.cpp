#include "qlx/Record.h"

#include "qlx/JsonText.h"

namespace orvane::qlx {

namespace {

void AppendKey(std::string* out, const char* key) {
  out->push_back('"');
  out->append(key);
  out->append("\":");
}

}  // namespace

std::string FormatRecordLine(const Record& r) {
  std::string out = "{";
  AppendKey(&out, "uid");
  AppendJsonText(&out, r.uid);
  out.push_back(',');
  AppendKey(&out, "sid");
  AppendJsonText(&out, r.sid);
  out.push_back(',');
  AppendKey(&out, "seq");
  out += std::to_string(r.seq);
  out.push_back(',');
  AppendKey(&out, "time");
  out += std::to_string(r.timeMs);
  out.push_back(',');
  AppendKey(&out, "pid");
  out += std::to_string(r.pid);
  out.push_back(',');
  AppendKey(&out, "mid");
  AppendJsonText(&out, r.mid);
  out.push_back(',');
  AppendKey(&out, "app");
  AppendJsonText(&out, r.appId);
  out.push_back(',');
  AppendKey(&out, "name");
  AppendJsonText(&out, r.appName);
  out.push_back(',');
  AppendKey(&out, "type");
  out += std::to_string(r.type);
  if (r.hasEvent) {
    out.push_back(',');
    AppendKey(&out, "event");
    AppendJsonText(&out, r.eventName);
    out.push_back(',');
    AppendKey(&out, "id");
    out += std::to_string(r.eventId);
    out.push_back(',');
    AppendKey(&out, "props");
    out.push_back('{');
    bool first = true;
    for (const Property& p : r.props) {
      if (!first) out.push_back(',');
      first = false;
      AppendJsonText(&out, p.key);
      out.push_back(':');
      switch (p.kind) {
        case Property::Kind::kInt:
          out += std::to_string(p.number);
          break;
        case Property::Kind::kBool:
          out += p.number ? "true" : "false";
          break;
        case Property::Kind::kText:
          AppendJsonText(&out, p.text);
          break;
      }
    }
    out.push_back('}');
  }
  if (!r.fields.empty()) {
    out.push_back(',');
    AppendKey(&out, "fields");
    out.push_back('[');
    bool first = true;
    for (const Field& f : r.fields) {
      if (!first) out.push_back(',');
      first = false;
      out.push_back('[');
      out += std::to_string(f.id);
      out.push_back(',');
      if (f.isInt) {
        out += std::to_string(f.number);
      } else {
        AppendJsonText(&out, f.data);
      }
      out.push_back(']');
    }
    out.push_back(']');
  }
  out.push_back('}');
  return out;
}

bool IsValidRecordType(int type) {
  return type >= 1 && type <= 15;
}

bool IsValidFieldId(int field) {
  return field >= 0 && field <= 0xFFFF;
}

bool IsValidName(const std::string& name) {
  if (name.empty() || name.size() > 256 || !IsValidUtf8(name)) return false;
  for (char c : name) {
    if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F) return false;
  }
  return true;
}

}  // namespace orvane::qlx
