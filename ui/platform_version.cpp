// Storage of the platform version record (zero until the main dialog fills it).
#include "ui/platform_version.h"

OSVERSIONINFOA g_osvi = {};
