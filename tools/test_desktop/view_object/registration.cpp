// Writes the view-object registration into HKEY_CLASSES_ROOT and takes it out again.
#include "tools/test_desktop/view_object/registration.h"

#include <windows.h>

#include "store/registry_key.h"
#include "tools/test_desktop/view_object/ids.h"

namespace testdesk {

namespace {

const wchar_t kShellWindows[] = L"{9BA05972-F6A8-11CF-A442-00A0C90A8F39}";
const wchar_t kFolderView[] = L"{CDE725B0-CCC9-4519-917E-325D72FAB4CE}";
const wchar_t kShellFolder[] = L"{000214E6-0000-0000-C000-000000000046}";
const wchar_t kEnumIdList[] = L"{000214F2-0000-0000-C000-000000000046}";

// The DLL's Unix build path as Windows programs under Wine take it.
std::wstring DllPath() {
    std::wstring path = L"Z:" TESTDESK_WIDEN(TORVINEL_SHELL_VIEW_PS_DLL);
    for (wchar_t& c : path)
        if (c == L'/') c = L'\\';
    return path;
}

bool KeyExists(const std::wstring& key) {
    UniqueRegKey k;
    return RegOpenKeyExW(HKEY_CLASSES_ROOT, key.c_str(), 0, KEY_READ, k.Put()) == ERROR_SUCCESS;
}

// The topmost key of `key`'s path that does not exist yet, or "".
std::wstring FirstMissing(const std::wstring& key) {
    std::wstring missing;
    for (std::wstring k = key; !k.empty() && !KeyExists(k);) {
        missing = k;
        const size_t cut = k.rfind(L'\\');
        k = cut == std::wstring::npos ? std::wstring() : k.substr(0, cut);
    }
    return missing;
}

bool ReadString(const std::wstring& key, const std::wstring& value, std::wstring& data) {
    wchar_t buffer[1024] = {};
    DWORD size = sizeof buffer - sizeof(wchar_t);
    if (RegGetValueW(HKEY_CLASSES_ROOT, key.c_str(), value.empty() ? nullptr : value.c_str(),
                     RRF_RT_REG_SZ, nullptr, buffer, &size) != ERROR_SUCCESS)
        return false;
    data = buffer;
    return true;
}

bool WriteString(const std::wstring& key, const std::wstring& value, const std::wstring& data) {
    UniqueRegKey k;
    if (RegCreateKeyExW(HKEY_CLASSES_ROOT, key.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr,
                        k.Put(), nullptr) != ERROR_SUCCESS)
        return false;
    return RegSetValueExW(k.Get(), value.empty() ? nullptr : value.c_str(), 0, REG_SZ,
                          reinterpret_cast<const BYTE*>(data.c_str()),
                          static_cast<DWORD>((data.size() + 1) * sizeof(wchar_t))) == ERROR_SUCCESS;
}

}  // namespace

ViewObjectRegistration::ViewObjectRegistration() {
    const std::wstring server = TESTDESK_SHELL_WINDOWS_CLSID_WTEXT;
    const std::wstring proxy = TESTDESK_PROXY_CLSID_WTEXT;
    m_ok = Set(L"CLSID\\" + server, L"", L"TORVINEL test desktop: ShellWindows") &&
           Set(L"CLSID\\" + proxy, L"", L"TORVINEL test desktop: shell view proxy") &&
           Set(L"CLSID\\" + proxy + L"\\InprocServer32", L"", DllPath()) &&
           Set(L"CLSID\\" + proxy + L"\\InprocServer32", L"ThreadingModel", L"Both") &&
           Set(std::wstring(L"Interface\\") + kFolderView + L"\\ProxyStubClsid32", L"", proxy) &&
           Set(std::wstring(L"Interface\\") + kShellFolder + L"\\ProxyStubClsid32", L"", proxy) &&
           Set(std::wstring(L"Interface\\") + kEnumIdList + L"\\ProxyStubClsid32", L"", proxy) &&
           Set(std::wstring(L"CLSID\\") + kShellWindows + L"\\TreatAs", L"", server);
}

ViewObjectRegistration::~ViewObjectRegistration() {
    for (auto it = m_undo.rbegin(); it != m_undo.rend(); ++it) {
        if (!it->created.empty()) {
            RegDeleteTreeW(HKEY_CLASSES_ROOT, it->created.c_str());
        } else if (it->hadValue) {
            WriteString(it->key, it->value, it->old);
        } else {
            UniqueRegKey k;
            if (RegOpenKeyExW(HKEY_CLASSES_ROOT, it->key.c_str(), 0, KEY_SET_VALUE, k.Put()) ==
                ERROR_SUCCESS)
                RegDeleteValueW(k.Get(), it->value.empty() ? nullptr : it->value.c_str());
        }
    }
}

bool ViewObjectRegistration::Set(const std::wstring& key, const std::wstring& value,
                                 const std::wstring& data) {
    Undo undo;
    undo.key = key;
    undo.value = value;
    undo.created = FirstMissing(key);
    undo.hadValue = undo.created.empty() && ReadString(key, value, undo.old);
    m_undo.push_back(undo);
    return WriteString(key, value, data);
}

}  // namespace testdesk
