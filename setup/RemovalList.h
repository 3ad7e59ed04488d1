#pragma once
// The printer names whose earlier installations an install run removes, in the order of
// removal: this model and fifteen related ones, each with the copy names that the
// system gives to duplicated queues.

#include <string>
#include <vector>

namespace setup {

// 120 code page 936 names: for each of the 16 models, its copy names from copy 6 down to
// copy 1 (such as "RT450 (副本 6)") and then the model name; then the installed model's
// seven names again, and its bare name once more, so that the model's own removal
// comes last.
const std::vector<std::string>& RemovalList();

}  // namespace setup
