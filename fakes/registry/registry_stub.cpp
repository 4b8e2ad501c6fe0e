// In-memory registry with the Win32 semantics the profile store relies on: keys are
// created on open, names ignore ASCII case, RegQueryValueExA/W report ERROR_MORE_DATA
// with the buffer untouched and the size set, a NULL data pointer asks the size, and a
// string stored without its NUL reads back with one added when the buffer has room
// (as Wine does), and a tree is deleted key by key, leaves first (as Wine and Windows
// do), so a deletion cut off midway leaves its named key in place. A value keeps the
// width it was written in; a string read in the other width is converted (ASCII only,
// see win32_registry_api.h). Keeps a log of writes and key opens for tests.
#include <algorithm>
#include <iterator>
#include <cstring>
#include <map>
#include <memory>
#include <unordered_map>

#include "fakes/registry/fold.h"
#include "fakes/registry/profile_files_stub.h"
#include "fakes/registry/registry_probe.h"
#include <win32_registry_api.h>

namespace {

struct Value {
    std::string name;  // as written
    DWORD type = REG_NONE;
    std::vector<uint8_t> data;
    bool wide = false;  // written by a W function: strings are UTF-16
};

struct Node {
    std::string path;
    bool deleted = false;
    std::map<std::string, std::shared_ptr<Node>> subkeys;  // by folded name
    std::map<std::string, Value> values;                   // by folded name
};

}  // namespace

// What a handle returned to the caller points at.
struct HKEY__ {
    std::shared_ptr<Node> node;
};

namespace {

struct Registry {
    std::map<ULONG_PTR, std::shared_ptr<Node>> roots;
    std::unordered_map<HKEY__*, std::unique_ptr<HKEY__>> handles;
    std::vector<regstub::WriteRecord> writes;
    size_t opens = 0;
    size_t changes = 0;
    size_t changesAllowed = SIZE_MAX;
};

Registry& Reg() {
    static Registry registry;
    return registry;
}

const char* RootName(ULONG_PTR root) {
    switch (root) {
        case 0x80000000u:
            return "HKEY_CLASSES_ROOT";
        case 0x80000001u:
            return "HKEY_CURRENT_USER";
        case 0x80000002u:
            return "HKEY_LOCAL_MACHINE";
        default:
            return nullptr;
    }
}

// The node a handle stands for, or an error code.
LONG Resolve(HKEY hKey, std::shared_ptr<Node>& node) {
    const auto value = reinterpret_cast<ULONG_PTR>(hKey);
    if (const char* rootName = RootName(value)) {
        auto& root = Reg().roots[value];
        if (!root) {
            root = std::make_shared<Node>();
            root->path = rootName;
        }
        node = root;
        return ERROR_SUCCESS;
    }
    auto it = Reg().handles.find(hKey);
    if (it == Reg().handles.end()) return ERROR_INVALID_HANDLE;
    if (it->second->node->deleted) return ERROR_KEY_DELETED;
    node = it->second->node;
    return ERROR_SUCCESS;
}

// Walks a backslash-separated path below node; creates missing keys when asked.
std::shared_ptr<Node> Walk(std::shared_ptr<Node> node, const char* subKey, bool create,
                           bool& created) {
    created = false;
    const std::string path = subKey ? subKey : "";
    size_t start = 0;
    while (start <= path.size()) {
        size_t end = path.find('\\', start);
        if (end == std::string::npos) end = path.size();
        const std::string part = path.substr(start, end - start);
        start = end + 1;
        if (part.empty()) continue;
        const std::string folded = regstub::FoldName(part.c_str());
        if (!create && node->subkeys.count(folded) == 0) return nullptr;
        auto& child = node->subkeys[folded];
        if (!child) {
            child = std::make_shared<Node>();
            child->path = node->path + "\\" + part;
            created = true;
        }
        node = child;
    }
    return node;
}

HKEY NewHandle(std::shared_ptr<Node> node) {
    auto handle = std::make_unique<HKEY__>();
    handle->node = std::move(node);
    HKEY raw = handle.get();
    Reg().handles.emplace(raw, std::move(handle));
    ++Reg().opens;
    return raw;
}

// Counts a change about to be made; false when the cut-off refuses it.
bool MayChange() {
    if (Reg().changesAllowed == 0) return false;
    if (Reg().changesAllowed != SIZE_MAX) --Reg().changesAllowed;
    ++Reg().changes;
    return true;
}

bool IsStringType(DWORD type) {
    return type == REG_SZ || type == REG_EXPAND_SZ || type == REG_MULTI_SZ;
}

void MarkDeleted(Node& node) {
    node.deleted = true;
    for (auto& child : node.subkeys) MarkDeleted(*child.second);
}

LONG DeleteSubkeys(Node& node);

// The subkey `folded` of parent deleted as Wine's RegDeleteTree (and Windows') deletes
// it: its subkeys first, tree by tree in the registry's order (by name), then the key
// itself with its values; one change per key. A refused change ends the deletion
// there, and what was deleted before it stays deleted.
LONG DeleteKeyTree(Node& parent, const std::string& folded) {
    const std::shared_ptr<Node> node = parent.subkeys.at(folded);
    if (LONG rc = DeleteSubkeys(*node); rc != ERROR_SUCCESS) return rc;
    if (!MayChange()) return ERROR_ACCESS_DENIED;
    node->deleted = true;
    parent.subkeys.erase(folded);
    return ERROR_SUCCESS;
}

LONG DeleteSubkeys(Node& node) {
    while (!node.subkeys.empty()) {
        if (LONG rc = DeleteKeyTree(node, node.subkeys.begin()->first); rc != ERROR_SUCCESS)
            return rc;
    }
    return ERROR_SUCCESS;
}

}  // namespace

