#include "package/Package.h"

#include "host/Platform.h"

namespace package {

Variant ChooseVariant() {
    switch (host::CurrentHostClass()) {
    case host::HostClass::Host64: return Variant::Amd64;
    case host::HostClass::Windows7Or8x86: return Variant::I386w7;
    case host::HostClass::Older32: break;
    }
    return Variant::I386;
}

const char* VariantFolder(Variant variant) {
    switch (variant) {
    case Variant::Amd64: return "amd64";
    case Variant::I386w7: return "i386w7";
    case Variant::I386: break;
    }
    return "i386";
}

std::string SourcePath(Variant variant, const std::string& name) {
    return std::string(".\\") + VariantFolder(variant) + "\\" + name;
}

std::string InfPath(Variant variant) { return SourcePath(variant, kInfFileName); }

}  // namespace package
