// Icons of the test desktop, so that screenshots and the demo GIF read as a desktop: a
// handful of kinds (folder, document, picture, program, recycle bin, computer), drawn here
// at run time, and the kind of an item told from its name.
#pragma once

#include <windows.h>
#include <commctrl.h>

#include <string>

namespace testdesk {

// Also the image's index in the list CreateIconImageList returns.
enum class IconKind { Folder, Document, Picture, Program, RecycleBin, Computer, Count };

// The kind of an item named `ansiName` (text in the ANSI code page, as the list view holds
// it): by its extension, else by a few well-known desktop names; anything else is a folder.
IconKind IconKindOf(const std::string& ansiName);

// A new 32x32 image list with one image per kind, in IconKind order (owned by the caller,
// or by the list view it is given to).
HIMAGELIST CreateIconImageList();

}  // namespace testdesk
