#include "tests/unit/FakeUi.h"

namespace fake {

std::vector<std::string> FakeUi::Texts() const {
    std::vector<std::string> texts;
    for (const auto& box : boxes) texts.push_back(box.text);
    return texts;
}

void FakeUi::Record(const std::string& event) {
    events.push_back(event);
    if (timeline != nullptr) timeline->push_back(event);
}

int FakeUi::Show(Box box) {
    box.closedByQuit = QuitPending();
    Record("box " + box.text);
    boxes.push_back(box);
    return 1;  // IDOK, whether the user or a pending quit closed it
}

int FakeUi::MessageBox(const std::string& text, const std::string& caption, uint32_t type) {
    return Show(Box{false, text, caption, type, false});
}

int FakeUi::AfxMessageBox(const std::string& text, uint32_t type) {
    return Show(Box{true, text, kApplicationName, sys::AfxMessageBoxStyle(type), false});
}

void FakeUi::PostQuit() {
    ++quitsPosted;
    Record("quit");
}

int FakeUi::RunPortDialog() {
    ++portDialogRuns;
    const int result = QuitPending() ? -1 : portChoice;
    if (result != -1 && onPortDialog) onPortDialog();
    Record("port " + std::to_string(result));
    return result;
}

}  // namespace fake
