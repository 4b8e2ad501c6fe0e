// The grid a snapping desktop puts its icons on: the points at whole multiples of the
// icon spacing from the view's origin.
#pragma once

#include <windows.h>

#include <vector>

namespace testdesk {

// The grid point nearest to `asked` that no point of `taken` stands on exactly, by
// straight-line distance; of points equally near, the upper one, then the left one.
// `asked` itself when the spacing is not positive.
POINT NearestFreeGridPoint(POINT asked, POINT origin, SIZE spacing,
                           const std::vector<POINT>& taken);

}  // namespace testdesk
