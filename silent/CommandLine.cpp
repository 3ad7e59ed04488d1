#include "silent/CommandLine.h"

#include <cctype>
#include <set>

namespace silent {

namespace {

std::string Lower(std::string text) {
    for (char& c : text) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return text;
}

// Parses one argument into options; false with the reason when it is wrong. seen holds
// the names already given, so that none is given twice.
bool ParseArgument(const std::string& arg, Options& options, std::set<std::string>& seen,
                   std::string& reason) {
    if (arg.size() < 2 || (arg[0] != '/' && arg[0] != '-')) {
        reason = "not a switch: switches start with / or -";
        return false;
    }
    const std::size_t colon = arg.find(':');
    const std::string name = Lower(arg.substr(1, colon == std::string::npos ? colon : colon - 1));
    const bool hasValue = colon != std::string::npos;
    const std::string value = hasValue ? arg.substr(colon + 1) : std::string();

    if (!seen.insert(name).second) {
        reason = "given twice";
        return false;
    }

    if (name == "?" || name == "uninstall" || name == "msi") {
        if (hasValue) {
            reason = "takes no value";
            return false;
        }
        if (name == "msi")
            options.forWindowsInstaller = true;
        else
            options.action = name == "?" ? Action::Help : Action::Uninstall;
        return true;
    }
    if (name == "port" || name == "log") {
        if (value.empty()) {
            reason = "needs a value after the colon";
            return false;
        }
        if (name == "log") {
            options.logPath = value;
            return true;
        }
        const std::string port = Lower(value);
        if (port != "usb" && port != "lpt1") {
            reason = "the port is usb or lpt1";
            return false;
        }
        options.port = port == "usb" ? Port::Usb : Port::Parallel;
        return true;
    }
    reason = "unknown switch";
    return false;
}

// The first argument that is the switch of that name, with or without a value.
std::string FirstNamed(const std::vector<std::string>& args, const std::string& name) {
    for (const std::string& arg : args) {
        const std::string lower = Lower(arg);
        if (lower.compare(1, name.size(), name) == 0 &&
            (lower.size() == name.size() + 1 || lower[name.size() + 1] == ':'))
            return arg;
    }
    return {};
}

}  // namespace

ParsedCommandLine ParseCommandLine(const std::vector<std::string>& args) {
    ParsedCommandLine parsed;
    std::set<std::string> seen;
    for (const std::string& arg : args) {
        std::string reason;
        if (!ParseArgument(arg, parsed.options, seen, reason) && parsed.valid) {
            parsed.valid = false;
            parsed.badArgument = arg;
            parsed.reason = reason;
        }
    }
    // The exit code answers for what was asked: usage beside an install or a removal
    // would answer 0 for a run that did nothing, so /? stands alone (but for /log).
    if (parsed.valid && seen.count("?") != 0 &&
        (seen.count("uninstall") != 0 || seen.count("port") != 0 || seen.count("msi") != 0)) {
        parsed.valid = false;
        parsed.badArgument = FirstNamed(args, "?");
        parsed.reason = "/? stands alone: it shows the usage and does nothing else";
    }
    // A removal installs nothing, so a port for it is a mistake of the caller's.
    if (parsed.valid && parsed.options.action == Action::Uninstall &&
        seen.count("port") != 0) {
        parsed.valid = false;
        parsed.badArgument = FirstNamed(args, "port");
        parsed.reason = "/port has no meaning with /uninstall";
    }
    return parsed;
}

std::string JoinArguments(const std::vector<std::string>& args) {
    std::string joined;
    for (const std::string& arg : args) {
        if (!joined.empty()) joined += ' ';
        joined += arg.find_first_of(" \t") == std::string::npos || arg.empty()
                      ? arg
                      : '"' + arg + '"';
    }
    return joined;
}

}  // namespace silent
