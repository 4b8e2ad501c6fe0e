// Name derivation from the module path, stepping through it one character at a time.
#include "win/module_names.h"

bool IsCp932LeadByte(unsigned char byte) {
    return (byte >= 0x81 && byte <= 0x9F) || (byte >= 0xE0 && byte <= 0xFC);
}

ModuleNames DeriveModuleNames(const std::string& modulePath, const LeadBytePredicate& isLeadByte) {
    // Last '.' of the whole path, stepping by characters.
    size_t dot = std::string::npos;
    for (size_t i = 0; i < modulePath.size();) {
        const unsigned char c = static_cast<unsigned char>(modulePath[i]);
        if (c == '.') dot = i;
        i += (isLeadByte(c) && i + 1 < modulePath.size()) ? 2 : 1;
    }
    const std::string cut = dot == std::string::npos ? modulePath : modulePath.substr(0, dot);

    size_t titleStart = 0;
    for (size_t i = 0; i < cut.size();) {
        const unsigned char c = static_cast<unsigned char>(cut[i]);
        if (c == '\\' || c == '/' || c == ':') titleStart = i + 1;
        i += (isLeadByte(c) && i + 1 < cut.size()) ? 2 : 1;
    }
    return ModuleNames{cut.substr(titleStart), cut + ".HLP"};
}
