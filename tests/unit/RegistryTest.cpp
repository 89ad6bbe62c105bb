// Round trips through Wine's real registry, under a throw-away key.
#include "platform/Registry.h"
#include "platform/Handles.h"
#include <doctest/doctest.h>

#include <cstring>

using namespace typa;

namespace {
const std::string kKey = "Software\\TypariumTests\\Registry";

struct Scratch {
    Scratch() { reg::DeleteKey(HKEY_CURRENT_USER, "Software\\TypariumTests"); }
    ~Scratch() { reg::DeleteKey(HKEY_CURRENT_USER, "Software\\TypariumTests"); }
};

void SetRaw(const std::string& key, const char* name, DWORD type, const void* data, DWORD size)
{
    UniqueKey k;
    REQUIRE(RegCreateKeyExA(HKEY_CURRENT_USER, key.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, k.Put(),
                            nullptr) == ERROR_SUCCESS);
    REQUIRE(RegSetValueExA(k.Get(), name, 0, type, static_cast<const BYTE*>(data), size) == ERROR_SUCCESS);
}

bool KeyExists(HKEY root, const std::string& key)
{
    UniqueKey k;
    bool ok = RegOpenKeyExA(root, key.c_str(), 0, KEY_READ, k.Put()) == ERROR_SUCCESS;
    if (!ok) k.Release();
    return ok;
}
} // namespace

TEST_CASE("Values round-trip and absent ones give the default")
{
    Scratch s;
    CHECK(reg::ReadString(HKEY_CURRENT_USER, kKey, "Text", "déf") == "déf");
    CHECK(KeyExists(HKEY_CURRENT_USER, kKey)); // reading creates the key

    CHECK(reg::WriteString(HKEY_CURRENT_USER, kKey, "Text", "Système é"));
    CHECK(reg::ReadString(HKEY_CURRENT_USER, kKey, "Text", "") == "Système é");
    CHECK(reg::WriteString(HKEY_CURRENT_USER, kKey, "Empty", ""));
    CHECK(reg::ReadString(HKEY_CURRENT_USER, kKey, "Empty", "x") == "");

    CHECK(reg::ReadInteger(HKEY_CURRENT_USER, kKey, "Int", 110) == 110);
    CHECK(reg::WriteInteger(HKEY_CURRENT_USER, kKey, "Int", -5));
    CHECK(reg::ReadInteger(HKEY_CURRENT_USER, kKey, "Int", 0) == -5);

    const unsigned char bytes[4] = {1, 2, 3, 0xFF};
    unsigned char out[4];
    const unsigned char def[4] = {9, 9, 9, 9};
    reg::ReadBinary(HKEY_CURRENT_USER, kKey, "Bin", out, 4, def);
    CHECK(std::memcmp(out, def, 4) == 0);
    CHECK(reg::WriteBinary(HKEY_CURRENT_USER, kKey, "Bin", 4, bytes));
    reg::ReadBinary(HKEY_CURRENT_USER, kKey, "Bin", out, 4, def);
    CHECK(std::memcmp(out, bytes, 4) == 0);

    CHECK(reg::ValueExists(HKEY_CURRENT_USER, kKey, "Int"));
    CHECK(reg::DeleteValue(HKEY_CURRENT_USER, kKey, "Int"));
    CHECK_FALSE(reg::DeleteValue(HKEY_CURRENT_USER, kKey, "Int"));
    CHECK_FALSE(reg::ValueExists(HKEY_CURRENT_USER, kKey, "Int"));
}

TEST_CASE("Values of another type or size read as the default, never as garbage")
{
    Scratch s;
    const DWORD seven = 7;
    SetRaw(kKey, "Dword", REG_DWORD, &seven, 4);
    SetRaw(kKey, "Sz", REG_SZ, "31", 3);
    SetRaw(kKey, "ShortDword", REG_DWORD, "\x01\x02", 2);
    SetRaw(kKey, "LongBin", REG_BINARY, "0123456789abcdefXYZ", 19);
    SetRaw(kKey, "NoTerminator", REG_SZ, "abc", 3);
    SetRaw(kKey, "Multi", REG_MULTI_SZ, "a\0b\0", 5);

    CHECK(reg::ReadString(HKEY_CURRENT_USER, kKey, "Dword", "def") == "def");
    CHECK(reg::ReadInteger(HKEY_CURRENT_USER, kKey, "Sz", 15) == 15);
    CHECK(reg::ReadInteger(HKEY_CURRENT_USER, kKey, "ShortDword", 15) == 15);
    CHECK(reg::ReadString(HKEY_CURRENT_USER, kKey, "Multi", "def") == "def");
    CHECK(reg::ReadString(HKEY_CURRENT_USER, kKey, "NoTerminator", "") == "abc");

    unsigned char out[16];
    unsigned char zeros[16] = {};
    reg::ReadBinary(HKEY_CURRENT_USER, kKey, "LongBin", out, 16, zeros);
    CHECK(std::memcmp(out, zeros, 16) == 0);
    reg::ReadBinary(HKEY_CURRENT_USER, kKey, "Dword", out, 16, zeros);
    CHECK(std::memcmp(out, zeros, 16) == 0);
}

