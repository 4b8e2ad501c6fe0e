// How the desktop is reached and how saved icons are matched, decided once from the
// platform: the NT family reads texts through a block in the shell's process and
// matches icons by name; every other platform reads positions through the shared
// block and matches icons by index.
#pragma once

namespace desktop {

enum class Scheme {
    RemoteByName,   // NT family
    SharedByIndex,  // 9x family and anything else
};

// dwPlatformId of the platform version record: 2 (VER_PLATFORM_WIN32_NT) is the NT family.
constexpr Scheme SchemeForPlatform(unsigned long platformId) {
    return platformId == 2 ? Scheme::RemoteByName : Scheme::SharedByIndex;
}

}  // namespace desktop
