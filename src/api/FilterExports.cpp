// The 54 named filter accessors: each forwards to the filter-value export with its index.
#include "PixoraSdk_530TZ.h"
#include "api/FilterAccessorList.h"

extern "C" {

#define PIXORA_DEFINE_FILTER_ACCESSOR(Name, index)                                         \
    PIXORA_API int32_t PIXORA_CALL Pixora_Set##Name(PIXORA_HANDLE camera, int32_t value) { \
        return Pixora_SetFilterValue(camera, index, value);                                \
    }                                                                                      \
    PIXORA_API int32_t PIXORA_CALL Pixora_Get##Name(PIXORA_HANDLE camera, int32_t* ok) {   \
        return Pixora_GetFilterValue(camera, index, ok);                                   \
    }
PIXORA_FILTER_ACCESSORS(PIXORA_DEFINE_FILTER_ACCESSOR)
#undef PIXORA_DEFINE_FILTER_ACCESSOR

}  // extern "C"
