// The warnings an image library gives while it writes one file. Each is logged when it
// comes (platform/Log.h) and kept, so that a save that then fails names it beside its
// reason; nothing reaches the application's streams.
#pragma once

#include <string>
#include <string_view>

namespace pixora {

class EncoderWarnings {
public:
    // `library` prefixes each warning: "libpng warning: ...".
    explicit EncoderWarnings(const char* library) : library_(library) {}

    void Add(std::string_view text);
    // `reason` followed by the warnings so far: "reason (libpng warning: a; libpng warning:
    // b)"; `reason` alone when there were none.
    std::string After(const std::string& reason) const;

private:
    const char* library_;
    std::string kept_;
};

}  // namespace pixora
