#include "setup/RemovalList.h"

#include <array>

#include "setup/DriverInstallation.h"

namespace setup {

namespace {
// In removal order; this installer's own model is among them.
const std::array<const char*, 16> kRelatedModels = {
    "VX410P/420",
    "VX420",
    "VX400",
    "NB310K/315K",
    "NB300",
    "PL230K/235K",
    "PL 260K",
    "PL210/PL215",
    "MORVIK NB-315K",
    "MV-215K",
    "eQ-530SII",
    "DW330K/335K",
    kModelName,
    "RT490",
    "RT530",
    "KELVARO 24Pin Dot-Matrix Printer",
};
constexpr int kHighestCopy = 6;

// The names the system gives a model's queues: copies from the highest down, then the
// model's own.
void AppendModelNames(std::vector<std::string>& names, const std::string& model) {
    for (int copy = kHighestCopy; copy >= 1; --copy)
        names.push_back(model + " (副本 " + std::to_string(copy) + ")");
    names.push_back(model);
}

std::vector<std::string> BuildRemovalList() {
    std::vector<std::string> names;
    for (const char* model : kRelatedModels) AppendModelNames(names, model);
    // The installed model again, its bare name last: an install run judges the removal
    // by that last call alone.
    AppendModelNames(names, kModelName);
    names.push_back(kModelName);
    return names;
}
}  // namespace

const std::vector<std::string>& RemovalList() {
    static const std::vector<std::string> names = BuildRemovalList();
    return names;
}

}  // namespace setup
