#include <cstring>
#include <string>

#include <gtest/gtest.h>

#include "setup/ModelName.h"

namespace {

TEST(ModelName, StartsAsTheInstalledModel) {
    EXPECT_STREQ(g_modelName, "RT450");
}

// Columns: name before the rewrite, name after it.
struct RewriteCase {
    const char* before;
    const char* after;
};

const RewriteCase kRewriteCases[] = {
    {"RT450", "RT450"},               // no slash: unchanged
    {"", ""},                         // empty: nothing to visit
    {"VX410P/420", "VX410P-420"},     // one slash
    {"/", "-"},                       // the whole name
    {"//PL/210/", "--PL-210-"},       // leading, doubled and trailing slashes
    {"PL 260K (副本 1)/x", "PL 260K (副本 1)-x"},  // double-byte text is left alone
    {"a\\b-c", "a\\b-c"},             // only '/' is replaced, not '\\'
};

TEST(ModelName, RewriteReplacesEverySlashByAHyphen) {
    for (const auto& c : kRewriteCases) {
        char name[kModelNameSize] = {};
        std::strcpy(name, c.before);
        RewriteModelName(name);
        EXPECT_STREQ(name, c.after) << "before: " << c.before;
    }
}

TEST(ModelName, RewriteKeepsTheLengthAndTheBytesAfterTheTerminator) {
    char name[kModelNameSize];
    std::memset(name, '/', sizeof name);
    std::strcpy(name, "A/B");  // bytes after the terminator stay '/'
    RewriteModelName(name);
    EXPECT_STREQ(name, "A-B");
    EXPECT_EQ(name[4], '/');
}

}  // namespace