LONG RegCreateKeyExA(HKEY hKey, LPCSTR lpSubKey, DWORD, LPSTR, DWORD, REGSAM, LPSECURITY_ATTRIBUTES,
                     PHKEY phkResult, LPDWORD lpdwDisposition) {
    if (!phkResult) return ERROR_INVALID_PARAMETER;
    std::shared_ptr<Node> base;
    if (LONG rc = Resolve(hKey, base); rc != ERROR_SUCCESS) return rc;
    bool created = false;
    std::shared_ptr<Node> node = Walk(base, lpSubKey, false, created);
    if (!node) {
        if (!MayChange()) return ERROR_ACCESS_DENIED;
        node = Walk(base, lpSubKey, true, created);
    }
    *phkResult = NewHandle(std::move(node));
    if (lpdwDisposition) *lpdwDisposition = created ? REG_CREATED_NEW_KEY : REG_OPENED_EXISTING_KEY;
    return ERROR_SUCCESS;
}

LONG RegOpenKeyExA(HKEY hKey, LPCSTR lpSubKey, DWORD, REGSAM, PHKEY phkResult) {
    if (!phkResult) return ERROR_INVALID_PARAMETER;
    std::shared_ptr<Node> base;
    if (LONG rc = Resolve(hKey, base); rc != ERROR_SUCCESS) return rc;
    bool created = false;
    std::shared_ptr<Node> node = Walk(base, lpSubKey, false, created);
    if (!node) return ERROR_FILE_NOT_FOUND;
    *phkResult = NewHandle(std::move(node));
    return ERROR_SUCCESS;
}

LONG RegCloseKey(HKEY hKey) {
    if (RootName(reinterpret_cast<ULONG_PTR>(hKey))) return ERROR_SUCCESS;
    return Reg().handles.erase(hKey) ? ERROR_SUCCESS : ERROR_INVALID_HANDLE;
}

