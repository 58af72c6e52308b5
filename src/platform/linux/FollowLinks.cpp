#include "platform/FollowLinks.h"

#include <filesystem>
#include <system_error>

namespace pixora {

std::string FollowLinks(const std::string& path) {
    namespace fs = std::filesystem;
    fs::path current(path);
    // The system's own limit on links in one lookup.
    for (int hop = 0; hop < 40; ++hop) {
        std::error_code ec;
        if (!fs::is_symlink(fs::symlink_status(current, ec)))
            return current.string();
        const fs::path target = fs::read_symlink(current, ec);
        if (ec)
            return current.string();
        current = target.is_absolute() ? target : current.parent_path() / target;
    }
    return path;
}

}  // namespace pixora
