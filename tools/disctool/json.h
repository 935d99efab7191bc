// A small JSON writer: objects, arrays, strings with proper escaping, numbers, booleans.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace disctool {

class JsonWriter {
public:
    // Containers; inside an object, call Key before each value (json.Key("n").Number(1)).
    void BeginObject();
    void EndObject();
    void BeginArray();
    void EndArray();
    JsonWriter& Key(const std::string& name);

    void String(const std::string& text);
    void Number(std::int64_t value);
    void Number(std::uint64_t value);
    void Raw(const std::string& number);  // a number already formatted ("1.5")
    void Bool(bool value);
    void Null();

    // The text written so far, indented by two spaces per level.
    const std::string& Text() const { return m_out; }

private:
    void BeforeValue();
    void Newline();
    void Open(char bracket);
    void Close(char bracket);

    std::string m_out;
    std::vector<bool> m_empty;  // per open container: nothing in it yet
    bool m_afterKey = false;
};

// text as a JSON string literal with its quotes. Valid UTF-8 passes as it stands; other bytes
// (install scripts are in the ANSI code page) are read as Latin-1 and escaped.
std::string JsonQuote(const std::string& text);

}  // namespace disctool
