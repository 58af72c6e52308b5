// The save-format extension: the table of image/SaveFormatTable.h published as
// PixoraSaveFormatInfo records.
#include <vector>

#include "PixoraExtensions.h"
#include "image/SaveFormatTable.h"

namespace {

// Each format's depths as the records point at them, made once from the table; they live
// as long as the library.
const std::vector<std::vector<PixoraSaveDepth>>& PublishedDepths() {
    static const std::vector<std::vector<PixoraSaveDepth>> published = [] {
        std::vector<std::vector<PixoraSaveDepth>> all;
        for (const pixora::SaveFormatRow& format : pixora::SaveFormats()) {
            std::vector<PixoraSaveDepth> depths;
            for (const pixora::SaveDepth& depth : format.depths)
                depths.push_back({depth.bitsPerPixel, depth.fileBitsPerPixel, depth.conversion});
            all.push_back(std::move(depths));
        }
        return all;
    }();
    return published;
}

}  // namespace

extern "C" {

PIXORA_API int32_t PIXORA_CALL PixoraEx_GetSaveFormatCount(void) {
    return static_cast<int32_t>(pixora::SaveFormats().size());
}

PIXORA_API int32_t PIXORA_CALL PixoraEx_GetSaveFormatInfo(int32_t index,
                                                          PixoraSaveFormatInfo* info) {
    const auto formats = pixora::SaveFormats();
    if (index < 0 || static_cast<std::size_t>(index) >= formats.size() || info == nullptr ||
        info->size < static_cast<int32_t>(sizeof(PixoraSaveFormatInfo)))
        return 0;
    const pixora::SaveFormatRow& format = formats[static_cast<std::size_t>(index)];
    const std::vector<PixoraSaveDepth>& depths = PublishedDepths()[static_cast<std::size_t>(index)];
    info->code = static_cast<int32_t>(format.code);
    info->quality = format.quality;
    info->depthCount = static_cast<int32_t>(depths.size());
    info->name = format.name;
    info->label = format.label;
    info->description = format.description;
    info->extensions = format.extensions;
    info->depths = depths.data();
    return 1;
}

}  // extern "C"
