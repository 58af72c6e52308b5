// The 54 named filter accessors: each forwards to the filter-value export with the filter
// index of its control.
#include <string_view>

#include "PixoraSdk_530TZ.h"
#include "api/FilterAccessorList.h"
#include "settings/ControlRows.h"

namespace {

consteval int32_t FilterIndexOf(std::string_view accessor) {
    for (const pixora::ControlRow& row : pixora::kCameraControls) {
        if (row.accessor != nullptr && accessor == row.accessor)
            return row.filterIndex;
    }
    return 0;
}

// Every row with an accessor has its pair among the exports, and no two pairs share a name.
constexpr int CountRowsWithAccessors() {
    int count = 0;
    for (const pixora::ControlRow& row : pixora::kCameraControls)
        count += row.accessor != nullptr ? 1 : 0;
    return count;
}
#define PIXORA_COUNT_ACCESSOR(Name) +1
static_assert(CountRowsWithAccessors() == 0 PIXORA_FILTER_ACCESSORS(PIXORA_COUNT_ACCESSOR),
              "every control with a named accessor pair is in FilterAccessorList.h");
#undef PIXORA_COUNT_ACCESSOR

}  // namespace

extern "C" {

#define PIXORA_DEFINE_FILTER_ACCESSOR(Name)                                                \
    static_assert(FilterIndexOf(#Name) > 0, "Pixora_Set" #Name " has a control row");      \
    PIXORA_API int32_t PIXORA_CALL Pixora_Set##Name(PIXORA_HANDLE camera, int32_t value) { \
        return Pixora_SetFilterValue(camera, FilterIndexOf(#Name), value);                 \
    }                                                                                      \
    PIXORA_API int32_t PIXORA_CALL Pixora_Get##Name(PIXORA_HANDLE camera, int32_t* ok) {   \
        return Pixora_GetFilterValue(camera, FilterIndexOf(#Name), ok);                    \
    }
PIXORA_FILTER_ACCESSORS(PIXORA_DEFINE_FILTER_ACCESSOR)
#undef PIXORA_DEFINE_FILTER_ACCESSOR

}  // extern "C"
