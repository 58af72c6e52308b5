#include "image/EncoderWarnings.h"

#include "platform/Log.h"

namespace pixora {

void EncoderWarnings::Add(std::string_view text) {
    std::string warning = std::string(library_) + " warning: ";
    warning += text;
    Log(LogLevel::Warning, warning);
    if (!kept_.empty())
        kept_ += "; ";
    kept_ += warning;
}

std::string EncoderWarnings::After(const std::string& reason) const {
    return kept_.empty() ? reason : reason + " (" + kept_ + ")";
}

}  // namespace pixora
