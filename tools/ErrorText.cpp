#include "ErrorText.h"

#include "PixoraExtensions.h"

namespace pixora::cli {

const char* ErrorMeaning(int32_t code) {
    return PixoraEx_ErrorText(code);
}

std::string DescribeError(int32_t code) {
    return "error " + std::to_string(code) + " (" + ErrorMeaning(code) + ")";
}

}  // namespace pixora::cli
