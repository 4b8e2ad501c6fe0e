// The registry side of the harness (see registry.h). Keys are owned by the store's one
// registry-key alias of the handle template.
#include "tests/e2e/harness/registry.h"

#include "store/layout_store.h"
#include "store/registry_key.h"

namespace e2e {

const wchar_t kLayoutsKey[] = L"Software\\BRANOK Soft\\TORVINEL";
const wchar_t kSnapshotTitle[] = L"（復元前の配置）";

namespace {

using Key = UniqueRegKey;

Key OpenKey(HKEY parent, const std::wstring& path) {
    HKEY key = nullptr;
    return Key(RegOpenKeyExW(parent, path.c_str(), 0, KEY_READ, &key) == ERROR_SUCCESS ? key
                                                                                       : nullptr);
}

Key CreateKey(const std::wstring& path) {
    HKEY key = nullptr;
    return Key(RegCreateKeyExW(HKEY_CURRENT_USER, path.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS,
                               nullptr, &key, nullptr) == ERROR_SUCCESS
                   ? key
                   : nullptr);
}

void SetDword(const Key& key, const std::wstring& name, DWORD value) {
    RegSetValueExW(key.Get(), name.c_str(), 0, REG_DWORD, reinterpret_cast<const BYTE*>(&value),
                   sizeof value);
}

void SetString(const Key& key, const std::wstring& name, const std::wstring& value) {
    RegSetValueExW(key.Get(), name.c_str(), 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                   static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t)));
}

std::wstring Section(const wchar_t* section) { return std::wstring(kLayoutsKey) + L"\\" + section; }

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
        const Key sub = OpenKey(key, name);
        if (sub) CollectValues(sub.Get(), prefix + name + L"\\", out);
    }
}

}  // namespace

bool KeyExists(const std::wstring& path) {
    return static_cast<bool>(OpenKey(HKEY_CURRENT_USER, path));
}

void DeleteKeyTree(const std::wstring& path) { RegDeleteTreeW(HKEY_CURRENT_USER, path.c_str()); }

SeedLayout OtherLayout() { return {L"other", {{PackIconPos(1, 1), L"x"}}}; }

void DeleteLayouts() { DeleteKeyTree(kLayoutsKey); }

void SeedLayouts(const std::vector<SeedLayout>& layouts) {
    DeleteLayouts();
    const Key title = CreateKey(Section(L"Title"));
    const Key pos = CreateKey(Section(L"Pos"));
    SetDword(title, L"Number", static_cast<DWORD>(layouts.size()));
    for (size_t i = 0; i < layouts.size(); ++i) {
        const std::wstring n = std::to_wstring(i);
        SetString(title, L"Title[" + n + L"]", layouts[i].title);
        SetDword(pos, L"Number[" + n + L"]", static_cast<DWORD>(layouts[i].icons.size()));
        for (size_t j = 0; j < layouts[i].icons.size(); ++j) {
            const std::wstring ij = L"[" + n + L"][" + std::to_wstring(j) + L"]";
            SetDword(pos, L"Pos" + ij, layouts[i].icons[j].packedPos);
            SetString(pos, L"Name" + ij, layouts[i].icons[j].name);
        }
    }
}

void SeedTitles(const std::vector<std::wstring>& titles) {
    std::vector<SeedLayout> layouts;
    for (const std::wstring& t : titles) layouts.push_back({t, {{0x00140010u, L"Notes"}}});
    SeedLayouts(layouts);
}

std::optional<DWORD> ReadDword(const wchar_t* section, const std::wstring& name) {
    const Key key = OpenKey(HKEY_CURRENT_USER, Section(section));
    DWORD value = 0, size = sizeof value, type = 0;
    if (!key ||
        RegQueryValueExW(key.Get(), name.c_str(), nullptr, &type, reinterpret_cast<BYTE*>(&value),
                         &size) != ERROR_SUCCESS ||
        type != REG_DWORD)
        return std::nullopt;
    return value;
}

std::optional<std::wstring> ReadString(const wchar_t* section, const std::wstring& name) {
    const Key key = OpenKey(HKEY_CURRENT_USER, Section(section));
    DWORD size = 0, type = 0;
    if (!key ||
        RegQueryValueExW(key.Get(), name.c_str(), nullptr, &type, nullptr, &size) !=
            ERROR_SUCCESS ||
        type != REG_SZ)
        return std::nullopt;
    std::wstring value(size / sizeof(wchar_t) + 1, L'\0');
    size = static_cast<DWORD>(value.size() * sizeof(wchar_t));
    if (RegQueryValueExW(key.Get(), name.c_str(), nullptr, &type,
                         reinterpret_cast<BYTE*>(value.data()), &size) != ERROR_SUCCESS)
        return std::nullopt;
    value.resize(wcsnlen(value.c_str(), value.size()));
    return value;
}

LayoutValues ReadLayoutValues() {
    LayoutValues out;
    const Key key = OpenKey(HKEY_CURRENT_USER, kLayoutsKey);
    if (key) CollectValues(key.Get(), L"", out);
    return out;
}

LayoutValues ValuesOf(const std::vector<SeedLayout>& layouts) {
    LayoutValues out;
    auto dword = [](DWORD v) {
        return std::make_pair(DWORD{REG_DWORD}, std::string(reinterpret_cast<char*>(&v), sizeof v));
    };
    auto string = [](const std::wstring& v) {
        return std::make_pair(DWORD{REG_SZ}, std::string(reinterpret_cast<const char*>(v.c_str()),
                                                         (v.size() + 1) * sizeof(wchar_t)));
    };
    out[L"Title\\Number"] = dword(static_cast<DWORD>(layouts.size()));
    for (size_t i = 0; i < layouts.size(); ++i) {
        const std::wstring n = std::to_wstring(i);
        out[L"Title\\Title[" + n + L"]"] = string(layouts[i].title);
        out[L"Pos\\Number[" + n + L"]"] = dword(static_cast<DWORD>(layouts[i].icons.size()));
        for (size_t j = 0; j < layouts[i].icons.size(); ++j) {
            const std::wstring ij = L"[" + n + L"][" + std::to_wstring(j) + L"]";
            out[L"Pos\\Pos" + ij] = dword(layouts[i].icons[j].packedPos);
            out[L"Pos\\Name" + ij] = string(layouts[i].icons[j].name);
        }
    }
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
    if (on)
        SetString(CreateKey(path), L"Version", L"win98");
    else
        DeleteKeyTree(path);
}

}  // namespace e2e
