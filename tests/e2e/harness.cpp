// The e2e harness: registry seeding and reading, AppDefaults, the running program.
#include "tests/e2e/harness.h"

#include <algorithm>

namespace e2e {

const wchar_t kLayoutsKey[] = L"Software\\BRANOK Soft\\TORVINEL";

namespace {
// An open registry key, closed on destruction.
class Key {
public:
    Key(HKEY parent, const std::wstring& path, bool create) {
        const LONG rc = create ? RegCreateKeyExW(parent, path.c_str(), 0, nullptr, 0,
                                                 KEY_ALL_ACCESS, nullptr, &m_hKey, nullptr)
                               : RegOpenKeyExW(parent, path.c_str(), 0, KEY_READ, &m_hKey);
        if (rc != ERROR_SUCCESS) m_hKey = nullptr;
    }
    ~Key() {
        if (m_hKey) RegCloseKey(m_hKey);
    }
    Key(const Key&) = delete;
    Key& operator=(const Key&) = delete;
    HKEY get() const { return m_hKey; }

    void SetDword(const std::wstring& name, DWORD value) const {
        RegSetValueExW(m_hKey, name.c_str(), 0, REG_DWORD, reinterpret_cast<const BYTE*>(&value),
                       sizeof value);
    }
    void SetString(const std::wstring& name, const std::wstring& value) const {
        RegSetValueExW(m_hKey, name.c_str(), 0, REG_SZ,
                       reinterpret_cast<const BYTE*>(value.c_str()),
                       static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t)));
    }

private:
    HKEY m_hKey = nullptr;
};

std::wstring Section(const wchar_t* section) { return std::wstring(kLayoutsKey) + L"\\" + section; }
}  // namespace

std::wstring TorvinelExePath() {
    std::wstring path = TORVINEL_EXE_PATH;
    std::replace(path.begin(), path.end(), L'/', L'\\');
    return path;
}

bool KeyExists(const std::wstring& path) {
    return Key(HKEY_CURRENT_USER, path, false).get() != nullptr;
}

void DeleteKeyTree(const std::wstring& path) { RegDeleteTreeW(HKEY_CURRENT_USER, path.c_str()); }

void DeleteLayouts() { DeleteKeyTree(kLayoutsKey); }

void SeedLayouts(const std::vector<SeedLayout>& layouts) {
    DeleteLayouts();
    Key title(HKEY_CURRENT_USER, Section(L"Title"), true);
    Key pos(HKEY_CURRENT_USER, Section(L"Pos"), true);
    title.SetDword(L"Number", static_cast<DWORD>(layouts.size()));
    for (size_t i = 0; i < layouts.size(); ++i) {
        const std::wstring n = std::to_wstring(i);
        title.SetString(L"Title[" + n + L"]", layouts[i].title);
        pos.SetDword(L"Number[" + n + L"]", static_cast<DWORD>(layouts[i].icons.size()));
        for (size_t j = 0; j < layouts[i].icons.size(); ++j) {
            const std::wstring ij = L"[" + n + L"][" + std::to_wstring(j) + L"]";
            pos.SetDword(L"Pos" + ij, layouts[i].icons[j].packedPos);
            pos.SetString(L"Name" + ij, layouts[i].icons[j].name);
        }
    }
}

std::optional<DWORD> ReadDword(const wchar_t* section, const std::wstring& name) {
    Key key(HKEY_CURRENT_USER, Section(section), false);
    DWORD value = 0, size = sizeof value, type = 0;
    if (!key.get() ||
        RegQueryValueExW(key.get(), name.c_str(), nullptr, &type, reinterpret_cast<BYTE*>(&value),
                         &size) != ERROR_SUCCESS ||
        type != REG_DWORD)
        return std::nullopt;
    return value;
}

std::optional<std::wstring> ReadString(const wchar_t* section, const std::wstring& name) {
    Key key(HKEY_CURRENT_USER, Section(section), false);
    DWORD size = 0, type = 0;
    if (!key.get() ||
        RegQueryValueExW(key.get(), name.c_str(), nullptr, &type, nullptr, &size) !=
            ERROR_SUCCESS ||
        type != REG_SZ)
        return std::nullopt;
    std::wstring value(size / sizeof(wchar_t) + 1, L'\0');
    size = static_cast<DWORD>(value.size() * sizeof(wchar_t));
    if (RegQueryValueExW(key.get(), name.c_str(), nullptr, &type,
                         reinterpret_cast<BYTE*>(value.data()), &size) != ERROR_SUCCESS)
        return std::nullopt;
    value.resize(wcsnlen(value.c_str(), value.size()));
    return value;
}

namespace {
void CollectValues(HKEY key, const std::wstring& prefix, LayoutValues& out) {
    wchar_t name[256];
    BYTE data[4096];
    for (DWORD i = 0;; ++i) {
        DWORD nameLen = 256;
        DWORD dataLen = sizeof data;
        DWORD type = 0;
        if (RegEnumValueW(key, i, name, &nameLen, nullptr, &type, data, &dataLen) != ERROR_SUCCESS)
            break;
        out[prefix + name] = {type, std::string(reinterpret_cast<char*>(data), dataLen)};
    }
    for (DWORD i = 0;; ++i) {
        DWORD nameLen = 256;
        if (RegEnumKeyExW(key, i, name, &nameLen, nullptr, nullptr, nullptr, nullptr) !=
            ERROR_SUCCESS)
            break;
        const Key sub(key, name, false);
        if (sub.get()) CollectValues(sub.get(), prefix + name + L"\\", out);
    }
}
}  // namespace

LayoutValues ReadLayoutValues() {
    LayoutValues out;
    const Key key(HKEY_CURRENT_USER, kLayoutsKey, false);
    if (key.get()) CollectValues(key.get(), L"", out);
    return out;
}

std::vector<std::wstring> ReadTitles() {
    std::vector<std::wstring> titles;
    const DWORD n = ReadDword(L"Title", L"Number").value_or(0);
    for (DWORD i = 0; i < n; ++i)
        titles.push_back(ReadString(L"Title", L"Title[" + std::to_wstring(i) + L"]").value_or(L""));
    return titles;
}

void SetWin98(bool on) {
    const wchar_t* path = L"Software\\Wine\\AppDefaults\\TORVINEL.EXE";
    if (on) {
        Key key(HKEY_CURRENT_USER, path, true);
        key.SetString(L"Version", L"win98");
    } else {
        RegDeleteTreeW(HKEY_CURRENT_USER, path);
    }
}

RunningApp::RunningApp(bool asWin98) {
    if (asWin98) SetWin98(true);
    m_process = driver::Start(TorvinelExePath());
    if (asWin98) {
        // The platform warning (captioned with the application name) comes first.
        HWND warning =
            m_process ? driver::WaitForDialog(m_process.id(), L"TORVINEL", 10000) : nullptr;
        SetWin98(false);
        if (!warning) return;
        driver::AnswerMessageBox(warning, IDOK);
    }
    if (m_process) m_main = driver::WaitForDialog(m_process.id(), driver::kMainCaption, 10000);
}

RunningApp::~RunningApp() { m_process.Terminate(); }

HWND RunningApp::WaitForBox(const std::wstring& caption, DWORD timeoutMs) const {
    return driver::WaitForDialog(m_process.id(), caption, timeoutMs);
}

}  // namespace e2e
