// Times the name search over large INF texts beside a plain read of the same bytes, in
// the 64 KiB pieces in which the removal reads a file: the installer's search and the
// byte-wise automaton of tests/reference, for the model's name alone and for the
// removal's 120 names at once. Prints figures in GB/s; never fails.
//
//   search_bench [MiB per text] [repeats]   (defaults: 128, 3)

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <random>
#include <string>
#include <vector>

#include "setup/CandidateCounts.h"
#include "setup/DriverInstallation.h"
#include "setup/NameSearch.h"
#include "setup/RemovalList.h"
#include "tests/reference/AutomatonNameSearch.h"

namespace {

constexpr std::size_t kMiB = 1024 * 1024;
constexpr std::size_t kBlockBytes = 2 * kMiB;  // of varied text, repeated to the size
// The automaton is slow: it is timed on the text's first bytes only.
constexpr std::size_t kAutomatonBytes = 16 * kMiB;
constexpr const char* kDoubleByteName = "RT450 (副本 1)";

using Random = std::mt19937;

std::size_t Below(Random& random, std::size_t bound) {
    return std::uniform_int_distribution<std::size_t>(0, bound - 1)(random);
}

template <std::size_t N>
const char* Pick(Random& random, const char* const (&choices)[N]) {
    return choices[Below(random, N)];
}

const char* const kVendors[] = {"Contoso", "Fabrikam", "Northwind", "Tailspin", "Litware"};
const char* const kKinds[] = {"Laser", "InkJet", "Label", "Photo", "Receipt"};
const char* const kChineseTexts[] = {"打印机驱动程序", "彩色激光打印机", "标签打印机",
                                     "安装磁盘", "打印首选项", "纸张来源", "双面打印单元"};

// The lines of an INF file's install sections and registry entries.
std::string AsciiInfLines(Random& random) {
    const std::string vendor = Pick(random, kVendors);
    const std::string model = vendor + " " + Pick(random, kKinds) + " GZ-" +
                              std::to_string(1000 + Below(random, 9000));
    const std::string section = std::to_string(Below(random, 100));
    return "[INSTALL_" + section + "]\r\nCopyFiles=FILES_" + section +
           "\r\nInclude=ntprint.inf\r\nNeeds=UNIDRV.OEM\r\n\"" + model + "\" = INSTALL_" +
           section + ", USBPRINT\\" + vendor + section + "\r\nHKLM,\"SOFTWARE\\" + vendor + "\\" +
           model + "\",\"Version\",0x00000000,\"" + std::to_string(Below(random, 10)) + "." +
           std::to_string(Below(random, 100)) + "\"\r\n";
}

// The [Strings] of a localised INF file: mostly double-byte text.
std::string ChineseInfLines(Random& random) {
    std::string lines = "[Strings]\r\n";
    for (int i = 0; i < 6; ++i) {
        lines += "TEXT" + std::to_string(i) + "=\"" + Pick(random, kChineseTexts) +
                 Pick(random, kChineseTexts) + "\"\r\n";
    }
    return lines;
}

// Near-misses of the model's name and of the removal's other names, and now and then
// the name itself: each near-miss passes the first looks of a search.
std::string NearMissLines(Random& random) {
    const std::vector<std::string>& names = setup::RemovalList();
    std::string name = names[Below(random, names.size())];
    if (Below(random, 50) != 0) name[Below(random, name.size())] ^= 0x01;
    return name + (Below(random, 2) == 0 ? " " : "");
}

// Runs of lead bytes before the name, so that judging whether it starts a character
// looks back over the whole run; an odd run swallows the name's first byte.
std::string LeadByteRunLines(Random& random) {
    return std::string(1 + Below(random, 4000), '\xB8') + setup::kModelName + "\xB8\xB1";
}

std::string MakeText(std::size_t bytes, const std::function<std::string(Random&)>& lines) {
    Random random(450);
    std::string block;
    while (block.size() < std::min(bytes, kBlockBytes)) block += lines(random);
    std::string text;
    text.reserve(bytes + block.size());
    while (text.size() < bytes) text += block;
    text.resize(bytes);
    return text;
}

double Seconds(const std::function<void()>& work, int repeats) {
    double best = 1e30;
    for (int i = 0; i < repeats; ++i) {
        const auto started = std::chrono::steady_clock::now();
        work();
        best = std::min(best, std::chrono::duration<double>(std::chrono::steady_clock::now() -
                                                            started).count());
    }
    return best;
}

template <typename Search>
std::vector<int> CountInPieces(const Search& search, const char* bytes, std::size_t size) {
    typename Search::Pass pass(search);
    for (std::size_t at = 0; at < size; at += setup::kScanChunkBytes)
        pass.Feed(bytes + at, std::min<std::size_t>(setup::kScanChunkBytes, size - at));
    return pass.Counts();
}

struct Row {
    const char* what;
    std::string text;
    std::string name;
};

volatile std::size_t g_sink;  // keeps the plain reads from being left out

void Measure(const Row& row, int repeats) {
    const char* bytes = row.text.data();
    const std::size_t size = row.text.size();
    const std::size_t automatonSize = std::min(size, kAutomatonBytes);
    const auto gbPerSecond = [](std::size_t measured, double seconds) {
        return static_cast<double>(measured) / seconds / 1e9;
    };

    const double memchrRead = Seconds([&] {
        std::size_t found = 0;
        for (std::size_t at = 0; at < size; at += setup::kScanChunkBytes)
            found += std::memchr(bytes + at, 0, std::min<std::size_t>(setup::kScanChunkBytes, size - at)) != nullptr;
        g_sink = found;
    }, repeats);
    const double wordRead = Seconds([&] {
        uint64_t sum = 0;
        for (std::size_t at = 0; at + sizeof sum <= size; at += sizeof sum) {
            uint64_t word;
            std::memcpy(&word, bytes + at, sizeof word);
            sum += word;
        }
        g_sink = static_cast<std::size_t>(sum);
    }, repeats);

    const std::vector<std::string> oneName{row.name};
    const std::vector<std::string>& allNames = setup::RemovalList();
    const setup::NameSearch newOne(oneName), newAll(allNames);
    const reference::AutomatonNameSearch oldOne(oneName), oldAll(allNames);
    std::vector<int> counts;
    const double newOneSeconds = Seconds([&] { counts = CountInPieces(newOne, bytes, size); }, repeats);
    const int oneCount = counts[0];
    const double newAllSeconds = Seconds([&] { counts = CountInPieces(newAll, bytes, size); }, repeats);
    std::vector<int> oldCounts;
    const double oldOneSeconds =
        Seconds([&] { oldCounts = CountInPieces(oldOne, bytes, automatonSize); }, 1);
    bool agree = oldCounts == CountInPieces(newOne, bytes, automatonSize);
    const double oldAllSeconds =
        Seconds([&] { oldCounts = CountInPieces(oldAll, bytes, automatonSize); }, 1);
    agree = agree && oldCounts == CountInPieces(newAll, bytes, automatonSize);

    const double read = gbPerSecond(size, memchrRead);
    const double searched = gbPerSecond(size, newOneSeconds);
    std::printf("%-22s %7.2f %7.2f | %7.2f %7.3f %6.2fx | %7.2f %7.3f | %6d  %s\n", row.what, read,
                gbPerSecond(size, wordRead), searched, gbPerSecond(automatonSize, oldOneSeconds),
                read / searched, gbPerSecond(size, newAllSeconds),
                gbPerSecond(automatonSize, oldAllSeconds), oneCount, agree ? "agree" : "DIFFER");
}

}  // namespace

