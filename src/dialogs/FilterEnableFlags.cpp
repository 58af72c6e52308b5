#include "dialogs/FilterEnableFlags.h"

namespace pixora {

FilterEnableFlags FilterEnableFlagsFor(int32_t colorModeIndex) {
    FilterEnableFlags flags{};
    if (colorModeIndex == 0 || colorModeIndex == 1) {
        for (std::size_t i : {0, 1, 4, 8})
            flags[i] = 1;
        flags[kGrayTabFlag] = 1;
    } else {
        for (std::size_t i = 0; i <= 8; ++i)
            flags[i] = 1;
        flags[kColorControlsFlag] = 1;
    }
    return flags;
}

}  // namespace pixora
