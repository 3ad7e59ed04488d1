// Where an install run spends its time on this host: the installer's own install
// sequence (the work behind its install button) with a stopwatch on every system call
// and the parallel port chosen; then the system calls of one pass over each of the
// staged INF candidates, taken apart; then the text search alone on the candidates'
// texts held in memory, beside a search that counts the same with the library's
// substring search.
//
//   install_profile.exe <result.json> <shipping folder>
//
// The run installs for real into the prefix, as setup.exe would.

#include "sys/WindowsApi.h"  // not <windows.h>: its A/W macros would rename seam methods

#include <cstdio>
#include <map>
#include <string>
#include <vector>

#include "TimedSystem.h"
#include "host/Platform.h"
#include "setup/CandidateCounts.h"
#include "setup/InstallSequence.h"
#include "setup/PortChoice.h"
#include "setup/NameSearch.h"
#include "setup/RemovalList.h"
#include "sys/Win32System.h"

namespace {

const char* const kInfDirectory = "c:\\windows\\inf\\";
constexpr int kCandidates = 100;

// The user of the profiled run: chooses the parallel port and confirms every box, which
// is only logged.
class ParallelPortUser final : public sys::UiPort {
public:
    std::vector<std::string> boxes;  // texts, code page 936
    int MessageBox(const std::string& text, const std::string&, uint32_t) override {
        boxes.push_back(text);
        return IDOK;
    }
    int AfxMessageBox(const std::string& text, uint32_t) override {
        boxes.push_back(text);
        return IDOK;
    }
    void PostQuit() override {}
    int RunPortDialog() override { return PORT_PARALLEL; }
};

std::string Utf8FromCodePage936(const std::string& text) {
    if (text.empty()) return {};
    const int wide = MultiByteToWideChar(936, 0, text.data(), static_cast<int>(text.size()),
                                         nullptr, 0);
    std::wstring utf16(static_cast<size_t>(wide), L'\0');
    MultiByteToWideChar(936, 0, text.data(), static_cast<int>(text.size()), &utf16[0], wide);
    const int size = WideCharToMultiByte(CP_UTF8, 0, utf16.data(), wide, nullptr, 0, nullptr,
                                         nullptr);
    std::string utf8(static_cast<size_t>(size), '\0');
    WideCharToMultiByte(CP_UTF8, 0, utf16.data(), wide, &utf8[0], size, nullptr, nullptr);
    return utf8;
}

std::string Json(const std::string& utf8) {
    std::string quoted = "\"";
    for (const char c : utf8) {
        if (c == '"' || c == '\\') quoted += '\\';
        if (c == '\n') {
            quoted += "\\n";
            continue;
        }
        quoted += c;
    }
    return quoted + '"';
}

std::string Json(double value) {
    char text[32];
    std::snprintf(text, sizeof text, "%.3f", value);
    return text;
}

std::string Object(const std::vector<std::pair<std::string, std::string>>& fields) {
    std::string json = "{";
    for (size_t i = 0; i < fields.size(); ++i)
        json += (i ? ", " : "") + Json(fields[i].first) + ": " + fields[i].second;
    return json + "}";
}

std::string Array(const std::vector<std::string>& items) {
    std::string json = "[";
    for (size_t i = 0; i < items.size(); ++i) json += (i ? ", " : "") + items[i];
    return json + "]";
}

std::string Totals(const bench::TimedSystem& system) {
    std::vector<std::pair<std::string, std::string>> fields;
    for (const auto& entry : system.Totals()) {
        fields.emplace_back(entry.first,
                            Object({{"calls", std::to_string(entry.second.calls)},
                                    {"ms", Json(entry.second.ms)}}));
    }
    return Object(fields);
}

std::string CandidatePath(int number) {
    return kInfDirectory + ("oem" + std::to_string(number) + ".inf");
}

// The install button's work, as setup.exe does it, with the parallel port chosen.
std::string ProfileInstallSequence(bench::TimedSystem& system) {
    ParallelPortUser user;
    setup::InstallSequence sequence(system, user);
    system.ClearTotals();
    const double start = bench::NowMs();
    sequence.OnInstall();
    const double totalMs = bench::NowMs() - start;
    std::vector<std::string> boxes;
    for (const std::string& text : user.boxes) boxes.push_back(Json(Utf8FromCodePage936(text)));
    return Object({{"ms", Json(totalMs)},
                   {"outsideSystemCallsMs", Json(totalMs - system.TotalMs())},
                   {"boxes", Array(boxes)},
                   {"calls", Totals(system)}});
}

struct Phase {
    long long calls = 0;
    double ms = 0.0;
    // Adds the time since started and returns the time now, where the next phase starts.
    double Add(double started) {
        const double now = bench::NowMs();
        ++calls;
        ms += now - started;
        return now;
    }
    std::string Str() const {
        return Object({{"calls", std::to_string(calls)}, {"ms", Json(ms)}});
    }
};

// The system calls of one pass over a file as the seam makes them, each timed on its own
// (a clock reading costs well under a microsecond), over every candidate as often as the
// scans of one run meet it; then the attribute query that tells an unchanged file without
// opening it, one listing of the staged INF files per name, and the clock itself.
std::string ProfileFileCalls(size_t rounds) {
    Phase openFound, openMissing, read, close, attributes, listing;
    long long bytes = 0;
    std::vector<char> chunk(setup::kScanChunkBytes);
    for (size_t round = 0; round < rounds; ++round) {
        for (int number = 0; number < kCandidates; ++number) {
            const std::string path = CandidatePath(number);
            double started = bench::NowMs();
            const HANDLE file = CreateFileA(path.c_str(), GENERIC_READ, 0, nullptr,
                                            OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
            if (file == INVALID_HANDLE_VALUE) {
                openMissing.Add(started);
                continue;
            }
            started = openFound.Add(started);
            DWORD got = 0;
            do {
                if (!::ReadFile(file, chunk.data(), setup::kScanChunkBytes, &got, nullptr)) break;
                bytes += got;
            } while (got == setup::kScanChunkBytes);
            started = read.Add(started);
            CloseHandle(file);
            close.Add(started);
        }
    }
    for (size_t round = 0; round < rounds; ++round) {
        for (int number = 0; number < kCandidates; ++number) {
            const double started = bench::NowMs();
            WIN32_FILE_ATTRIBUTE_DATA data;
            GetFileAttributesExA(CandidatePath(number).c_str(), GetFileExInfoStandard, &data);
            attributes.Add(started);
        }
        const double started = bench::NowMs();
        WIN32_FIND_DATAA entry;
        const HANDLE search =
            FindFirstFileA((std::string(kInfDirectory) + "oem*.inf").c_str(), &entry);
        if (search != INVALID_HANDLE_VALUE) {
            while (FindNextFileA(search, &entry)) {
            }
            FindClose(search);
        }
        listing.Add(started);
    }
    Phase clock;
    const double started = bench::NowMs();
    for (size_t i = 0; i < rounds * kCandidates; ++i) bench::NowMs();
    clock.calls = static_cast<long long>(rounds * kCandidates);
    clock.ms = bench::NowMs() - started;
    return Object({{"bytes", std::to_string(bytes)},
                   {"clockReading", clock.Str()},
                   {"openFound", openFound.Str()},
                   {"openMissing", openMissing.Str()},
                   {"read", read.Str()},
                   {"close", close.Str()},
                   {"attributes", attributes.Str()},
                   {"listing", listing.Str()}});
}

// The same count as the product's, found with the library's substring search: a match
// of the bytes counts when it starts on a character boundary, walked from the start of
// the text or from the end of the previous match, as the product walks.
int CountWithFind(const std::string& text, const std::string& pattern) {
    int count = 0;
    size_t boundary = 0;
    size_t from = 0;
    for (;;) {
        const size_t at = text.find(pattern, from);
        if (at == std::string::npos) return count;
        while (boundary < at)
            boundary += setup::IsCodePage936LeadByte(static_cast<unsigned char>(text[boundary]))
                            ? 2
                            : 1;
        if (boundary == at) {
            ++count;
            from = boundary = at + pattern.size();
        } else {
            from = at + 1;
        }
    }
}

std::string ProfileSearch(bench::TimedSystem& system) {
    std::map<std::string, std::string> files;
    for (int number = 0; number < kCandidates; ++number) {
        std::string bytes;
        const sys::FileScan scan = system.ScanFile(
            CandidatePath(number), setup::kScanChunkBytes, [&bytes](const char* piece, size_t count) {
                bytes.append(piece, count);
                return true;
            });
        if (scan.opened && scan.readOk) files[CandidatePath(number)] = bytes;
    }
    const auto& names = setup::RemovalList();

    // As a run counts: the names' search made once, then one pass over each candidate.
    system.ServeScansFrom(&files);
    std::vector<std::vector<int>> countsByCandidate(kCandidates);
    double started = bench::NowMs();
    const setup::NameSearch search(names);
    for (int number = 0; number < kCandidates; ++number)
        setup::CountNamesInFile(system, CandidatePath(number), search, countsByCandidate[number]);
    const double productMs = bench::NowMs() - started;
    system.ServeScansFrom(nullptr);
    std::vector<int> productCounts;
    for (size_t name = 0; name < names.size(); ++name) {
        for (const auto& counts : countsByCandidate)
            productCounts.push_back(counts.empty() ? 0 : counts[name]);
    }

    std::vector<std::string> texts;
    for (int number = 0; number < kCandidates; ++number) {
        const auto file = files.find(CandidatePath(number));
        texts.push_back(file == files.end() ? std::string()
                                            : file->second.substr(0, file->second.find('\0')));
    }
    std::vector<int> findCounts;
    started = bench::NowMs();
    for (const std::string& name : names) {
        for (const std::string& text : texts) findCounts.push_back(CountWithFind(text, name));
    }
    const double findMs = bench::NowMs() - started;

    int matches = 0;
    for (const int count : productCounts) matches += count;
    return Object({{"texts", std::to_string(files.size())},
                   {"searches", std::to_string(productCounts.size())},
                   {"passes", std::to_string(kCandidates)},
                   {"productMs", Json(productMs)},
                   {"withFindMs", Json(findMs)},
                   {"countsAgree", productCounts == findCounts ? "true" : "false"},
                   {"matches", std::to_string(matches)}});
}

const char* HostClassName() {
    switch (host::CurrentHostClass()) {
    case host::HostClass::Host64: return "64-bit";
    case host::HostClass::Windows7Or8x86: return "32-bit Windows 7/8";
    case host::HostClass::Older32: return "older 32-bit";
    }
    return "?";
}

bool WriteText(const std::wstring& path, const std::string& text) {
    FILE* file = _wfopen(path.c_str(), L"wb");
    if (!file) return false;
    const bool ok = std::fwrite(text.data(), 1, text.size(), file) == text.size();
    return std::fclose(file) == 0 && ok;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc != 3) {
        std::fputs("usage: install_profile.exe <result.json> <shipping folder>\n", stderr);
        return 2;
    }
    // The package paths are relative to the current directory, as for setup.exe.
    if (!SetCurrentDirectoryW(argv[2])) return 1;
    sys::Win32System real;
    bench::TimedSystem system(real);
    const std::string sequence = ProfileInstallSequence(system);
    const std::string fileCalls = ProfileFileCalls(setup::RemovalList().size());
    const std::string search = ProfileSearch(system);
    const std::string result = Object({{"hostClass", Json(HostClassName())},
                                       {"sequence", sequence},
                                       {"fileCalls", fileCalls},
                                       {"search", search}});
    return WriteText(argv[1], result + "\n") ? 0 : 1;
}
