// The rows of one of the library's published tables (its controls, its save formats), read
// in order; a row the library refuses is left out. The rows' texts are the library's static
// text, valid while it is loaded.
#pragma once

#include <cstdint>
#include <vector>

namespace pixora::cli {

template <typename Info, typename GetInfo>
std::vector<Info> ReadLibraryTable(int32_t count, GetInfo getInfo) {
    std::vector<Info> rows;
    for (int32_t index = 0; index < count; ++index) {
        Info info{};
        info.size = sizeof info;
        if (getInfo(index, &info) == 1)
            rows.push_back(info);
    }
    return rows;
}

}  // namespace pixora::cli
