// An image library's warnings during a save: each reaches the log handler as it comes,
// and a failure names them after its reason.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "image/EncoderWarnings.h"
#include "platform/Log.h"

namespace pixora {
namespace {

void Keep(int32_t level, const char* text, void* context) {
    static_cast<std::vector<std::string>*>(context)->push_back(std::to_string(level) + " " + text);
}

TEST(EncoderWarnings, AreLoggedAsTheyComeAndFollowTheReasonOfAFailure) {
    std::vector<std::string> logged;
    ASSERT_TRUE(SetLogHandler(Keep, &logged));
    EncoderWarnings warnings("libpng");
    EXPECT_EQ(warnings.After("cannot write 'a.png': No space left on device"),
              "cannot write 'a.png': No space left on device");
    warnings.Add("iCCP: known incorrect sRGB profile");
    warnings.Add("Ignoring attempt to set cHRM RGB triangle with zero area");
    SetLogHandler(nullptr, nullptr);
    EXPECT_EQ(logged,
              (std::vector<std::string>{
                  "2 libpng warning: iCCP: known incorrect sRGB profile",
                  "2 libpng warning: Ignoring attempt to set cHRM RGB triangle with zero area",
              }));
    EXPECT_EQ(warnings.After("libpng error: write failed"),
              "libpng error: write failed (libpng warning: iCCP: known incorrect sRGB profile; "
              "libpng warning: Ignoring attempt to set cHRM RGB triangle with zero area)");
}

}  // namespace
}  // namespace pixora
