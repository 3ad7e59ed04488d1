// The search for a printer name in an INF file's text, against a plain reference count.
//
// Input: one byte for the file's state (its value modulo 3: readable, missing, opens but
// cannot be read), a length byte and that many bytes of search text, then the file's
// bytes.

#include <cstddef>
#include <cstdint>
#include <string>

#include "setup/Removal.h"
#include "tests/fuzz/InputReader.h"
#include "tests/fuzz/ReferenceCount.h"
#include "tests/fuzz/Require.h"
#include "tests/unit/FakeSystem.h"

namespace {

enum class FileState { Readable, Missing, Unreadable };

const char* const kFilePath = "c:\\windows\\inf\\oem7.inf";

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
    fuzz::InputReader input(data, size);
    const auto state = static_cast<FileState>(input.Byte() % 3);
    const std::string text = input.Chunk();
    const std::string fileBytes = input.Rest();

    fake::FakeSystem system;
    if (state != FileState::Missing) system.AddFile(kFilePath, fileBytes);
    if (state == FileState::Unreadable) system.failReadOf.insert(kFilePath);

    const int expected = state == FileState::Readable ? fuzz::ReferenceCount(fileBytes, text) : 0;
    fuzz::Require(setup::CountOccurrencesInFile(system, kFilePath, text) == expected,
                  "the count equals the reference count");
    return 0;
}
