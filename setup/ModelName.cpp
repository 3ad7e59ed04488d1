#include "setup/ModelName.h"

#include <cstring>

char g_modelName[kModelNameSize] = "RT450";

void RewriteModelName(char* name) {
    if (name[0] == '\0') return;
    for (std::size_t i = 0; i < std::strlen(name); ++i) {
        if (name[i] == '/') name[i] = '-';
    }
}