TEST_CASE("Listing keeps the registry's order and reads string data")
{
    Scratch s;
    reg::WriteString(HKEY_CURRENT_USER, kKey, "Zeta", "groupe Z");
    reg::WriteString(HKEY_CURRENT_USER, kKey, "alpha", "");
    reg::WriteInteger(HKEY_CURRENT_USER, kKey, "Number", 3);
    std::string longName(300, 'n');
    std::string longData(5000, 'd');
    reg::WriteString(HKEY_CURRENT_USER, kKey, longName, longData);

    reg::NamesAndData all = reg::ReadAllValues(HKEY_CURRENT_USER, kKey);
    REQUIRE(all.names.size() == 4);
    REQUIRE(all.data.size() == 4);
    // Same order as the registry's own enumeration (Wine sorts by name; Windows keeps insertion).
    UniqueKey k;
    REQUIRE(RegOpenKeyExA(HKEY_CURRENT_USER, kKey.c_str(), 0, KEY_READ, k.Put()) == ERROR_SUCCESS);
    for (DWORD i = 0; i < 4; ++i) {
        char name[512];
        DWORD len = sizeof name;
        REQUIRE(RegEnumValueA(k.Get(), i, name, &len, nullptr, nullptr, nullptr, nullptr) == ERROR_SUCCESS);
        CHECK(all.names[i] == std::string(name, len));
        if (all.names[i] == "Zeta") CHECK(all.data[i] == "groupe Z");
        if (all.names[i] == "alpha") CHECK(all.data[i] == "");
        if (all.names[i] == "Number") CHECK(all.data[i] == ""); // not a string
        if (all.names[i] == longName) CHECK(all.data[i].size() == longData.size());
    }
    CHECK(reg::ValueNames(HKEY_CURRENT_USER, kKey) == all.names);

    CHECK(reg::ReadAllValues(HKEY_CURRENT_USER, kKey + "\\Missing").names.empty());
    CHECK(KeyExists(HKEY_CURRENT_USER, kKey + "\\Missing"));
}

TEST_CASE("Keys are deleted with everything below them")
{
    Scratch s;
    reg::WriteString(HKEY_CURRENT_USER, kKey + "\\A\\Deep\\Deeper", "v", "1");
    reg::WriteString(HKEY_CURRENT_USER, kKey + "\\B", "v", "2");
    reg::WriteString(HKEY_CURRENT_USER, kKey + "\\C", "v", "3");
    CHECK(reg::SubkeyNames(HKEY_CURRENT_USER, kKey).size() == 3);

    CHECK(reg::DeleteKey(HKEY_CURRENT_USER, kKey + "\\A"));
    CHECK_FALSE(KeyExists(HKEY_CURRENT_USER, kKey + "\\A"));
    auto rest = reg::SubkeyNames(HKEY_CURRENT_USER, kKey);
    REQUIRE(rest.size() == 2);
    CHECK(rest[0] == "B");
    CHECK(rest[1] == "C");
    CHECK_FALSE(reg::DeleteKey(HKEY_CURRENT_USER, kKey + "\\A"));
    CHECK_FALSE(reg::DeleteKey(HKEY_CURRENT_USER, ""));
}

TEST_CASE("The machine hive works the same way")
{
    const std::string key = "SOFTWARE\\TypariumTests";
    reg::DeleteKey(HKEY_LOCAL_MACHINE, key);
    CHECK(reg::ReadString(HKEY_LOCAL_MACHINE, key, "FontPath", "") == "");
    CHECK(reg::WriteString(HKEY_LOCAL_MACHINE, key, "FontPath", "C:\\Polices"));
    CHECK(reg::ReadString(HKEY_LOCAL_MACHINE, key, "FontPath", "") == "C:\\Polices");
    CHECK(reg::DeleteKey(HKEY_LOCAL_MACHINE, key));
}

TEST_CASE("A subkey named outside the ANSI code page goes with its parent")
{
    Scratch s;
    reg::WriteString(HKEY_CURRENT_USER, kKey + "\\Groupe", "v", "1");
    UniqueKey k;
    const std::wstring wide = L"Software\\TypariumTests\\Registry\\Groupe\\\u0416\u4e2d";
    REQUIRE(RegCreateKeyExW(HKEY_CURRENT_USER, wide.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, k.Put(), nullptr) ==
            ERROR_SUCCESS);
    k.Reset();
    CHECK(reg::DeleteKey(HKEY_CURRENT_USER, kKey + "\\Groupe"));
    CHECK_FALSE(KeyExists(HKEY_CURRENT_USER, kKey + "\\Groupe"));
}
