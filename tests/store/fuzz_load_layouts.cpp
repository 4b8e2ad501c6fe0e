// libFuzzer target: builds a "Title"/"Pos" store in the native registry stand-in from
// the input (paths and their checks included), loads it, saves it back over the same
// key and loads it again. Loading must stay bounded by what is stored, and what was
// loaded, paths included, must come back unchanged.
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "fakes/registry/registry_probe.h"
#include "store/layout_format.h"
#include "store/layout_persistence.h"
#include "store/profile_store.h"
#include "store/registry_key.h"
#include "store/wide_text.h"

namespace {

const char kKey[] = "Software\\BRANOK Soft\\Fuzz";

// Reads the input front to back; zeros once it is used up.
struct Reader {
    const uint8_t* data;
    size_t size;
    size_t pos = 0;
    bool Done() const { return pos >= size; }
    uint8_t Byte() { return pos < size ? data[pos++] : 0; }
    uint32_t Dword() {
        uint32_t v = 0;
        for (int k = 0; k < 4; ++k) v |= static_cast<uint32_t>(Byte()) << (8 * k);
        return v;
    }
    std::vector<uint8_t> Bytes(size_t n) {
        std::vector<uint8_t> out;
        for (size_t k = 0; k < n && !Done(); ++k) out.push_back(Byte());
        return out;
    }
};

// One value per record: section, value name (mostly the names loading reads, with small
// indices so they meet), type and data (often a DWORD, so counts can be anything).
void PutValue(Reader& in, HKEY title, HKEY pos) {
    const uint8_t op = in.Byte();
    const int i = in.Byte() % 6;
    const int j = in.Byte() % 6;
    std::string name;
    HKEY section = (op & 1) ? pos : title;
    char text[40];
    bool wide = false;
    switch ((op >> 1) % 8) {
        case 0:
            name = "Number";
            break;
        case 1:
            std::snprintf(text, sizeof text, "Title[%d]", i);
            name = text;
            break;
        case 2:
            std::snprintf(text, sizeof text, "Number[%d]", i);
            name = text;
            break;
        case 3:
            std::snprintf(text, sizeof text, "Pos[%d][%d]", i, j);
            name = text;
            break;
        case 4:
            std::snprintf(text, sizeof text, "Name[%d][%d]", i, j);
            name = text;
            break;
        case 5:
            std::snprintf(text, sizeof text, "Path[%d][%d]", i, j);
            name = text;
            wide = true;
            break;
        case 6:
            std::snprintf(text, sizeof text, "PathCheck[%d]", i);
            name = text;
            break;
        default: {
            const std::vector<uint8_t> raw = in.Bytes(in.Byte() % 12);
            for (uint8_t c : raw) name.push_back(c ? static_cast<char>(c) : '?');
        }
    }
    static const DWORD kTypes[] = {REG_DWORD,  REG_DWORD, REG_SZ,    REG_SZ,
                                   REG_BINARY, REG_NONE,  REG_QWORD, REG_MULTI_SZ};
    const DWORD type = kTypes[(op >> 4) % 8];
    std::vector<uint8_t> data;
    if (type == REG_DWORD && (op & 0x80) == 0) {
        const uint32_t v = in.Dword();
        data = {static_cast<uint8_t>(v), static_cast<uint8_t>(v >> 8),
                static_cast<uint8_t>(v >> 16), static_cast<uint8_t>(v >> 24)};
    } else {
        size_t length = in.Byte();
        if (length == 0xFF) length = 256 + in.Byte() * 4u;  // reach past 256 bytes
        data = in.Bytes(length);
    }
    if (wide) {
        const std::u16string units(name.begin(), name.end());
        RegSetValueExW(section, units.c_str(), 0, type, data.data(),
                       static_cast<DWORD>(data.size()));
    } else {
        RegSetValueExA(section, name.c_str(), 0, type, data.data(),
                       static_cast<DWORD>(data.size()));
    }
}

// Gives the icons loaded paths (the one stored, or else, at even indices, the name
// widened byte by byte and an e acute) and every layout the check a save of ours would
// have stored with them (one the input makes up hardly ever matches), so that loading
// reaches the paths. The number of values added.
size_t StoreMatchingPaths() {
    CLayoutStore plain;
    LoadLayouts(plain, kKey);
    CProfileStore profile;
    if (profile.Open(HKEY_CURRENT_USER, kKey, nullptr) != 1) __builtin_trap();
    size_t added = 0;
    char name[40];
    for (int i = 0; i < plain.GetCount(); ++i) {
        for (int j = 0; j < plain.GetIconCount(i); ++j) {
            std::snprintf(name, sizeof name, "Path[%d][%d]", i, j);
            std::wstring path = profile.GetWideString("Pos", name);
            if (path.empty() && j % 2 == 0) {
                for (const char* c = plain.GetIconName(i, j); *c; ++c)
                    path.push_back(static_cast<wchar_t>(static_cast<unsigned char>(*c)));
                path.push_back(L'\u00E9');
                profile.WriteWideString("Pos", name, path);
                ++added;
            }
            plain.SetIconPath(i, j, path);
        }
        std::snprintf(name, sizeof name, "PathCheck[%d]", i);
        profile.WriteInt("Pos", name, static_cast<int32_t>(LayoutPathCheck(plain, i)));
        ++added;
    }
    return added;
}

std::string Dump(const CLayoutStore& store, size_t& icons) {
    std::string out = std::to_string(store.GetCount()) + "\n";
    icons = 0;
    for (int i = 0; i < store.GetCount(); ++i) {
        out += store.GetTitle(i) + '\x01';
        for (int j = 0; j < store.GetIconCount(i); ++j, ++icons) {
            out +=
                std::to_string(store.GetPackedPos(i, j)) + '=' + store.GetIconName(i, j) + '\x03';
            for (const char16_t unit : ToUtf16(store.GetIconPath(i, j)))
                out += std::to_string(unit) + ',';
            out += '\x02';
        }
        out += '\n';
    }
    return out;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    regstub::ResetAll();
    size_t values = 0;
    {
        UniqueRegKey title, pos;
        const std::string base = kKey;
        if (!CreateRegistryKey(title, HKEY_CURRENT_USER, (base + "\\Title").c_str(), KEY_WRITE) ||
            !CreateRegistryKey(pos, HKEY_CURRENT_USER, (base + "\\Pos").c_str(), KEY_WRITE)) {
            __builtin_trap();
        }
        Reader in{data, size};
        while (!in.Done()) {
            PutValue(in, title.Get(), pos.Get());
            ++values;
        }
    }
    // The last byte's high bit: paths with checks that match.
    if (size > 0 && (data[size - 1] & 0x80)) values += StoreMatchingPaths();
    CLayoutStore first;
    LoadLayouts(first, kKey);
    size_t icons = 0;
    const std::string loaded = Dump(first, icons);
    // Loading is bounded by what is stored (plus the fixed slack of the miss budget).
    const size_t bound = 2 * values + 128;
    if (static_cast<size_t>(first.GetCount()) > bound || icons > bound) __builtin_trap();

    SaveLayouts(first, kKey);
    CLayoutStore second;
    LoadLayouts(second, kKey);
    if (Dump(second, icons) != loaded) __builtin_trap();
    if (regstub::OpenHandleCount() != 0) __builtin_trap();
    return 0;
}
