#include "tests/unit/PrinterSetupDouble.h"

#include <algorithm>
#include <cstdio>
#include <map>

namespace fake {

namespace {
bool Has(const std::vector<std::string>& list, const std::string& name) {
    return std::find(list.begin(), list.end(), name) != list.end();
}
void Remove(std::vector<std::string>& list, const std::string& name) {
    list.erase(std::remove(list.begin(), list.end(), name), list.end());
}

// The driver, anew or over one of its name, with the version of the INF it comes from.
void InstallDriver(FakeSystem& system, bool x64, const std::string& name,
                   const std::string& infPath) {
    std::vector<std::string>& drivers = x64 ? system.drivers64 : system.drivers;
    if (!Has(drivers, name)) drivers.push_back(name);
    (x64 ? system.driverVersions64 : system.driverVersions)[name] = DriverVerOf(system, infPath);
}

const char* const kSetup64Inf = ".\\amd64\\ZORQ80-Series.INF";
}  // namespace

uint64_t DriverVerOf(const FakeSystem& system, const std::string& infPath) {
    const std::string bytes = system.FileBytes(infPath);
    const std::size_t line = bytes.find("DriverVer=");
    if (line == std::string::npos) return 0;
    const std::size_t comma = bytes.find(',', line);
    uint64_t version = 0;
    unsigned parts[4] = {};
    if (comma != std::string::npos &&
        std::sscanf(bytes.c_str() + comma + 1, "%u.%u.%u.%u", &parts[0], &parts[1], &parts[2],
                    &parts[3]) == 4) {
        for (unsigned part : parts) version = (version << 16) | part;
    }
    return version;
}

std::vector<std::string> SplitCommandLine(const std::string& commandLine) {
    std::vector<std::string> arguments;
    std::string current;
    bool quoted = false;
    bool inArgument = false;
    for (const char c : commandLine) {
        if (c == '"') {
            quoted = !quoted;
            inArgument = true;
        } else if (!quoted && (c == ' ' || c == '\t')) {
            if (inArgument) arguments.push_back(current);
            current.clear();
            inArgument = false;
        } else {
            current += c;
            inArgument = true;
        }
    }
    if (inArgument) arguments.push_back(current);
    return arguments;
}

void DoPrinterSetupCommand(FakeSystem& system, const std::string& commandLine) {
    const std::vector<std::string> arguments = SplitCommandLine(commandLine);
    if (arguments.size() < 2 || arguments[1] != "printui.dll,PrintUIEntry") return;
    std::vector<std::string> operations;
    std::map<std::string, std::string> values;
    for (std::size_t at = 2; at < arguments.size(); ++at) {
        const std::string& argument = arguments[at];
        const bool takesValue = argument == "/b" || argument == "/n" || argument == "/m" ||
                                argument == "/r" || argument == "/f" || argument == "/h" ||
                                argument == "/v";
        if (takesValue && at + 1 < arguments.size()) {
            values[argument] = arguments[++at];
        } else {
            operations.push_back(argument);
        }
    }
    const bool x64 = values["/h"] == "x64";
    std::vector<std::string>& drivers = x64 ? system.drivers64 : system.drivers;
    for (const std::string& operation : operations) {
        if (operation == "/ia") {
            // From the driver store: the package that the run staged.
            InstallDriver(system, x64, values["/m"],
                          system.windowsDirectory + "\\inf\\" + system.stagedInfName);
        } else if (operation == "/if") {
            const std::string& driver = values["/m"];
            if (!values["/f"].empty()) InstallDriver(system, x64, driver, values["/f"]);
            // Without /f the driver must be there already: a 64-bit host's queue needs
            // the 64-bit driver.
            const bool driverThere =
                Has(system.wow64 != 0 ? system.drivers64 : system.drivers, driver);
            if (!driverThere || Has(system.printers, values["/b"])) continue;
            system.printers.push_back(values["/b"]);
            system.printerDetails[values["/b"]] = {values["/b"], values["/r"], driver};
        } else if (operation == "/dl") {
            Remove(system.printers, values["/n"]);
            system.printerDetails.erase(values["/n"]);
        } else if (operation == "/dd") {
            const bool inUse = std::any_of(
                system.printerDetails.begin(), system.printerDetails.end(),
                [&](const auto& entry) { return entry.second.driverName == values["/m"]; });
            if (!inUse) Remove(drivers, values["/m"]);
        }
    }
}

void AddUsbQueue(FakeSystem& system, const std::string& infPath) {
    InstallDriver(system, system.wow64 != 0, "RT450", infPath);
    if (!Has(system.printers, "RT450")) system.printers.push_back("RT450");
    system.printerDetails["RT450"] = {"RT450", "USB001", "RT450"};
}

void UsePrinterSetupDouble(FakeSystem& system,
                           std::function<bool(const std::string& commandLine)> fails) {
    system.onProcessStart = [&system, fails](const std::string& commandLine) {
        if (fails && fails(commandLine)) return;
        if (commandLine.find("Setup64.exe") != std::string::npos) {
            if (system.exitCodeKnown && system.exitCode == 1) AddUsbQueue(system, kSetup64Inf);
            return;
        }
        DoPrinterSetupCommand(system, commandLine);
    };
    // The update's INF: the last call's second field.
    system.onDriverUpdated = [&system] {
        const std::string& call = system.updateDriverCalls.back();
        const std::size_t from = call.find('|') + 1;
        AddUsbQueue(system, call.substr(from, call.find('|', from) - from));
    };
}

}  // namespace fake
