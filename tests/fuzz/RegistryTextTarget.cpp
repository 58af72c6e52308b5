// The settings file: any bytes read without harm; what the reader accepts is written back
// and read again unchanged; a store over such a file keeps all of it when it writes.
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <string_view>

#include "FuzzInput.h"
#include "FuzzTargets.h"
#include "platform/RegistryFile.h"
#include "platform/SettingsStore.h"

namespace pixora::fuzz {

namespace {

// Same keys, same value names and the same values, names compared exactly.
bool SameContents(const RegistryContents& a, const RegistryContents& b) {
    if (a.keys.size() != b.keys.size())
        return false;
    auto ia = a.keys.begin();
    auto ib = b.keys.begin();
    for (; ia != a.keys.end(); ++ia, ++ib) {
        if (ia->first != ib->first || ia->second.size() != ib->second.size())
            return false;
        auto va = ia->second.begin();
        auto vb = ib->second.begin();
        for (; va != ia->second.end(); ++va, ++vb) {
            if (va->first != vb->first || va->second != vb->second)
                return false;
        }
    }
    return true;
}

// Every key and value of `part` is in `whole` with the same value.
bool Contains(const RegistryContents& whole, const RegistryContents& part) {
    for (const auto& [key, values] : part.keys) {
        auto k = whole.keys.find(key);
        if (k == whole.keys.end())
            return false;
        for (const auto& [name, value] : values) {
            auto v = k->second.find(name);
            if (v == k->second.end() || v->second != value)
                return false;
        }
    }
    return true;
}

// A scratch folder on a memory file system where there is one: stores sync every write.
const std::string& ScratchDir() {
    static const std::string dir = [] {
        const char* base = access("/dev/shm", W_OK) == 0 ? "/dev/shm" : "/tmp";
        std::string pattern = std::string(base) + "/pixora-fuzz-reg-XXXXXX";
        const char* made = mkdtemp(pattern.data());
        return std::string(made != nullptr ? made : base);
    }();
    return dir;
}

void CheckRoundTrip(std::string_view text) {
    const ParsedRegistry parsed = ParseRegistryText(text);
    const std::string written = FormatRegistryText(parsed.contents);
    const ParsedRegistry again = ParseRegistryText(written);
    PIXORA_FUZZ_REQUIRE(!again.damaged, "the writer's own text reads as damaged");
    PIXORA_FUZZ_REQUIRE(SameContents(parsed.contents, again.contents),
                        "contents changed on the way through the file");
    PIXORA_FUZZ_REQUIRE(FormatRegistryText(again.contents) == written,
                        "writing the same contents twice gave different text");
}

void CheckStore(std::string_view text, FuzzInput& in) {
    const std::string file = ScratchDir() + "/registry.reg";
    std::error_code ec;
    std::filesystem::remove(file + ".bad", ec);
    {
        std::ofstream out(file, std::ios::binary | std::ios::trunc);
        out.write(text.data(), static_cast<std::streamsize>(text.size()));
    }
    SettingsStore store(file);
    const ParsedRegistry before = store.Load();
    const ParsedRegistry direct = ParseRegistryText(text);
    PIXORA_FUZZ_REQUIRE(
        before.damaged == direct.damaged && SameContents(before.contents, direct.contents),
        "the store read the file differently from the reader");

    const std::string name = "Fuzz" + std::to_string(in.Byte());
    const uint32_t value = in.U32();
    const bool wrote = store.WriteValue("Software\\Mendal\\Fuzz", name, value);
    PIXORA_FUZZ_REQUIRE(wrote, "writing to a file in a writable folder failed");
    const ParsedRegistry after = store.Load();
    PIXORA_FUZZ_REQUIRE(!after.damaged, "the file reads as damaged after a write");
    PIXORA_FUZZ_REQUIRE(Contains(after.contents, before.contents),
                        "a write lost settings the file held");
    uint32_t read = ~value;
    PIXORA_FUZZ_REQUIRE(store.ReadValue("Software\\Mendal\\Fuzz", name, &read) && read == value,
                        "the value just written reads back differently");
    // What could not be read is kept beside the new file.
    PIXORA_FUZZ_REQUIRE(std::filesystem::exists(file + ".bad") == before.damaged,
                        "damaged file kept: %d, damaged: %d",
                        static_cast<int>(std::filesystem::exists(file + ".bad")),
                        static_cast<int>(before.damaged));
}

}  // namespace

int FuzzRegistryText(const uint8_t* data, size_t size) {
    FuzzInput in(data, size);
    const bool useStore = in.Byte() % 4 == 0;
    size_t length = 0;
    const uint8_t* bytes = in.Take(in.Remaining(), &length);
    const std::string_view text(reinterpret_cast<const char*>(bytes), length);
    CheckRoundTrip(text);
    if (useStore) {
        // The store's write draws its value from the text's last bytes.
        FuzzInput tail(bytes + (length > 5 ? length - 5 : 0), length > 5 ? 5 : length);
        CheckStore(text, tail);
    }
    return 0;
}

}  // namespace pixora::fuzz
