#include "tools/disctool/json.h"

#include <cstdio>

#include "tools/disctool/codepage.h"

namespace disctool {

std::string JsonQuote(const std::string& text) {
    std::string out = "\"";
    for (std::size_t i = 0; i < text.size();) {
        const unsigned char c = static_cast<unsigned char>(text[i]);
        char escaped[8];
        if (c == '"' || c == '\\') {
            out += '\\';
            out += static_cast<char>(c);
        } else if (c == '\n') {
            out += "\\n";
        } else if (c == '\r') {
            out += "\\r";
        } else if (c == '\t') {
            out += "\\t";
        } else if (c < 0x20 || c == 0x7F) {
            std::snprintf(escaped, sizeof escaped, "\\u%04x", c);
            out += escaped;
        } else if (c >= 0x80) {
            const std::size_t length = Utf8SequenceLength(text, i);
            if (length == 0) {
                std::snprintf(escaped, sizeof escaped, "\\u%04x", c);
                out += escaped;
                ++i;
            } else {
                out.append(text, i, length);
                i += length;
            }
            continue;
        } else {
            out += static_cast<char>(c);
        }
        ++i;
    }
    return out + "\"";
}

void JsonWriter::Newline() {
    m_out += '\n';
    m_out.append(2 * m_empty.size(), ' ');
}

void JsonWriter::BeforeValue() {
    if (m_afterKey) {
        m_afterKey = false;
        return;
    }
    if (!m_empty.empty()) {
        if (!m_empty.back()) m_out += ',';
        m_empty.back() = false;
        Newline();
    }
}

void JsonWriter::Open(char bracket) {
    BeforeValue();
    m_out += bracket;
    m_empty.push_back(true);
}

void JsonWriter::Close(char bracket) {
    const bool wasEmpty = m_empty.back();
    m_empty.pop_back();
    if (!wasEmpty) Newline();
    m_out += bracket;
}

void JsonWriter::BeginObject() { Open('{'); }

void JsonWriter::EndObject() {
    Close('}');
    if (m_empty.empty()) m_out += '\n';  // the report ends with its line
}

void JsonWriter::BeginArray() { Open('['); }

void JsonWriter::EndArray() { Close(']'); }

JsonWriter& JsonWriter::Key(const std::string& name) {
    BeforeValue();
    m_out += JsonQuote(name) + ": ";
    m_afterKey = true;
    return *this;
}

void JsonWriter::String(const std::string& text) {
    BeforeValue();
    m_out += JsonQuote(text);
}

void JsonWriter::Number(std::int64_t value) {
    BeforeValue();
    m_out += std::to_string(value);
}

void JsonWriter::Number(std::uint64_t value) {
    BeforeValue();
    m_out += std::to_string(value);
}

void JsonWriter::Raw(const std::string& number) {
    BeforeValue();
    m_out += number;
}

void JsonWriter::Bool(bool value) {
    BeforeValue();
    m_out += value ? "true" : "false";
}

void JsonWriter::Null() {
    BeforeValue();
    m_out += "null";
}

}  // namespace disctool
