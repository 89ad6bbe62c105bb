#pragma once
// The registry, one call at a time: every operation opens its key (creating it when missing) and
// closes it before it returns, so no key stays open between calls. Reads never fail loudly: an
// absent value, a key that cannot be opened, or a value of another type or size than expected
// all give the caller's default. Writes answer true or false.
#include <windows.h>
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

namespace typa::reg {

std::string ReadString(HKEY root, const std::string& key, const std::string& name, const std::string& def);
bool WriteString(HKEY root, const std::string& key, const std::string& name, const std::string& text);

std::int32_t ReadInteger(HKEY root, const std::string& key, const std::string& name, std::int32_t def);
bool WriteInteger(HKEY root, const std::string& key, const std::string& name, std::int32_t value);

// Fills buffer[0..length) with the value's bytes; with the default bytes when the value is absent
// or is not binary data of exactly `length` bytes.
void ReadBinary(HKEY root, const std::string& key, const std::string& name, void* buffer, std::size_t length,
                const void* defaultBytes);
bool WriteBinary(HKEY root, const std::string& key, const std::string& name, std::size_t length, const void* bytes);

// Writes several string values through one opening of the key; true when all were written.
bool WriteStrings(HKEY root, const std::string& key, const std::vector<std::pair<std::string, std::string>>& values);

bool DeleteValue(HKEY root, const std::string& key, const std::string& name);
// Deletes the key with everything below it. True when the key is gone because of this call.
bool DeleteKey(HKEY root, const std::string& key);

struct NamesAndData {
    std::vector<std::string> names;
    std::vector<std::string> data; // string values as stored; other types give ""
};
// Every value of the key in the order the registry lists them; opens for reading only.
NamesAndData ReadAllValues(HKEY root, const std::string& key);
std::vector<std::string> ValueNames(HKEY root, const std::string& key);
std::vector<std::string> SubkeyNames(HKEY root, const std::string& key);

bool ValueExists(HKEY root, const std::string& key, const std::string& name);

// Value names as the registry tells them apart: case does not count, letter by letter in UTF-16.
// Two names with equal keys name one value. The code page is read once, when the object is made,
// so that a key costs no call into the system for each name.
class ValueNameKeys {
public:
    ValueNameKeys();
    std::wstring operator()(const std::string& name) const;

private:
    bool m_singleByte = false;
    wchar_t m_upper[256] = {}; // each byte of the code page, in UTF-16 and upper-cased
};

// Makes the string values of the key those of `values`, through one opening of the key (created
// when missing): what is stored is read, only the values that are missing or differ (in text or
// type) are written, each in place, and then the values that no name of `values` stands for are
// deleted. A value is written whole or not at all and is never deleted to be written again, so
// at every instant each name holds its old text or its new one. Of names that the registry takes
// for one (ValueNameKeys), the later pair's text is the one stored.
struct StringsUpdate {
    bool complete = false; // the key was opened and every value asked for holds its text
    int written = 0;
    int deleted = 0;
    int undeleted = 0; // values of no name asked for that would not go (one named outside the code page)
};
StringsUpdate UpdateStrings(HKEY root, const std::string& key,
                            const std::vector<std::pair<std::string, std::string>>& values);

// Opens the key with full access (KEY_ALL_ACCESS), creating it when missing, and closes it: true
// when the caller may write there.
bool CanWriteKey(HKEY root, const std::string& key);

// ---- Whole keys ---------------------------------------------------------------------------------
// Unlike the operations above, these never create the key they are asked about.

// True when the key exists and can be opened for reading.
bool KeyExists(HKEY root, const std::string& key);

// A string value read through a read-only opening of its key, as ReadString otherwise: for the
// machine's settings, which a user without administrator rights may read but not write.
std::string ReadStringReadOnly(HKEY root, const std::string& key, const std::string& name, const std::string& def);

// Copies every value (its type and bytes as stored) and every subkey, to any depth, of `from`
// into `to`, creating `to` when missing. True when all of it was copied. False without touching
// anything when `from` does not exist or `to` is `from` itself or lies inside it; on a failure
// part way a `to` that did not exist before is removed again, so no half copy stays behind.
bool CopyKey(HKEY root, const std::string& from, const std::string& to);

} // namespace typa::reg
