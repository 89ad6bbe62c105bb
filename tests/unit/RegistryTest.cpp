// Round trips through Wine's real registry, under a throw-away key.
#include "platform/Registry.h"
#include "platform/Handles.h"
#include <doctest/doctest.h>

#include <cstring>
#include <map>

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

namespace {

// Signalled once anything in the key changes after it is made (a value written or deleted).
class ChangeWatch {
public:
    explicit ChangeWatch(const std::string& key) : m_event(CreateEventA(nullptr, TRUE, FALSE, nullptr))
    {
        REQUIRE(RegOpenKeyExA(HKEY_CURRENT_USER, key.c_str(), 0, KEY_NOTIFY, m_key.Put()) == ERROR_SUCCESS);
        REQUIRE(RegNotifyChangeKeyValue(m_key.Get(), FALSE, REG_NOTIFY_CHANGE_LAST_SET, m_event.Get(), TRUE) ==
                ERROR_SUCCESS);
    }
    bool Changed() const { return WaitForSingleObject(m_event.Get(), 200) == WAIT_OBJECT_0; }

private:
    UniqueKey m_key;
    UniqueKernelHandle m_event;
};

struct Stored {
    DWORD type = 0;
    std::string text;
};

// Every value by its name as stored, spelling included.
std::vector<std::pair<std::string, Stored>> StoredValues(const std::string& key)
{
    std::vector<std::pair<std::string, Stored>> out;
    UniqueKey k;
    REQUIRE(RegOpenKeyExA(HKEY_CURRENT_USER, key.c_str(), 0, KEY_READ, k.Put()) == ERROR_SUCCESS);
    for (DWORD i = 0;; ++i) {
        char name[256];
        BYTE data[256] = {};
        DWORD len = sizeof name, size = sizeof data - 1, type = 0;
        if (RegEnumValueA(k.Get(), i, name, &len, nullptr, &type, data, &size) != ERROR_SUCCESS) break;
        out.push_back({std::string(name, len), {type, reinterpret_cast<const char*>(data)}});
    }
    return out;
}

} // namespace

