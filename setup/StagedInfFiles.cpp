#include "setup/StagedInfFiles.h"

#include <algorithm>
#include <cctype>

namespace setup {

namespace {
const char* const kStagedInfPattern = "oem*.inf";
const std::string kPrefix = "oem";
const std::string kExtension = ".inf";

bool EqualsIgnoringCase(const std::string& text, const std::string& lowerCase) {
    return std::equal(text.begin(), text.end(), lowerCase.begin(), lowerCase.end(),
                      [](char a, char b) {
                          return std::tolower(static_cast<unsigned char>(a)) == b;
                      });
}

// The digits of oem<digits>.inf; empty for any other name. The search's pattern also
// matches names such as "oemx.inf", and long names by their short form ("oem1.infx").
std::string NumberOf(const std::string& name) {
    if (name.size() <= kPrefix.size() + kExtension.size()) return {};
    const std::string digits =
        name.substr(kPrefix.size(), name.size() - kPrefix.size() - kExtension.size());
    const bool allDigits = std::all_of(digits.begin(), digits.end(), [](char c) {
        return std::isdigit(static_cast<unsigned char>(c)) != 0;
    });
    if (!allDigits || !EqualsIgnoringCase(name.substr(0, kPrefix.size()), kPrefix) ||
        !EqualsIgnoringCase(name.substr(name.size() - kExtension.size()), kExtension))
        return {};
    return digits;
}

// Numbers of any length, by value: the shorter (without leading zeros) is the smaller.
bool ByNumber(const std::string& left, const std::string& right) {
    const auto significant = [](const std::string& digits) {
        const std::size_t first = digits.find_first_not_of('0');
        return first == std::string::npos ? std::string() : digits.substr(first);
    };
    const std::string a = significant(NumberOf(left));
    const std::string b = significant(NumberOf(right));
    return a.size() != b.size() ? a.size() < b.size() : a < b;
}
}  // namespace

bool SystemInfDirectory(sys::System& system, std::string& infDirectory) {
    std::string windows;
    if (!system.GetSystemWindowsDirectory(windows)) return false;
    // A Windows folder at a drive's root ("D:\") keeps its backslash.
    if (windows.empty() || windows.back() != '\\') windows += '\\';
    infDirectory = windows + "inf\\";
    return true;
}

bool ListStagedInfFiles(sys::System& system, const std::string& infDirectory,
                        std::vector<std::string>& names) {
    names.clear();
    std::vector<std::string> found;
    if (!system.FindFirstFile(infDirectory + kStagedInfPattern, found)) return false;
    for (const std::string& name : found)
        if (!NumberOf(name).empty()) names.push_back(name);
    std::stable_sort(names.begin(), names.end(), ByNumber);
    return true;
}

}  // namespace setup
