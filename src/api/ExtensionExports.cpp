// The PixoraEx_* extensions: error texts, failure reasons and the filter ranges.
#include <algorithm>
#include <cstring>
#include <string>

#include "PixoraExtensions.h"
#include "api/SessionCall.h"
#include "session/ErrorText.h"
#include "session/FilterRanges.h"

using pixora::CameraSession;
using pixora::WithSession;

extern "C" {

PIXORA_API const char* PIXORA_CALL PixoraEx_ErrorText(int32_t code) {
    return pixora::ErrorCodeText(code);
}

PIXORA_API int32_t PIXORA_CALL PixoraEx_GetFailureDetail(PIXORA_HANDLE camera, char* text,
                                                         int32_t size) {
    if (text == nullptr || size < 1)
        return 0;
    text[0] = '\0';
    return WithSession(camera, 0, [&](CameraSession& s) {
        const std::string detail = s.FailureDetail();
        if (detail.empty())
            return 0;
        const size_t length = std::min(detail.size(), static_cast<size_t>(size) - 1);
        std::memcpy(text, detail.data(), length);
        text[length] = '\0';
        return 1;
    });
}

PIXORA_API int32_t PIXORA_CALL PixoraEx_GetFilterRange(int32_t filterIndex, int32_t* minimum,
                                                       int32_t* maximum) {
    const pixora::FilterRange* range = pixora::FindFilterRange(filterIndex);
    if (minimum != nullptr)
        *minimum = range != nullptr ? range->min : 0;
    if (maximum != nullptr)
        *maximum = range != nullptr ? range->max : 0;
    return range != nullptr ? 1 : 0;
}

}  // extern "C"