TEST_CASE("A key brought to a set of strings: only what differs is written, in place; stale values go; equal names once")
{
    Scratch s;
    const DWORD five = 5;
    SetRaw(kKey, "Gardé", REG_SZ, "A", 2);
    SetRaw(kKey, "arial", REG_SZ, "Titres", 7); // the registry's spelling of a name asked for as "Arial"
    SetRaw(kKey, "Nombre", REG_DWORD, &five, 4);
    SetRaw(kKey, "Étendu", REG_EXPAND_SZ, "X", 2);
    SetRaw(kKey, "Périmé", REG_SZ, "Z", 2);
    SetRaw(kKey, "ÉCOLE", REG_SZ, "1", 2);
    const std::vector<std::pair<std::string, std::string>> wanted{
        {"Gardé", "A"}, {"Arial", "Titres"}, {"Nombre", "5"}, {"Étendu", "X"}, {"école", "1"},
        {"Double", "premier"}, {"Vide", ""}, {"DOUBLE", "second"}};

    reg::StringsUpdate done = reg::UpdateStrings(HKEY_CURRENT_USER, kKey, wanted);
    CHECK(done.complete);
    CHECK(done.written == 4); // Nombre and Étendu become strings; Double once; Vide
    CHECK(done.deleted == 1); // Périmé
    const auto stored = StoredValues(kKey);
    auto find = [&](const std::string& name) -> const Stored* {
        for (const auto& [n, v] : stored)
            if (n == name) return &v;
        return nullptr;
    };
    CHECK(stored.size() == 7);
    REQUIRE(find("arial")); // untouched: a rewrite could not have kept its spelling
    CHECK(find("arial")->text == "Titres");
    REQUIRE(find("ÉCOLE"));
    REQUIRE(find("Nombre"));
    CHECK(find("Nombre")->type == REG_SZ);
    CHECK(find("Nombre")->text == "5");
    REQUIRE(find("Étendu"));
    CHECK(find("Étendu")->type == REG_SZ);
    CHECK_FALSE(find("Périmé"));
    REQUIRE(find("Vide"));
    CHECK(find("Vide")->text == "");
    CHECK(reg::ReadString(HKEY_CURRENT_USER, kKey, "double", "") == "second");

    // Asked again, nothing differs: the key is not written at all.
    {
        ChangeWatch watch(kKey);
        done = reg::UpdateStrings(HKEY_CURRENT_USER, kKey, wanted);
        CHECK(done.complete);
        CHECK(done.written == 0);
        CHECK(done.deleted == 0);
        CHECK_FALSE(watch.Changed());
    }
    // One text changes: one write, which the watch sees.
    {
        ChangeWatch watch(kKey);
        auto changed = wanted;
        changed.front() = {"Gardé", "B"};
        done = reg::UpdateStrings(HKEY_CURRENT_USER, kKey, changed);
        CHECK(done.written == 1);
        CHECK(done.deleted == 0);
        CHECK(watch.Changed());
        CHECK(reg::ReadString(HKEY_CURRENT_USER, kKey, "Gardé", "") == "B");
    }
    // A stale value named outside the code page cannot be named through the 8-bit API: it stays,
    // and what was asked for is in all the same.
    {
        UniqueKey k;
        REQUIRE(RegOpenKeyExW(HKEY_CURRENT_USER, L"Software\\TypariumTests\\Registry", 0, KEY_ALL_ACCESS, k.Put()) ==
                ERROR_SUCCESS);
        REQUIRE(RegSetValueExW(k.Get(), L"\u0416\u4e2d", 0, REG_SZ, reinterpret_cast<const BYTE*>(L"x"), 4) == ERROR_SUCCESS);
        done = reg::UpdateStrings(HKEY_CURRENT_USER, kKey, wanted);
        CHECK(done.complete);
        CHECK(done.written == 1); // Gardé back to "A"
        CHECK(done.undeleted == 1);
        CHECK(reg::ReadString(HKEY_CURRENT_USER, kKey, "Gardé", "") == "A");
        RegDeleteValueW(k.Get(), L"\u0416\u4e2d");
    }
    // Nothing wanted: every value goes, the key stays.
    done = reg::UpdateStrings(HKEY_CURRENT_USER, kKey, {});
    CHECK(done.complete);
    CHECK(done.deleted == 7);
    CHECK(reg::ValueNames(HKEY_CURRENT_USER, kKey).empty());
    CHECK(KeyExists(HKEY_CURRENT_USER, kKey));
}

TEST_CASE("Value names are told apart as the registry tells them apart, over the whole code page")
{
    Scratch s;
    // One value per character of the code page, written in order: each write lands on the value the
    // registry takes the name for, so the key ends with one value per name key.
    const reg::ValueNameKeys keyOf;
    std::map<std::wstring, int> lastOf;
    for (int c = 1; c < 256; ++c) {
        const std::string name = std::string("v") + static_cast<char>(c);
        const std::string text = std::to_string(c);
        SetRaw(kKey, name.c_str(), REG_SZ, text.c_str(), static_cast<DWORD>(text.size() + 1));
        lastOf[keyOf(name)] = c;
    }
    CHECK(reg::ValueNames(HKEY_CURRENT_USER, kKey).size() == lastOf.size());
    for (int c = 1; c < 256; ++c) {
        const std::string name = std::string("v") + static_cast<char>(c);
        INFO("character ", c);
        CHECK(reg::ReadString(HKEY_CURRENT_USER, kKey, name, "") == std::to_string(lastOf[keyOf(name)]));
    }
    // Case counts for nothing; accents do.
    CHECK(keyOf("école") == keyOf("ÉCOLE"));
    CHECK(keyOf("ÿ") == keyOf("Ÿ"));
    CHECK(keyOf("e") != keyOf("é"));
}
