#include "JsonObject.h"

#include <cstdio>

#include "Text.h"

namespace e2e {

std::string JsonQuote(const std::string& utf8) {
    std::string quoted = "\"";
    for (const char c : utf8) {
        switch (c) {
        case '"': quoted += "\\\""; break;
        case '\\': quoted += "\\\\"; break;
        case '\n': quoted += "\\n"; break;
        case '\r': quoted += "\\r"; break;
        case '\t': quoted += "\\t"; break;
        default:
            if (static_cast<unsigned char>(c) < 0x20) {
                char escape[8];
                std::snprintf(escape, sizeof escape, "\\u%04X", static_cast<unsigned>(c));
                quoted += escape;
            } else {
                quoted += c;
            }
        }
    }
    return quoted + "\"";
}

void JsonObject::Key(const char* key) {
    if (!body_.empty()) body_ += ',';
    body_ += JsonQuote(key) + ':';
}

JsonObject& JsonObject::Add(const char* key, const std::string& utf8) {
    Key(key);
    body_ += JsonQuote(utf8);
    return *this;
}

JsonObject& JsonObject::Add(const char* key, const std::wstring& text) {
    return Add(key, ToUtf8(text));
}

JsonObject& JsonObject::Add(const char* key, const char* utf8) {
    return Add(key, std::string(utf8));
}

JsonObject& JsonObject::Add(const char* key, long long number) {
    Key(key);
    body_ += std::to_string(number);
    return *this;
}

JsonObject& JsonObject::Add(const char* key, bool flag) {
    Key(key);
    body_ += flag ? "true" : "false";
    return *this;
}

JsonObject& JsonObject::Add(const char* key, const std::vector<JsonObject>& objects) {
    Key(key);
    body_ += '[';
    for (size_t i = 0; i < objects.size(); ++i) body_ += (i ? "," : "") + objects[i].Str();
    body_ += ']';
    return *this;
}

JsonObject& JsonObject::Add(const char* key, const std::vector<std::string>& utf8Texts) {
    Key(key);
    body_ += '[';
    for (size_t i = 0; i < utf8Texts.size(); ++i)
        body_ += (i ? "," : "") + JsonQuote(utf8Texts[i]);
    body_ += ']';
    return *this;
}

JsonObject& JsonObject::AddJson(const char* key, const std::string& json) {
    Key(key);
    body_ += json;
    return *this;
}

std::string JsonObject::Str() const { return '{' + body_ + '}'; }

}  // namespace e2e
