// The settings against Wine's real registry: defaults for a fresh user, corrections, the
// byte layout of AppPos and the order in which the window state is saved.
#include "app/Settings.h"
#include "platform/Registry.h"
#include <doctest/doctest.h>

using namespace typa;
using namespace typa::settings;

namespace {
struct FreshUser {
    FreshUser() { reg::DeleteKey(HKEY_CURRENT_USER, kProgramKey); }
    ~FreshUser() { reg::DeleteKey(HKEY_CURRENT_USER, kProgramKey); }
};
void Put(const char* name, std::int32_t v) { reg::WriteInteger(HKEY_CURRENT_USER, kProgramKey, name, v); }
} // namespace

TEST_CASE("A fresh user gets the defaults, and reading creates the program key")
{
    FreshUser fresh;
    CHECK(ReadAppTools() == 31);
    CHECK(ReadStatusOptions() == 15);
    CHECK(ReadFontOptions() == 31);
    CHECK(ReadPrintOptions() == 31);
    CHECK(ReadTreeHeight(true) == 110);
    CHECK(ReadTreeHeight(false) == 110);
    CHECK(ReadSampleText("défaut") == "défaut");
    AppPos p = ReadAppPos();
    CHECK((p.left == 0 && p.top == 0 && p.right == 0 && p.bottom == 0));
    // Nothing was written, yet the key exists.
    CHECK(reg::SubkeyNames(HKEY_CURRENT_USER, "SOFTWARE\\Orvane Media").size() == 1);
    CHECK(reg::ValueNames(HKEY_CURRENT_USER, kProgramKey).empty());
}

TEST_CASE("Option sets out of range fall back to their defaults")
{
    FreshUser fresh;
    Put("StatusOptions", 16);
    Put("FontOptions", -5);
    Put("AppTools", 32);
    Put("PrintOptions", 0);
    CHECK(ReadStatusOptions() == 15);
    CHECK(ReadFontOptions() == 31);
    CHECK(ReadAppTools() == 31);
    CHECK(ReadPrintOptions() == 0);
    Put("StatusOptions", 15);
    Put("AppTools", 8);
    CHECK(ReadStatusOptions() == 15);
    CHECK(ReadAppTools() == 8);
    Put("TVInstHeight", 0);
    CHECK(ReadTreeHeight(true) == 0); // used unchanged
    // A string where a number belongs is no number.
    reg::WriteString(HKEY_CURRENT_USER, kProgramKey, "FontOptions", "3");
    CHECK(ReadFontOptions() == 31);
}

TEST_CASE("Stored tree heights and sample texts that no window could use are brought within reach")
{
    FreshUser fresh;
    // Near 2^31 a height overflows every sum the layout makes with it.
    Put("TVInstHeight", 0x7FFFFFF0);
    Put("TVAvailHeight", -40);
    CHECK(ReadTreeHeight(true) == kTreeHeightMax);
    CHECK(ReadTreeHeight(false) == 0);
    Put("TVInstHeight", kTreeHeightMax);
    CHECK(ReadTreeHeight(true) == kTreeHeightMax);

    // A megabyte of sample text would be drawn on every row of both lists.
    const std::string huge(1 << 20, 'x');
    reg::WriteString(HKEY_CURRENT_USER, kProgramKey, "SampleText", huge);
    CHECK(ReadSampleText("défaut") == std::string(kSampleTextMax, 'x'));
    CHECK(reg::ReadString(HKEY_CURRENT_USER, kProgramKey, "SampleText", "").size() == huge.size()); // left as stored
    reg::WriteString(HKEY_CURRENT_USER, kProgramKey, "SampleText", std::string(kSampleTextMax, 'y'));
    CHECK(ReadSampleText("défaut") == std::string(kSampleTextMax, 'y'));
}

TEST_CASE("The window state is saved whole, AppPos as four little-endian integers")
{
    FreshUser fresh;
    SaveWindowState(120, 95, AppPos{-8, 258, 623, 710}, 27);
    CHECK(reg::ValueNames(HKEY_CURRENT_USER, kProgramKey).size() == 4);

    unsigned char bytes[16];
    unsigned char zeros[16] = {};
    reg::ReadBinary(HKEY_CURRENT_USER, kProgramKey, "AppPos", bytes, 16, zeros);
    const unsigned char expected[16] = {0xF8, 0xFF, 0xFF, 0xFF, 0x02, 0x01, 0, 0, 0x6F, 0x02, 0, 0, 0xC6, 0x02, 0, 0};
    for (int i = 0; i < 16; ++i) CHECK(bytes[i] == expected[i]);

    AppPos p = ReadAppPos();
    CHECK(p.left == -8);
    CHECK(p.top == 258);
    CHECK(p.right == 623);
    CHECK(p.bottom == 710);
    CHECK(ReadTreeHeight(false) == 120);
    CHECK(ReadTreeHeight(true) == 95);
    CHECK(ReadAppTools() == 27);
}

TEST_CASE("FontPath comes from the machine hive only")
{
    reg::DeleteKey(HKEY_LOCAL_MACHINE, kProgramKey);
    CHECK(ReadFontPath() == "");
    CHECK_FALSE(reg::KeyExists(HKEY_LOCAL_MACHINE, kProgramKey)); // read only: nothing created
    reg::WriteString(HKEY_CURRENT_USER, kProgramKey, "FontPath", "C:\\Utilisateur");
    CHECK(ReadFontPath() == "");
    reg::WriteString(HKEY_LOCAL_MACHINE, kProgramKey, "FontPath", "C:\\Polices");
    CHECK(ReadFontPath() == "C:\\Polices");
    reg::DeleteKey(HKEY_LOCAL_MACHINE, kProgramKey);
    reg::DeleteKey(HKEY_CURRENT_USER, kProgramKey);
}
