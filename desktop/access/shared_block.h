// The shared-block scheme (9x family): the paging-file mapping "TORVINEL" of 1024
// bytes, mapped here; the list view writes a position into its first 8 bytes.
#pragma once

#include <windows.h>

#include <cstdint>

#include "desktop/access/view_link.h"
#include "win/unique_handle.h"

namespace desktop {

constexpr char kSharedBlockName[] = "TORVINEL";
constexpr DWORD kSharedBlockSize = 1024;

// Mapping and view; the view is released before the mapping.
struct SharedAccess {
    win::UniqueHandle mapping;
    win::UniqueMappedView view;
};

// Creates or opens the mapping and maps all of it; both or nothing.
bool OpenSharedAccess(SharedAccess& access);

// LVM_GETITEMPOSITION into the view, then x and y from its first 8 bytes. No range
// test (callers stay below the count they read); when the list view answers FALSE
// (the icon has gone) the block holds an earlier answer, so x and y stay untouched and
// the result is false.
bool ReadSharedItemPosition(ViewLink& view, void* block, int32_t index, int32_t& x, int32_t& y);

}  // namespace desktop
