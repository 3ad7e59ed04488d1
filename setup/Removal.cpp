#include "setup/Removal.h"

#include <algorithm>
#include <cctype>
#include <cstdint>
#include <optional>
#include <vector>

#include "host/Platform.h"
#include "host/SpoolerQueries.h"
#include "setup/DriverInstallation.h"
#include "setup/Messages.h"
#include "setup/ProcessLauncher.h"
#include "setup/StagedInfFiles.h"

namespace setup {

namespace {
const char* const kDeletePrinterCommand = "rundll32 printui.dll,PrintUIEntry /q /dl /n ";
const char* const kDeleteDriverCommand = "rundll32 printui.dll,PrintUIEntry /q /dd /m ";
// printui's architecture switch: the driver deletion for the 64-bit environment.
const char* const kArchitectureX64 = " /h \"x64\"";
const char* const kRunAsAdministratorText =
    "请尝试以\"管理员身份\"运行安装程序以获得更多支持!";
constexpr uint32_t kPauseBetweenDeletions = 100;
// The recorded name is never more than one byte less than the read.
constexpr std::size_t kRecordedNameMaxBytes = kRecordReadBytes - 1;

// The names and file texts are zero-terminated texts to the system.
std::string UpToFirstZero(const std::string& bytes) { return bytes.substr(0, bytes.find('\0')); }

// File names compare in any letter case, as Windows compares them.
std::string LowerCase(std::string text) {
    for (char& c : text) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return text;
}

std::string WithQuotedName(const char* command, const std::string& name) {
    return command + ('"' + name + '"');
}

// A record file is named after the printer, so a '/' must not make it a path.
std::string FileNameForm(std::string name) {
    for (char& c : name) {
        if (c == '/') c = '-';
    }
    return name;
}

bool StartDeletion(sys::System& system, sys::UiPort& ui, const std::string& commandLine) {
    if (StartPrinterSetupCommand(system, commandLine)) return true;
    ui.AfxMessageBox(kProcessStartFailedText, sys::kMbOk);
    return false;
}

void UninstallStagedInf(sys::System& system, sys::UiPort& ui, const std::string& infFileName,
                        RemovalRequest* request) {
    if (system.SetupUninstallOEMInf(infFileName, sys::kSuoiForceDelete)) return;
    ui.AfxMessageBox(kRunAsAdministratorText, sys::kMbOk);
    if (request != nullptr) ++request->failedUninstalls;
}

// The recorded name is trusted as it is: no look into the INF's content.
std::string RecordedInfName(const std::string& record) {
    return UpToFirstZero(record).substr(0, kRecordedNameMaxBytes);
}

void UninstallRecordedInf(sys::System& system, sys::UiPort& ui, const std::string& infDirectory,
                          const std::string& infFileName, RemovalRequest* request) {
    if (system.PathFileExists(infDirectory + infFileName))
        UninstallStagedInf(system, ui, infFileName, request);
}

// Without the run's counts, the name's search is made once for the whole scan.
void UninstallInfsNaming(sys::System& system, sys::UiPort& ui, const std::string& name,
                         const std::string& infDirectory,
                         const std::vector<std::string>& candidates, CandidateCounts* infCounts,
                         RemovalRequest* request) {
    // An empty name is found in no file: no file need be opened.
    if (name.empty()) return;
    std::optional<NameSearch> ownSearch;
    if (infCounts == nullptr)
        ownSearch.emplace(std::vector<std::string>{name}, AnsiCodePageLeadBytes(system));
    std::vector<int> counts;
    for (const std::string& candidate : candidates) {
        const std::string path = infDirectory + candidate;
        const int count = infCounts != nullptr
                              ? infCounts->Count(path, name)
                              : (CountNamesInFile(system, path, *ownSearch, counts) ? counts[0] : 0);
        if (count > 0 && system.PathFileExists(path))
            UninstallStagedInf(system, ui, candidate, request);
    }
}

std::vector<std::string> ScannedInfNames() {
    std::vector<std::string> names;
    for (int number = 0; number <= kLastScannedInf; ++number)
        names.push_back(ScannedInfName(number));
    return names;
}

// The recorded INF first, then every other staged INF of the system's INF folder, each
// only when its text holds the name: the system may since have given a recorded oemN.inf
// to another package. Where that folder is not known nothing is uninstalled, and where it
// cannot be searched only the recorded one: the caller's look afterwards tells what is
// left.
void UninstallEveryInfNaming(sys::System& system, sys::UiPort& ui, const std::string& name,
                             const sys::FileRead& record, CandidateCounts* infCounts,
                             RemovalRequest* request) {
    std::string infDirectory;
    if (!SystemInfDirectory(system, infDirectory)) return;
    std::vector<std::string> candidates;
    ListStagedInfFiles(system, infDirectory, candidates);
    const std::string recorded =
        record.opened && record.readOk ? RecordedInfName(record.bytes) : std::string();
    // A record names a file of the INF folder, never a path.
    if (!recorded.empty() && recorded.find_first_of("\\/:") == std::string::npos) {
        const std::string recordedKey = LowerCase(recorded);
        candidates.erase(std::remove_if(candidates.begin(), candidates.end(),
                                        [&](const std::string& candidate) {
                                            return LowerCase(candidate) == recordedKey;
                                        }),
                         candidates.end());
        candidates.insert(candidates.begin(), recorded);
    }
    UninstallInfsNaming(system, ui, name, infDirectory, candidates, infCounts, request);
}

int RemoveFor(sys::System& system, sys::UiPort& ui, const std::string& name,
              CandidateCounts* infCounts, RemovalRequest* request) {
    const bool onEveryHost = request != nullptr && request->onEveryHost;
    if (!onEveryHost && g_is64BitOs == 0 && g_isWindows7 == 0 && g_isWindows8 == 0) return 1;

    const std::string printerName = UpToFirstZero(name);
    const std::string deletePrinter = WithQuotedName(kDeletePrinterCommand, printerName);
    const std::string deleteDriver = WithQuotedName(kDeleteDriverCommand, printerName);

    if (host::IsPrinterInstalled(system, printerName) &&
        !StartDeletion(system, ui, deletePrinter))
        return 0;
    system.Sleep(kPauseBetweenDeletions);
    if (host::IsDriverInstalled(system, printerName) && !StartDeletion(system, ui, deleteDriver))
        return 0;
    // This 32-bit process sees, and printui started from it deletes, the drivers of its
    // own environment; 64-bit Windows prints with those of the 64-bit one.
    if (host::CurrentHostClass() == host::HostClass::Host64 &&
        host::IsDriverInstalledIn(system, host::kEnvironmentX64, printerName) &&
        !StartDeletion(system, ui, deleteDriver + kArchitectureX64))
        return 0;

    // A record that cannot be read is no guide: the scan finds the INF instead.
    const sys::FileRead record =
        system.ReadFile(RecordFilePath(FileNameForm(printerName)), kRecordReadBytes);
    if (request != nullptr && request->everyStagedInf) {
        UninstallEveryInfNaming(system, ui, printerName, record, infCounts, request);
    } else if (record.opened && record.readOk) {
        UninstallRecordedInf(system, ui, kInfDirectory, RecordedInfName(record.bytes), request);
    } else {
        UninstallInfsNaming(system, ui, printerName, kInfDirectory, ScannedInfNames(), infCounts,
                            request);
    }
    return 1;
}

}  // namespace

std::string ScannedInfName(int number) { return "oem" + std::to_string(number) + ".inf"; }

int RemovePreviousInstallation(sys::System& system, sys::UiPort& ui, const std::string& name) {
    return RemoveFor(system, ui, name, nullptr, nullptr);
}

int RemovePreviousInstallation(sys::System& system, sys::UiPort& ui, const std::string& name,
                               CandidateCounts& infCounts, RemovalRequest* request) {
    return RemoveFor(system, ui, name, &infCounts, request);
}

int CountOccurrencesInFile(sys::System& system, std::string path, std::string text) {
    const std::string name = UpToFirstZero(text);
    if (name.empty()) return 0;
    std::vector<int> counts;
    return CountNamesInFile(system, path, NameSearch({name}, AnsiCodePageLeadBytes(system)),
                            counts)
               ? counts[0]
               : 0;
}

}  // namespace setup