namespace {

// A value name given to a W function, narrowed: ASCII is all it may hold.
std::string NarrowName(LPCWSTR name) {
    std::string narrow;
    for (; name && *name; ++name) narrow.push_back(*name < 0x80 ? static_cast<char>(*name) : '?');
    return narrow;
}

// A string value's data as a reader of the given width sees it: converted between bytes
// and UTF-16 units when written in the other width, ASCII only.
std::vector<uint8_t> DataFor(const Value& value, bool wide) {
    if (!IsStringType(value.type) || value.wide == wide) return value.data;
    std::vector<uint8_t> out;
    if (wide) {
        for (const uint8_t b : value.data) {
            out.push_back(b < 0x80 ? b : '?');
            out.push_back(0);
        }
    } else {
        for (size_t k = 0; k + 1 < value.data.size(); k += 2) {
            const unsigned unit = value.data[k] | value.data[k + 1] << 8;
            out.push_back(unit < 0x80 ? static_cast<uint8_t>(unit) : '?');
        }
    }
    return out;
}

LONG Query(HKEY hKey, const std::string& name, bool wide, LPDWORD lpType, LPBYTE lpData,
           LPDWORD lpcbData) {
    if (lpData && !lpcbData) return ERROR_INVALID_PARAMETER;
    std::shared_ptr<Node> node;
    if (LONG rc = Resolve(hKey, node); rc != ERROR_SUCCESS) return rc;
    auto it = node->values.find(regstub::FoldName(name.c_str()));
    if (it == node->values.end()) return ERROR_FILE_NOT_FOUND;
    const Value& value = it->second;
    const std::vector<uint8_t> data = DataFor(value, wide);
    const auto len = static_cast<DWORD>(data.size());
    const DWORD nul = wide ? 2 : 1;
    LONG rc = ERROR_SUCCESS;
    if (lpData) {
        if (len > *lpcbData) {
            rc = ERROR_MORE_DATA;
        } else if (len > 0) {
            std::memcpy(lpData, data.data(), len);
            // A string whose last character is no NUL gets one when there is room.
            if (IsStringType(value.type) && len >= nul && len + nul <= *lpcbData &&
                (lpData[len - 1] != 0 || (wide && lpData[len - 2] != 0))) {
                std::memset(lpData + len, 0, nul);
            }
        }
    }
    if (lpType) *lpType = value.type;
    if (lpcbData) *lpcbData = len;
    return rc;
}

LONG Set(HKEY hKey, const std::string& name, bool wide, DWORD dwType, const BYTE* lpData,
         DWORD cbData) {
    if (!lpData && cbData) return ERROR_INVALID_PARAMETER;
    std::shared_ptr<Node> node;
    if (LONG rc = Resolve(hKey, node); rc != ERROR_SUCCESS) return rc;
    if (!MayChange()) return ERROR_ACCESS_DENIED;
    // A value written again keeps the name it was made with (as Windows and Wine do).
    const auto [at, made] = node->values.try_emplace(regstub::FoldName(name.c_str()));
    Value& value = at->second;
    if (made) value.name = name;
    value.type = dwType;
    value.data.assign(lpData, lpData + cbData);
    value.wide = wide;
    Reg().writes.push_back({node->path, name, dwType, value.data});
    return ERROR_SUCCESS;
}

}  // namespace

LONG RegQueryValueExA(HKEY hKey, LPCSTR lpValueName, LPDWORD, LPDWORD lpType, LPBYTE lpData,
                      LPDWORD lpcbData) {
    return Query(hKey, lpValueName ? lpValueName : "", false, lpType, lpData, lpcbData);
}

LONG RegQueryValueExW(HKEY hKey, LPCWSTR lpValueName, LPDWORD, LPDWORD lpType, LPBYTE lpData,
                      LPDWORD lpcbData) {
    return Query(hKey, NarrowName(lpValueName), true, lpType, lpData, lpcbData);
}

LONG RegSetValueExA(HKEY hKey, LPCSTR lpValueName, DWORD, DWORD dwType, const BYTE* lpData,
                    DWORD cbData) {
    return Set(hKey, lpValueName ? lpValueName : "", false, dwType, lpData, cbData);
}

LONG RegSetValueExW(HKEY hKey, LPCWSTR lpValueName, DWORD, DWORD dwType, const BYTE* lpData,
                    DWORD cbData) {
    return Set(hKey, NarrowName(lpValueName), true, dwType, lpData, cbData);
}

LONG RegEnumValueA(HKEY hKey, DWORD dwIndex, LPSTR lpValueName, LPDWORD lpcchValueName, LPDWORD,
                   LPDWORD lpType, LPBYTE lpData, LPDWORD lpcbData) {
    if (!lpValueName || !lpcchValueName || lpData || lpcbData) return ERROR_INVALID_PARAMETER;
    std::shared_ptr<Node> node;
    if (LONG rc = Resolve(hKey, node); rc != ERROR_SUCCESS) return rc;
    if (dwIndex >= node->values.size()) return ERROR_NO_MORE_ITEMS;
    const Value& value = std::next(node->values.begin(), dwIndex)->second;
    const auto len = static_cast<DWORD>(value.name.size());
    if (len >= *lpcchValueName) return ERROR_MORE_DATA;
    std::memcpy(lpValueName, value.name.c_str(), len + 1);
    *lpcchValueName = len;
    if (lpType) *lpType = value.type;
    return ERROR_SUCCESS;
}

