#pragma once
// A JSON object built field by field: the one format in which the test programs report
// to the harness, one object per line.

#include <string>
#include <vector>

namespace e2e {

class JsonObject {
public:
    JsonObject& Add(const char* key, const std::string& utf8);
    JsonObject& Add(const char* key, const std::wstring& text);
    JsonObject& Add(const char* key, const char* utf8);
    JsonObject& Add(const char* key, long long number);
    JsonObject& Add(const char* key, bool flag);
    JsonObject& Add(const char* key, const std::vector<JsonObject>& objects);
    JsonObject& Add(const char* key, const std::vector<std::string>& utf8Texts);
    // A value that is JSON already, such as an object read from another program's file.
    JsonObject& AddJson(const char* key, const std::string& json);

    // The object without a line break.
    std::string Str() const;

private:
    void Key(const char* key);
    std::string body_;
};

// A JSON string literal, quotes included.
std::string JsonQuote(const std::string& utf8);

}  // namespace e2e
