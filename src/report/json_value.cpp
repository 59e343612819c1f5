#include "report/json_value.h"

#include <charconv>
#include <cmath>
#include <cstdio>

#include "data/number_text.h"
#include "report/report_writer.h"

namespace vextal {

std::string JsonNumberText(long double x) {
    if (IsMissing(x) || IsMissing(-x) || !std::isfinite(x)) return "null";
    char buffer[64];
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, x, std::chars_format::general, 21);
    return std::string(buffer, result.ptr);
}

std::string JsonStringText(const std::string& s) {
    std::string out = "\"";
    for (unsigned char c : ValidUtf8(s)) {
        switch (c) {
            case '"': out += "\\\""; break;
            case '\\': out += "\\\\"; break;
            case '\n': out += "\\n"; break;
            case '\r': out += "\\r"; break;
            case '\t': out += "\\t"; break;
            default:
                if (c < 0x20 || c == 0x7F) {
                    char escaped[8];
                    std::snprintf(escaped, sizeof escaped, "\\u%04x", c);
                    out += escaped;
                } else {
                    out += static_cast<char>(c);
                }
        }
    }
    return out + "\"";
}

JsonValue JsonValue::Bool(bool b) {
    JsonValue v;
    v.kind_ = Kind::Bool;
    v.flag_ = b;
    return v;
}

JsonValue JsonValue::Number(long double x) {
    JsonValue v;
    if (IsMissing(x) || IsMissing(-x) || !std::isfinite(x)) return v;
    v.kind_ = Kind::Number;
    v.number_ = x;
    return v;
}

JsonValue JsonValue::Integer(std::int64_t n) {
    JsonValue v;
    v.kind_ = Kind::Integer;
    v.integer_ = n;
    v.number_ = static_cast<long double>(n);
    return v;
}

JsonValue JsonValue::String(std::string s) {
    JsonValue v;
    v.kind_ = Kind::String;
    v.text_ = std::move(s);
    return v;
}

JsonValue JsonValue::Array() {
    JsonValue v;
    v.kind_ = Kind::Array;
    return v;
}

JsonValue JsonValue::Object() {
    JsonValue v;
    v.kind_ = Kind::Object;
    return v;
}

JsonValue& JsonValue::Push(JsonValue value) {
    items_.push_back(std::move(value));
    return *this;
}

JsonValue& JsonValue::Set(const std::string& key, JsonValue value) {
    for (auto& member : members_)
        if (member.first == key) {
            member.second = std::move(value);
            return *this;
        }
    members_.emplace_back(key, std::move(value));
    return *this;
}

const JsonValue* JsonValue::Find(const std::string& key) const {
    for (const auto& member : members_)
        if (member.first == key) return &member.second;
    return nullptr;
}

std::size_t JsonValue::Size() const { return kind_ == Kind::Array ? items_.size() : members_.size(); }

std::string JsonValue::Dump(int indent) const {
    std::string out;
    DumpTo(out, indent, 0);
    return out;
}

void JsonValue::DumpTo(std::string& out, int indent, int depth) const {
    auto newline = [&](int level) {
        if (indent <= 0) return;
        out += '\n';
        out.append(static_cast<std::size_t>(indent * level), ' ');
    };
    switch (kind_) {
        case Kind::Null: out += "null"; return;
        case Kind::Bool: out += flag_ ? "true" : "false"; return;
        case Kind::Number: out += JsonNumberText(number_); return;
        case Kind::Integer: out += std::to_string(integer_); return;
        case Kind::String: out += JsonStringText(text_); return;
        case Kind::Array:
            out += '[';
            for (std::size_t i = 0; i < items_.size(); ++i) {
                if (i) out += indent > 0 ? "," : ", ";
                newline(depth + 1);
                items_[i].DumpTo(out, indent, depth + 1);
            }
            if (!items_.empty()) newline(depth);
            out += ']';
            return;
        case Kind::Object:
            out += '{';
            for (std::size_t i = 0; i < members_.size(); ++i) {
                if (i) out += indent > 0 ? "," : ", ";
                newline(depth + 1);
                out += JsonStringText(members_[i].first) + ": ";
                members_[i].second.DumpTo(out, indent, depth + 1);
            }
            if (!members_.empty()) newline(depth);
            out += '}';
            return;
    }
}

}  // namespace vextal
