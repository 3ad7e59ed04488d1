#include "silent/SilentUi.h"

#include "setup/PortChoice.h"

namespace silent {

namespace {
constexpr int kIdOk = 1;
}

int SilentUi::MessageBox(const std::string& text, const std::string& caption, uint32_t) {
    log_.Write("message \"" + caption + "\": " + text);
    return kIdOk;
}

int SilentUi::AfxMessageBox(const std::string& text, uint32_t) {
    log_.Write("message \"" + std::string(kWindowProgramName) + "\": " + text);
    return kIdOk;
}

int SilentUi::RunPortDialog() {
    log_.Write(portChoice_ == PORT_PARALLEL ? "port LPT1: (from the command line)"
                                            : "port USB (from the command line)");
    return portChoice_;
}

}  // namespace silent
