// Names without extensions and the user's HideFileExt (see hidden_extensions.h).
#include "tools/test_desktop/hidden_extensions.h"

#include <shlwapi.h>

#include "store/registry_key.h"
#include "tools/test_desktop/code_page.h"

namespace testdesk {

namespace {

constexpr wchar_t kHideFileExt[] = L"HideFileExt";

bool OpenAdvanced(UniqueRegKey& key, REGSAM access) {
    return RegCreateKeyExW(HKEY_CURRENT_USER, kAdvancedKey, 0, nullptr, REG_OPTION_NON_VOLATILE,
                           access, nullptr, key.Put(), nullptr) == ERROR_SUCCESS;
}

}  // namespace

std::string WithoutExtension(const std::string& fileName) {
    std::wstring name = ToWide(fileName);
    if (name.empty() || name[0] == L'.') return fileName;
    name.resize(static_cast<size_t>(PathFindExtensionW(name.c_str()) - name.c_str()));
    return FromWide(name);
}

std::optional<FoundValue> ReadHideFileExt() {
    UniqueRegKey key;
    if (RegOpenKeyExW(HKEY_CURRENT_USER, kAdvancedKey, 0, KEY_QUERY_VALUE, key.Put()) !=
        ERROR_SUCCESS)
        return std::nullopt;
    FoundValue found;
    DWORD size = 0;
    if (RegQueryValueExW(key.Get(), kHideFileExt, nullptr, &found.type, nullptr, &size) !=
        ERROR_SUCCESS)
        return std::nullopt;
    found.bytes.resize(size);
    if (RegQueryValueExW(key.Get(), kHideFileExt, nullptr, &found.type,
                         reinterpret_cast<BYTE*>(&found.bytes[0]), &size) != ERROR_SUCCESS)
        return std::nullopt;
    found.bytes.resize(size);
    return found;
}

bool WriteHideFileExt(const std::optional<FoundValue>& value) {
    UniqueRegKey key;
    if (!OpenAdvanced(key, KEY_SET_VALUE)) return false;
    if (!value) {
        const LONG rc = RegDeleteValueW(key.Get(), kHideFileExt);
        return rc == ERROR_SUCCESS || rc == ERROR_FILE_NOT_FOUND;
    }
    return RegSetValueExW(key.Get(), kHideFileExt, 0, value->type,
                          reinterpret_cast<const BYTE*>(value->bytes.data()),
                          static_cast<DWORD>(value->bytes.size())) == ERROR_SUCCESS;
}

ExtensionsHidden::ExtensionsHidden() : m_found(ReadHideFileExt()) {
    const DWORD hide = 1;
    m_ok = WriteHideFileExt(
        FoundValue{REG_DWORD, std::string(reinterpret_cast<const char*>(&hide), sizeof hide)});
}

ExtensionsHidden::~ExtensionsHidden() { WriteHideFileExt(m_found); }

}  // namespace testdesk