LONG RegDeleteValueA(HKEY hKey, LPCSTR lpValueName) {
    std::shared_ptr<Node> node;
    if (LONG rc = Resolve(hKey, node); rc != ERROR_SUCCESS) return rc;
    const auto it = node->values.find(regstub::FoldName(lpValueName));
    if (it == node->values.end()) return ERROR_FILE_NOT_FOUND;
    if (!MayChange()) return ERROR_ACCESS_DENIED;
    node->values.erase(it);
    return ERROR_SUCCESS;
}

LONG RegDeleteTreeA(HKEY hKey, LPCSTR lpSubKey) {
    std::shared_ptr<Node> base;
    if (LONG rc = Resolve(hKey, base); rc != ERROR_SUCCESS) return rc;
    if (!lpSubKey || !*lpSubKey) {
        // The key stays: its subkeys go tree by tree, then its values one by one.
        if (LONG rc = DeleteSubkeys(*base); rc != ERROR_SUCCESS) return rc;
        while (!base->values.empty()) {
            if (!MayChange()) return ERROR_ACCESS_DENIED;
            base->values.erase(base->values.begin());
        }
        return ERROR_SUCCESS;
    }
    const std::string path = lpSubKey;
    const size_t cut = path.rfind('\\');
    bool created = false;
    std::shared_ptr<Node> parent =
        cut == std::string::npos ? base : Walk(base, path.substr(0, cut).c_str(), false, created);
    if (!parent) return ERROR_FILE_NOT_FOUND;
    const std::string leaf =
        regstub::FoldName((cut == std::string::npos ? path : path.substr(cut + 1)).c_str());
    if (parent->subkeys.count(leaf) == 0) return ERROR_FILE_NOT_FOUND;
    return DeleteKeyTree(*parent, leaf);
}

LONG RegQueryInfoKeyA(HKEY hKey, LPSTR lpClass, LPDWORD lpcchClass, LPDWORD, LPDWORD lpcSubKeys,
                      LPDWORD lpcbMaxSubKeyLen, LPDWORD lpcbMaxClassLen, LPDWORD lpcValues,
                      LPDWORD lpcbMaxValueNameLen, LPDWORD lpcbMaxValueLen,
                      LPDWORD lpcbSecurityDescriptor, PFILETIME lpftLastWriteTime) {
    std::shared_ptr<Node> node;
    if (LONG rc = Resolve(hKey, node); rc != ERROR_SUCCESS) return rc;
    if (lpClass && lpcchClass && *lpcchClass) lpClass[0] = '\0';
    if (lpcchClass) *lpcchClass = 0;
    DWORD maxSubKey = 0;
    for (const auto& child : node->subkeys) {
        maxSubKey = std::max<DWORD>(maxSubKey, static_cast<DWORD>(child.first.size()));
    }
    DWORD maxName = 0;
    DWORD maxData = 0;
    for (const auto& value : node->values) {
        maxName = std::max<DWORD>(maxName, static_cast<DWORD>(value.first.size()));
        maxData = std::max<DWORD>(maxData, static_cast<DWORD>(value.second.data.size()));
    }
    if (lpcSubKeys) *lpcSubKeys = static_cast<DWORD>(node->subkeys.size());
    if (lpcbMaxSubKeyLen) *lpcbMaxSubKeyLen = maxSubKey;
    if (lpcbMaxClassLen) *lpcbMaxClassLen = 0;
    if (lpcValues) *lpcValues = static_cast<DWORD>(node->values.size());
    if (lpcbMaxValueNameLen) *lpcbMaxValueNameLen = maxName;
    if (lpcbMaxValueLen) *lpcbMaxValueLen = maxData;
    if (lpcbSecurityDescriptor) *lpcbSecurityDescriptor = 0;
    if (lpftLastWriteTime) *lpftLastWriteTime = FILETIME{0, 0};
    return ERROR_SUCCESS;
}

namespace regstub {

const std::vector<WriteRecord>& Writes() { return Reg().writes; }

size_t KeyOpenCount() { return Reg().opens; }

void ClearLog() {
    Reg().writes.clear();
    Reg().opens = 0;
    Reg().changes = 0;
}

size_t ChangeCount() { return Reg().changes; }

void RefuseChangesAfter(size_t changes) { Reg().changesAllowed = changes; }

size_t OpenHandleCount() { return Reg().handles.size(); }

void ResetAll() {
    for (auto& root : Reg().roots) MarkDeleted(*root.second);
    Reg().roots.clear();
    ClearLog();
    Reg().changesAllowed = SIZE_MAX;
    ResetProfileFiles();
}

}  // namespace regstub
