#include "json.h"

#include <cstdio>

namespace disctool {
namespace {

// Length of the valid UTF-8 sequence at text[at], or 0.
std::size_t Utf8Length(const std::string& text, std::size_t at) {
    const auto byte = [&](std::size_t i) { return static_cast<unsigned char>(text[i]); };
    const unsigned char lead = byte(at);
    std::size_t length = 0;
    std::uint32_t minimum = 0;
    std::uint32_t code = 0;
    if (lead >= 0xC2 && lead <= 0xDF) { length = 2; minimum = 0x80; code = lead & 0x1Fu; }
    else if (lead >= 0xE0 && lead <= 0xEF) { length = 3; minimum = 0x800; code = lead & 0x0Fu; }
    else if (lead >= 0xF0 && lead <= 0xF4) { length = 4; minimum = 0x10000; code = lead & 0x07u; }
    else return 0;
    if (text.size() - at < length) return 0;
    for (std::size_t i = 1; i < length; ++i) {
        if ((byte(at + i) & 0xC0) != 0x80) return 0;
        code = code << 6 | (byte(at + i) & 0x3Fu);
    }
    if (code < minimum || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF)) return 0;
    return length;
}

}  // namespace

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
            const std::size_t length = Utf8Length(text, i);
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
