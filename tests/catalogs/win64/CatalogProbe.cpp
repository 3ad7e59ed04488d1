// Asks the system's own catalog and set-up calls about a package folder, for
// run_wine_catalogs.py:
//
//   catalog_probe members <catalog>   "member <TAG>" for each member the catalog API reads
//   catalog_probe hash <file>          "hash <TAG>": the hash the catalog API computes
//   catalog_probe stage <inf>          "staged <path>" or "failed <error>": SetupCopyOEMInfA
//
// Exit 0 when the call answered, 1 when it failed (the line says why).

#include <windows.h>

#include <mscat.h>
#include <setupapi.h>

#include <cstdio>
#include <string>
#include <vector>

namespace {

std::wstring Wide(const char* text) {
    const int length = ::MultiByteToWideChar(CP_ACP, 0, text, -1, nullptr, 0);
    std::wstring wide(static_cast<size_t>(length > 0 ? length : 1), L'\0');
    ::MultiByteToWideChar(CP_ACP, 0, text, -1, &wide[0], length);
    wide.resize(wide.size() - 1);
    return wide;
}

int Members(const char* catalog) {
    std::wstring path = Wide(catalog);
    HANDLE opened = ::CryptCATOpen(&path[0], CRYPTCAT_OPEN_EXISTING, 0, 0, 0);
    if (opened == INVALID_HANDLE_VALUE) {
        std::printf("failed %lu\n", ::GetLastError());
        return 1;
    }
    for (CRYPTCATMEMBER* member = nullptr;
         (member = ::CryptCATEnumerateMember(opened, member)) != nullptr;)
        std::printf("member %ls\n", member->pwszReferenceTag);
    ::CryptCATClose(opened);
    return 0;
}

int Hash(const char* file) {
    HANDLE handle = ::CreateFileA(file, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                  FILE_ATTRIBUTE_NORMAL, nullptr);
    if (handle == INVALID_HANDLE_VALUE) {
        std::printf("failed %lu\n", ::GetLastError());
        return 1;
    }
    std::vector<BYTE> hash(64);
    DWORD size = static_cast<DWORD>(hash.size());
    const BOOL computed = ::CryptCATAdminCalcHashFromFileHandle(handle, &size, hash.data(), 0);
    const DWORD error = ::GetLastError();
    ::CloseHandle(handle);
    if (!computed) {
        std::printf("failed %lu\n", error);
        return 1;
    }
    std::printf("hash ");
    for (DWORD i = 0; i < size; ++i) std::printf("%02X", hash[i]);
    std::printf("\n");
    return 0;
}

int Stage(const char* inf) {
    char destination[MAX_PATH] = {};
    if (!::SetupCopyOEMInfA(inf, nullptr, SPOST_PATH, 0, destination, MAX_PATH, nullptr,
                            nullptr)) {
        std::printf("failed %lu\n", ::GetLastError());
        return 1;
    }
    std::printf("staged %s\n", destination);
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 3) {
        std::printf("usage: catalog_probe members|hash|stage <path>\n");
        return 2;
    }
    const std::string verb = argv[1];
    if (verb == "members") return Members(argv[2]);
    if (verb == "hash") return Hash(argv[2]);
    if (verb == "stage") return Stage(argv[2]);
    std::printf("unknown verb %s\n", argv[1]);
    return 2;
}
