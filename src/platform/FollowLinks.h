// The file a path names once symbolic links are followed.
#pragma once

#include <string>

namespace pixora {

// `path` with every symbolic link along it followed to where it points, also when the
// final destination does not exist yet (a file about to be created there). A path that is
// no link, or a chain of links that does not end, comes back as it is.
std::string FollowLinks(const std::string& path);

}  // namespace pixora
