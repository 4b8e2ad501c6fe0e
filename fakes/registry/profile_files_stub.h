// Internal to the stand-in: lets the registry's reset forget the profile files too.
#pragma once

namespace regstub {

void ResetProfileFiles();

}  // namespace regstub
