// The settings as the system's own registry tool sees them: values the library writes are
// REG_DWORD values under HKEY_CURRENT_USER\Software\Mendal\Pixora530TZSdk, and values put
// there with `reg add` are what the library reads.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <map>
#include <sstream>
#include <string>

#include "PixoraPlatform.h"
#include "PixoraSdk_530TZ.h"
#include "platform/SettingsStore.h"
#include "platform/win32/SettingsText.h"

namespace pixora {
namespace {

const std::string kKey = "Software\\Mendal\\Pixora530TZSdk";

struct RegValue {
    std::string type;
    std::string data;
};

struct Query {
    int exitCode = -1;
    std::map<std::string, RegValue> values;  // of the key queried
};

// Runs the command through the command interpreter; its exit code and standard output.
int Run(const std::string& command, std::string* output) {
    FILE* pipe = _popen((command + " 2>NUL").c_str(), "r");
    if (pipe == nullptr)
        return -1;
    char buffer[512];
    while (std::fgets(buffer, sizeof buffer, pipe) != nullptr)
        output->append(buffer);
    return _pclose(pipe);
}

// `reg query "HKCU\<key>"`: the key's values by name.
Query RegQuery(const std::string& key) {
    Query query;
    std::string output;
    query.exitCode = Run("reg query \"HKCU\\" + key + "\"", &output);
    std::istringstream lines(output);
    std::string line;
    while (std::getline(lines, line)) {
        // "    Name    REG_DWORD    0x550"
        if (line.empty() || line[0] != ' ')
            continue;
        std::istringstream fields(line);
        std::string name, type, data;
        if (fields >> name >> type >> data)
            query.values[name] = RegValue{type, data};
    }
    return query;
}

int RegAdd(const std::string& key, const std::string& name, const std::string& type,
           const std::string& data) {
    std::string output;
    return Run("reg add \"HKCU\\" + key + "\" /v " + name + " /t " + type + " /d " + data + " /f",
               &output);
}

std::string Hex(uint32_t v) {
    char text[16];
    std::snprintf(text, sizeof text, "0x%x", v);
    return text;
}

// Works on the real key of the current user, which it empties before and after.
class RegistryQuery : public ::testing::Test {
protected:
    void SetUp() override {
        if (const char* old = std::getenv("PIXORA_REGISTRY")) {
            saved_ = old;
            hadSaved_ = true;
        }
        _putenv_s("PIXORA_REGISTRY", "");
        RegDeleteTreeA(HKEY_CURRENT_USER, kKey.c_str());
    }
    void TearDown() override {
        RegDeleteTreeA(HKEY_CURRENT_USER, kKey.c_str());
        _putenv_s("PIXORA_REGISTRY", hadSaved_ ? saved_.c_str() : "");
    }
    std::string saved_;
    bool hadSaved_ = false;
};

TEST_F(RegistryQuery, WrittenValuesAreDwordsOfTheKey) {
    EXPECT_NE(RegQuery(kKey).exitCode, 0);  // no key yet
    auto size = RegistryKey::Create(kKey + "\\Size_00");
    ASSERT_NE(size, nullptr);
    ASSERT_TRUE(size->Write({{"TH", 1791}, {"EH", 1360}, {"EVS", -1}}));
    ASSERT_TRUE(size->Write("EV", 1024));
    const Query query = RegQuery(kKey + "\\Size_00");
    ASSERT_EQ(query.exitCode, 0);
    ASSERT_EQ(query.values.size(), 4u);
    for (const auto& [name, value] : std::map<std::string, uint32_t>{
             {"TH", 1791}, {"EH", 1360}, {"EV", 1024}, {"EVS", 0xFFFFFFFFu}}) {
        SCOPED_TRACE(name);
        ASSERT_EQ(query.values.count(name), 1u);
        EXPECT_EQ(query.values.at(name).type, "REG_DWORD");
        EXPECT_EQ(query.values.at(name).data, Hex(value));
    }
    // The parents exist as keys of their own.
    EXPECT_EQ(RegQuery(kKey).exitCode, 0);
    EXPECT_EQ(RegQuery("Software\\Mendal").exitCode, 0);
}

TEST_F(RegistryQuery, ValuesAddedWithRegAreRead) {
    ASSERT_EQ(RegAdd(kKey + "\\Gain", "Global", "REG_DWORD", "656"), 0);
    ASSERT_EQ(RegAdd(kKey + "\\Gain", "Exposure", "REG_SZ", "64"), 0);
    auto gain = RegistryKey::Open(kKey + "\\Gain");
    ASSERT_NE(gain, nullptr);
    int32_t value = 5;
    EXPECT_TRUE(gain->Read("Global", &value));
    EXPECT_EQ(value, 656);
    // Not a REG_DWORD: unreadable, the field keeps its value.
    value = 5;
    EXPECT_FALSE(gain->Read("Exposure", &value));
    EXPECT_FALSE(gain->Read("Missing", &value));
    EXPECT_EQ(value, 5);
    EXPECT_EQ(RegistryKey::Open(kKey)->OpenSubKey("gain")->Path(), kKey + "\\gain");
    EXPECT_EQ(RegistryKey::Open(kKey)->OpenSubKey("Filter"), nullptr);
}

TEST_F(RegistryQuery, LibraryKeepsItsSettingsUnderTheKey) {
    PixoraSim_Reset();
    ASSERT_EQ(PixoraSim_Configure("cameras=0 fps=0"), 1);
    PIXORA_HANDLE camera = Pixora_Initialize(nullptr);
    ASSERT_NE(camera, nullptr);
    ASSERT_EQ(Pixora_Release(camera), 1);
    PixoraSim_Reset();

    const Query root = RegQuery(kKey);
    ASSERT_EQ(root.exitCode, 0);
    for (const char* name : {"Size", "Color", "SubSample", "WaitTime", "Clock"}) {
        SCOPED_TRACE(name);
        ASSERT_EQ(root.values.count(name), 1u);
        EXPECT_EQ(root.values.at(name).type, "REG_DWORD");
    }
    const Query size = RegQuery(kKey + "\\Size_00");
    ASSERT_EQ(size.exitCode, 0);
    for (const char* name : {"TH", "TV", "EH", "EV", "EHS", "EVS", "Buf"})
        EXPECT_EQ(size.values.count(name), 1u) << name;
    EXPECT_EQ(size.values.at("EH").data, Hex(1360));
    EXPECT_EQ(size.values.at("EV").data, Hex(1024));
    const Query gain = RegQuery(kKey + "\\Gain");
    ASSERT_EQ(gain.exitCode, 0);
    for (const char* name :
         {"Global", "ColorG1", "ColorR", "ColorB", "ColorG2", "Exposure", "V_Mirror", "AutoIris"}) {
        SCOPED_TRACE(name);
        ASSERT_EQ(gain.values.count(name), 1u);
        EXPECT_EQ(gain.values.at(name).type, "REG_DWORD");
    }
    for (const char* sub : {"Filter", "Gray"}) {
        const Query q = RegQuery(kKey + "\\" + sub);
        EXPECT_EQ(q.exitCode, 0) << sub;
        EXPECT_FALSE(q.values.empty()) << sub;
        for (const auto& [name, value] : q.values)
            EXPECT_EQ(value.type, "REG_DWORD") << sub << "\\" << name;
    }
}

TEST_F(RegistryQuery, RedirectedStoreLeavesTheUsersKeyAlone) {
    const std::string redirected = "Software\\PixoraRedirected\\C__pixora-test_registry.reg";
    RegDeleteTreeA(HKEY_CURRENT_USER, redirected.c_str());
    _putenv_s("PIXORA_REGISTRY", "C:\\pixora-test\\registry.reg");
    auto key = RegistryKey::Create(kKey);
    ASSERT_NE(key, nullptr);
    ASSERT_TRUE(key->Write("Color", 3));
    const Query query = RegQuery(redirected + "\\" + kKey);
    RegDeleteTreeA(HKEY_CURRENT_USER, redirected.c_str());
    ASSERT_EQ(query.exitCode, 0);
    ASSERT_EQ(query.values.count("Color"), 1u);
    EXPECT_EQ(query.values.at("Color").data, "0x3");
    EXPECT_NE(RegQuery(kKey).exitCode, 0);
}

TEST_F(RegistryQuery, SettingsTextGoesInAndOutOfTheRegistry) {
    const std::string section = "[HKEY_CURRENT_USER\\" + kKey + "\\Filter]\r\n";
    const std::string values = "\"Brightness\"=dword:fffffff4\r\n\"Gamma\"=dword:00000064\r\n";
    ASSERT_TRUE(ImportSettingsText(
        "HKEY_CURRENT_USER", "Windows Registry Editor Version 5.00\r\n\r\n" + section + values));
    const Query filter = RegQuery(kKey + "\\Filter");
    ASSERT_EQ(filter.exitCode, 0);
    ASSERT_EQ(filter.values.size(), 2u);
    EXPECT_EQ(filter.values.at("Brightness").data, "0xfffffff4");
    EXPECT_EQ(filter.values.at("Gamma").data, "0x64");
    EXPECT_NE(ExportSettingsText("HKEY_CURRENT_USER").find(section + values), std::string::npos);
    ASSERT_TRUE(ClearSettings("HKEY_CURRENT_USER"));
    EXPECT_NE(RegQuery(kKey).exitCode, 0);
    // Text that turns bad half-way is taken as far as it is valid.
    ASSERT_TRUE(ImportSettingsText("HKEY_CURRENT_USER", "Windows Registry Editor Version 5.00\r\n" +
                                                            section + values + "garbage\r\n"));
    EXPECT_EQ(RegQuery(kKey + "\\Filter").values.size(), 2u);
}

TEST_F(RegistryQuery, BadKeyPathsAreRefused) {
    EXPECT_EQ(RegistryKey::Create(""), nullptr);
    EXPECT_EQ(RegistryKey::Create("\\Software"), nullptr);
    EXPECT_EQ(RegistryKey::Create("Software\\\\Mendal"), nullptr);
    auto key = RegistryKey::Create(kKey);
    ASSERT_NE(key, nullptr);
    EXPECT_FALSE(key->Write("a\"b", 1));
    EXPECT_FALSE(key->Read("Size", nullptr));
    EXPECT_TRUE(RegQuery(kKey).values.empty());
}

}  // namespace
}  // namespace pixora
