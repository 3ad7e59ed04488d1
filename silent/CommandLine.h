#pragma once
// The command line of the unattended installer, in the conventions of Windows
// installers: /port:usb | /port:lpt1, /log:<file>, /uninstall, /msi, /?. Switch names and
// port values are taken in any letter case, with '/' or '-' before them.

#include <string>
#include <vector>

namespace silent {

enum class Action { Install, Uninstall, Help };
enum class Port { Usb, Parallel };

struct Options {
    Action action = Action::Install;
    // Without /port the printer is installed for USB, as the window program does when
    // its port dialog is confirmed without the parallel box ticked.
    Port port = Port::Usb;
    std::string logPath;  // empty: the default log in the temporary folder
    // /msi: the caller is Windows Installer, which takes every exit code but 0 for a
    // failure, so the success 20 is answered 0.
    bool forWindowsInstaller = false;
};

struct ParsedCommandLine {
    bool valid = true;
    Options options;          // what was understood, also when another argument is wrong
    std::string badArgument;  // the first argument that is wrong, as given
    std::string reason;       // why, in a few words
};

// The arguments as the C runtime split them, without the program's name.
ParsedCommandLine ParseCommandLine(const std::vector<std::string>& args);

// The arguments as one text, each quoted when it holds a blank.
std::string JoinArguments(const std::vector<std::string>& args);

}  // namespace silent
