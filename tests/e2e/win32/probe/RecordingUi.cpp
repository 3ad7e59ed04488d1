#include "RecordingUi.h"

#include "../common/JsonObject.h"
#include "../common/LogFile.h"
#include "../common/Text.h"

namespace e2e {

namespace {
constexpr int kIdOk = 1;
constexpr int kDialogNotCreated = -1;
}  // namespace

int RecordingUi::MessageBox(const std::string& text, const std::string& caption,
                            uint32_t type) {
    JsonObject line;
    line.Add("kind", "MessageBox")
        .Add("text", AnsiToUtf8(text))
        .Add("caption", AnsiToUtf8(caption))
        .Add("type", static_cast<long long>(type));
    AppendJson(logPath_, line);
    return kIdOk;
}

int RecordingUi::AfxMessageBox(const std::string& text, uint32_t type) {
    JsonObject line;
    line.Add("kind", "AfxMessageBox")
        .Add("text", AnsiToUtf8(text))
        .Add("type", static_cast<long long>(type));
    AppendJson(logPath_, line);
    return kIdOk;
}

void RecordingUi::PostQuit() { AppendJson(logPath_, JsonObject().Add("kind", "PostQuit")); }

int RecordingUi::RunPortDialog() {
    AppendJson(logPath_, JsonObject().Add("kind", "RunPortDialog"));
    return kDialogNotCreated;
}

}  // namespace e2e
