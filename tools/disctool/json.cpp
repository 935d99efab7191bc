#include "json.h"

#include <cstdio>

#include "codepage.h"

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
    out_ += '\n';
    out_.append(2 * empty_.size(), ' ');
}

void JsonWriter::BeforeValue() {
    if (afterKey_) {
        afterKey_ = false;
        return;
    }
    if (!empty_.empty()) {
        if (!empty_.back()) out_ += ',';
        empty_.back() = false;
        Newline();
    }
}

void JsonWriter::Open(char bracket) {
    BeforeValue();
    out_ += bracket;
    empty_.push_back(true);
}

void JsonWriter::Close(char bracket) {
    const bool wasEmpty = empty_.back();
    empty_.pop_back();
    if (!wasEmpty) Newline();
    out_ += bracket;
}

void JsonWriter::BeginObject() { Open('{'); }

void JsonWriter::EndObject() {
    Close('}');
    if (empty_.empty()) out_ += '\n';  // the report ends with its line
}

void JsonWriter::BeginArray() { Open('['); }

void JsonWriter::EndArray() { Close(']'); }

JsonWriter& JsonWriter::Key(const std::string& name) {
    BeforeValue();
    out_ += JsonQuote(name) + ": ";
    afterKey_ = true;
    return *this;
}

void JsonWriter::String(const std::string& text) {
    BeforeValue();
    out_ += JsonQuote(text);
}

void JsonWriter::Number(std::int64_t value) {
    BeforeValue();
    out_ += std::to_string(value);
}

void JsonWriter::Number(std::uint64_t value) {
    BeforeValue();
    out_ += std::to_string(value);
}

void JsonWriter::Raw(const std::string& number) {
    BeforeValue();
    out_ += number;
}

void JsonWriter::Bool(bool value) {
    BeforeValue();
    out_ += value ? "true" : "false";
}

void JsonWriter::Null() {
    BeforeValue();
    out_ += "null";
}

}  // namespace disctool
