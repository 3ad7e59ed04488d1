#include "silent/SilentUi.h"

#include "package/Staging.h"
#include "setup/PortChoice.h"

namespace silent {

namespace {
constexpr int kIdOk = 1;
}

// The captions and texts are the program's own, but in the boxes of a failed staging,
// which show what the system gave.
int SilentUi::MessageBox(const std::string& text, const std::string& caption, uint32_t) {
    const TextSource textSource =
        caption == package::kInstallErrorCaption ? TextSource::System : TextSource::Program;
    log_.Write({{TextSource::System, "message \""},
                {TextSource::Program, caption},
                {TextSource::System, "\": "},
                {textSource, text}});
    return kIdOk;
}

int SilentUi::AfxMessageBox(const std::string& text, uint32_t) {
    log_.Write({{TextSource::System, "message \"" + std::string(kWindowProgramName) + "\": "},
                {TextSource::Program, text}});
    return kIdOk;
}

int SilentUi::RunPortDialog() {
    log_.Write(portChoice_ == PORT_PARALLEL ? "port LPT1: (from the command line)"
                                            : "port USB (from the command line)");
    return portChoice_;
}

}  // namespace silent
