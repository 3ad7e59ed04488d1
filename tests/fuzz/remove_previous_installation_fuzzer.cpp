// Removal of an earlier installation on a 64-bit host, fed with arbitrary record and INF
// files: it never crashes, reads no file but the record and oem0.inf..oem99.inf, and
// uninstalls only the recorded name or the scanned INF files that hold the printer name.
//
// Input: one byte of switches (the bits below), a length byte and that many bytes of
// record file, then any number of INF files, each a number byte (modulo 101:
// oem0.inf..oem100.inf; a later file of the same number replaces the earlier one), a
// length byte and that many bytes of content.

#include <cstddef>
#include <cstdint>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "host/Platform.h"
#include "setup/Removal.h"
#include "tests/fuzz/InputReader.h"
#include "tests/fuzz/ReferenceCount.h"
#include "tests/fuzz/Require.h"
#include "tests/unit/FakeSystem.h"
#include "tests/unit/FakeUi.h"

namespace {

constexpr uint8_t kRecordPresent = 0x01;
constexpr uint8_t kRecordUnreadable = 0x02;
constexpr uint8_t kPrinterListed = 0x04;
constexpr uint8_t kDriverListed = 0x08;
constexpr uint8_t kUninstallsFail = 0x10;
constexpr uint8_t kRecordedInfPresent = 0x20;  // a file of the recorded name exists

constexpr int kInfNumbers = 101;  // one past the scan, so that oem100.inf can exist
constexpr int kLastScannedInf = 99;
constexpr std::size_t kRecordedNameMaxBytes = 63;

const std::string kPrinterName = "RT450";
const std::string kInfDirectory = "c:\\windows\\inf\\";
const std::string kRecordPath = kInfDirectory + kPrinterName + ".txt";

std::string InfName(int number) { return "oem" + std::to_string(number) + ".inf"; }

// The name a record file gives: its bytes up to the first zero, never more than 63.
std::string RecordedName(const std::string& record) {
    return std::string(record.c_str()).substr(0, kRecordedNameMaxBytes);
}

// Keeps the outcome of every uninstall, which the fake does not report afterwards.
class RecordingSystem : public fake::FakeSystem {
public:
    int failedUninstalls = 0;

    bool SetupUninstallOEMInf(const std::string& infFileName, uint32_t flags) override {
        const bool uninstalled = FakeSystem::SetupUninstallOEMInf(infFileName, flags);
        if (!uninstalled) ++failedUninstalls;
        return uninstalled;
    }
};

void RequireOnlyKnownFilesRead(const RecordingSystem& system, bool recordReadable) {
    const std::vector<std::string> reads = system.CallsStartingWith("ReadFile ");
    fuzz::Require(reads == std::vector<std::string>{"ReadFile " + kRecordPath},
                  "the record file is read, once, and no other file is read so");
    static const std::set<std::string> scannable = [] {
        std::set<std::string> lines;
        for (int number = 0; number <= kLastScannedInf; ++number)
            lines.insert("ScanFile " + kInfDirectory + InfName(number));
        return lines;
    }();
    const std::vector<std::string> scans = system.CallsStartingWith("ScanFile ");
    std::set<std::string> scanned;
    for (const auto& scan : scans) {
        fuzz::Require(scannable.count(scan) == 1, "only oem0.inf..oem99.inf are searched");
        fuzz::Require(scanned.insert(scan).second, "each INF file is searched once");
    }
    fuzz::Require(!recordReadable || scans.empty(), "a readable record ends the reading");
}

void RequireRecordedNameUninstalled(const RecordingSystem& system, const std::string& record,
                                    bool recordedFileExists) {
    const std::string recorded = RecordedName(record);
    const std::vector<std::string> expected{recorded};
    fuzz::Require(system.uninstalled == expected ||
                      (!recordedFileExists && system.uninstalled.empty()),
                  "a readable record uninstalls its name, when it names a file, and no other");
    for (const auto& name : system.uninstalled) {
        fuzz::Require(name.size() <= kRecordedNameMaxBytes && name.find('\0') == std::string::npos,
                      "the recorded name has at most 63 bytes and no zero byte");
    }
}

void RequireNamingInfsUninstalled(const RecordingSystem& system,
                                  const std::map<int, std::string>& infs) {
    std::vector<std::string> expected;
    for (const auto& [number, content] : infs) {
        if (number <= kLastScannedInf && fuzz::ReferenceCount(content, kPrinterName) > 0)
            expected.push_back(InfName(number));
    }
    fuzz::Require(system.uninstalled == expected,
                  "without a record, exactly the scanned INF files naming the printer go");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
    fuzz::InputReader input(data, size);
    const uint8_t switches = input.Byte();
    const std::string record = input.Chunk();
    std::map<int, std::string> infs;
    while (!input.AtEnd()) {
        const int number = input.Byte() % kInfNumbers;
        infs[number] = input.Chunk();
    }

    RecordingSystem system;
    fake::FakeUi ui;
    const bool recordPresent = (switches & kRecordPresent) != 0;
    const bool recordReadable = recordPresent && (switches & kRecordUnreadable) == 0;
    if (recordPresent) system.AddFile(kRecordPath, record);
    if (switches & kRecordUnreadable) system.failReadOf.insert(kRecordPath);
    for (const auto& [number, content] : infs)
        system.AddFile(kInfDirectory + InfName(number), content);
    if (switches & kPrinterListed) system.printers.push_back(kPrinterName);
    if (switches & kDriverListed) system.drivers.push_back(kPrinterName);
    if (switches & kUninstallsFail) {
        system.uninstallFails.insert(RecordedName(record));
        for (int number = 0; number < kInfNumbers; ++number)
            system.uninstallFails.insert(InfName(number));
    }
    const std::string recordedPath = kInfDirectory + RecordedName(record);
    if ((switches & kRecordedInfPresent) && !system.FileExists(recordedPath))
        system.AddFile(recordedPath, "[Version]");
    const bool recordedFileExists = system.FileExists(recordedPath);

    g_is64BitOs = 1;
    g_isWindows7 = 0;
    g_isWindows8 = 0;
    fuzz::Require(setup::RemovePreviousInstallation(system, ui, kPrinterName) == 1,
                  "with every command started, the removal reports 1");

    const std::size_t listed =
        (switches & kPrinterListed ? 1 : 0) + (switches & kDriverListed ? 1 : 0);
    fuzz::Require(system.processes.size() == listed,
                  "one deletion command for each of the listed printer and driver");
    RequireOnlyKnownFilesRead(system, recordReadable);
    if (recordReadable) {
        RequireRecordedNameUninstalled(system, record, recordedFileExists);
    } else {
        RequireNamingInfsUninstalled(system, infs);
    }
    fuzz::Require(ui.boxes.size() == static_cast<std::size_t>(system.failedUninstalls),
                  "one message box for each failed uninstall, and no other");
    return 0;
}