int main(int argc, char** argv) {
    const std::size_t mib = argc > 1 ? std::strtoul(argv[1], nullptr, 10) : 128;
    const int repeats = argc > 2 ? std::atoi(argv[2]) : 3;
    const std::size_t bytes = std::max<std::size_t>(mib, 1) * kMiB;
    const Row rows[] = {
        {"ASCII INF text", MakeText(bytes, AsciiInfLines), setup::kModelName},
        {"code page 936 INF text", MakeText(bytes, ChineseInfLines), kDoubleByteName},
        {"near-misses", MakeText(bytes, NearMissLines), setup::kModelName},
        {"lead-byte runs", MakeText(bytes, LeadByteRunLines), setup::kModelName},
    };
    std::printf("Name search over %zu MiB texts in %u KiB pieces, GB/s, best of %d "
                "(the automaton: once, over the first %zu MiB)\n",
                bytes / kMiB, static_cast<unsigned>(setup::kScanChunkBytes / 1024),
                std::max(repeats, 1), std::min(bytes, kAutomatonBytes) / kMiB);
    std::printf("%-22s %7s %7s | %7s %7s %7s | %7s %7s | %6s  %s\n", "", "read:", "read:",
                "1 name:", "1 name:", "read/", "120:", "120:", "count", "counts of");
    std::printf("%-22s %7s %7s | %7s %7s %7s | %7s %7s | %6s  %s\n", "text", "memchr", "words",
                "search", "autom.", "search", "search", "autom.", "1 name", "the two");
    for (const Row& row : rows) Measure(row, std::max(repeats, 1));
    return 0;
}
