// libFuzzer target: builds a "Title"/"Pos" store in the native registry stand-in from
// the input, loads it, saves it back over the same key and loads it again. Loading must
// stay bounded by what is stored, and what was loaded must come back unchanged.
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "fakes/registry/registry_probe.h"
#include "store/layout_persistence.h"
#include "store/registry_key.h"

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
    switch ((op >> 1) % 6) {
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
    RegSetValueExA(section, name.c_str(), 0, type, data.data(), static_cast<DWORD>(data.size()));
}

std::string Dump(const CLayoutStore& store, size_t& icons) {
    std::string out = std::to_string(store.GetCount()) + "\n";
    icons = 0;
    for (int i = 0; i < store.GetCount(); ++i) {
        out += store.GetTitle(i) + '\x01';
        for (int j = 0; j < store.GetIconCount(i); ++j, ++icons) {
            out +=
                std::to_string(store.GetPackedPos(i, j)) + '=' + store.GetIconName(i, j) + '\x02';
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
