#include "silent/OutcomeCheck.h"

#include <algorithm>
#include <cctype>
#include <cstdint>
#include <vector>

#include "host/Platform.h"
#include "host/SpoolerQueries.h"
#include "package/DriverVer.h"
#include "package/Package.h"
#include "setup/DriverInstallation.h"
#include "setup/ModelName.h"
#include "setup/Removal.h"
#include "setup/StagedInfFiles.h"

namespace silent {

namespace {
const char* const kParallelPort = "LPT1:";
const char* const kUsbPortPrefix = "usb";
// How long the spooler may take to make a USB printer's queue, and how often it is
// asked meanwhile.
constexpr uint32_t kUsbQueueWithinMilliseconds = 60 * 1000;
constexpr uint32_t kUsbQueuePollMilliseconds = 1000;

std::string Quoted(const std::string& text) { return '"' + text + '"'; }

std::string Describe(const sys::PrinterQueue& queue) {
    return "queue " + Quoted(queue.printerName) + " on " +
           (queue.portName.empty() ? std::string("no port") : queue.portName) +
           " with driver " + Quoted(queue.driverName);
}

bool IsUsbPort(const std::string& port) {
    std::string start = port.substr(0, 3);
    for (char& c : start) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return start == kUsbPortPrefix;
}

bool OnAskedPort(const sys::PrinterQueue& queue, Port port) {
    return port == Port::Parallel ? queue.portName == kParallelPort : IsUsbPort(queue.portName);
}

// One look at the spooler's queues.
Seen LookForQueue(sys::System& system, Port port) {
    const std::string asked = "queue " + Quoted(setup::kModelName) + " on " +
                              (port == Port::Parallel ? kParallelPort : "a USB port") +
                              " with driver " + Quoted(setup::kModelName);
    std::vector<sys::PrinterQueue> queues;
    if (!system.EnumPrinterQueues(queues))
        return {false, "the spooler could not list its printers, so no " + asked + " was seen"};
    for (const sys::PrinterQueue& queue : queues) {
        if (queue.printerName != setup::kModelName) continue;
        if (OnAskedPort(queue, port) && queue.driverName == setup::kModelName)
            return {true, Describe(queue)};
        return {false, Describe(queue) + ", not the " + asked};
    }
    return {false, "no queue " + Quoted(setup::kModelName) + " (asked for the " + asked + ")"};
}

std::vector<std::string> DriverEnvironments() {
    std::vector<std::string> environments{host::kEnvironmentX86};
    if (host::CurrentHostClass() == host::HostClass::Host64)
        environments.push_back(host::kEnvironmentX64);
    return environments;
}

std::string Joined(const std::vector<std::string>& parts) {
    std::string text;
    for (const std::string& part : parts) text += (text.empty() ? "" : "; ") + part;
    return text;
}
}  // namespace

Seen SeeInstalledQueue(sys::System& system, Port port) {
    Seen seen = LookForQueue(system, port);
    if (port == Port::Usb) {
        for (uint32_t waited = 0; !seen.asClaimed && waited < kUsbQueueWithinMilliseconds;
             waited += kUsbQueuePollMilliseconds) {
            system.Sleep(kUsbQueuePollMilliseconds);
            seen = LookForQueue(system, port);
        }
    }
    return seen;
}

Seen SeeDriverWaitingForDevice(sys::System& system) {
    const std::string record = setup::RecordFilePath(g_modelName);
    const sys::FileRead read = system.ReadFile(record, setup::kRecordReadBytes);
    if (!read.opened || !read.readOk)
        return {false, "the record file " + record + " could not be read"};
    const std::string infName = read.bytes.substr(0, read.bytes.find('\0'));
    if (infName.empty() || infName.find_first_of("\\/:") != std::string::npos)
        return {false, "the record file " + record + " names no staged INF file"};
    const std::string staged = setup::kInfDirectory + infName;
    if (!system.PathFileExists(staged))
        return {false, "the staged INF file " + staged + " that " + record + " names is not there"};
    return {true, "the staged INF file " + staged + " waits for the printer to be plugged in"};
}

Seen SeeThisPackagesDriver(sys::System& system, bool installed) {
    const std::string inf = package::InfPath(package::ChooseVariant());
    uint64_t packageVersion = 0;
    if (!package::ReadDriverVer(system, inf, packageVersion))
        return {false, "no DriverVer version could be read from " + inf};
    const std::string ours = package::DriverVersionText(packageVersion);
    const std::string environment = host::CurrentHostClass() == host::HostClass::Host64
                                        ? host::kEnvironmentX64
                                        : host::kEnvironmentX86;
    const std::string driver =
        "the driver " + Quoted(setup::kModelName) + " in " + Quoted(environment);
    std::vector<sys::PrinterDriverVersion> drivers;
    if (!system.EnumPrinterDriverVersions(environment, drivers))
        return {false, "the spooler could not tell the versions of its drivers in " +
                           Quoted(environment)};
    const auto found = std::find_if(drivers.begin(), drivers.end(), [](const auto& entry) {
        return entry.name == setup::kModelName;
    });
    if (found == drivers.end()) {
        if (installed) return {false, "no " + driver};
        return {true, "no " + driver + " yet; this package's is version " + ours};
    }
    if (found->driverVersion == 0)
        return {true, driver + ": the spooler keeps no version of it; taken as this package's " +
                          ours};
    if (found->driverVersion != packageVersion)
        return {false,
                driver + " is version " + package::DriverVersionText(found->driverVersion) +
                    ", not this package's " + ours,
                true};
    return {true, driver + " is version " + ours + ", this package's"};
}

Seen SeeNothingLeft(sys::System& system) {
    std::vector<std::string> left;
    std::vector<sys::PrinterQueue> queues;
    if (!system.EnumPrinterQueues(queues)) left.push_back("the printers (not listed)");
    for (const sys::PrinterQueue& queue : queues) {
        if (queue.printerName == setup::kModelName || queue.driverName == setup::kModelName)
            left.push_back(Describe(queue));
    }
    for (const std::string& environment : DriverEnvironments()) {
        std::vector<std::string> drivers;
        if (!system.EnumPrinterDriversIn(environment, drivers))
            left.push_back("the drivers in " + Quoted(environment) + " (not listed)");
        if (std::find(drivers.begin(), drivers.end(), setup::kModelName) != drivers.end())
            left.push_back("driver " + Quoted(setup::kModelName) + " in " + Quoted(environment));
    }
    const std::string record = setup::RecordFilePath(g_modelName);
    if (system.PathFileExists(record)) left.push_back("the record file " + record);
    std::string infDirectory;
    std::vector<std::string> staged;
    if (!setup::SystemInfDirectory(system, infDirectory) ||
        !setup::ListStagedInfFiles(system, infDirectory, staged))
        left.push_back("the staged INF files (not listed)");
    for (const std::string& name : staged) {
        const std::string path = infDirectory + name;
        if (setup::CountOccurrencesInFile(system, path, setup::kModelName) > 0)
            left.push_back("the staged INF file " + path);
    }
    if (left.empty()) return {true, "nothing of " + std::string(setup::kModelName) + " is left"};
    return {false, "left behind: " + Joined(left)};
}

}  // namespace silent
