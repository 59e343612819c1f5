// A small JSON document model for the machine-readable output of analyses:
// objects keep their keys in the order they were added, numbers carry 21
// significant digits, and missing or non-finite numbers are written as null.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <utility>
#include <vector>

namespace vextal {

class JsonValue {
public:
    enum class Kind { Null, Bool, Number, Integer, String, Array, Object };

    JsonValue() = default;
    static JsonValue Null() { return {}; }
    static JsonValue Bool(bool b);
    /// MissingValue and non-finite values become null.
    static JsonValue Number(long double x);
    static JsonValue Integer(std::int64_t n);
    static JsonValue String(std::string s);
    static JsonValue Array();
    static JsonValue Object();

    Kind GetKind() const { return kind_; }
    /// Appends to an array.
    JsonValue& Push(JsonValue value);
    /// Sets a key of an object (replacing an earlier value of that key).
    JsonValue& Set(const std::string& key, JsonValue value);
    const JsonValue* Find(const std::string& key) const;
    std::size_t Size() const;
    long double AsNumber() const { return number_; }
    const std::string& AsString() const { return text_; }

    /// The JSON text; indent 0 writes everything on one line.
    std::string Dump(int indent = 0) const;

private:
    void DumpTo(std::string& out, int indent, int depth) const;

    Kind kind_ = Kind::Null;
    bool flag_ = false;
    long double number_ = 0;
    std::int64_t integer_ = 0;
    std::string text_;
    std::vector<JsonValue> items_;
    std::vector<std::pair<std::string, JsonValue>> members_;
};

/// A number as JSON: 21 significant digits, "null" when missing or not finite.
std::string JsonNumberText(long double x);
/// s as a JSON string literal (quotes included); invalid UTF-8 bytes become "?".
std::string JsonStringText(const std::string& s);

}  // namespace vextal
