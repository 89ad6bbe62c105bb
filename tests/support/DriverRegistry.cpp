// Registry helpers for end-to-end tests (see Driver.h): the program and the test share Wine's
// one registry, so what the program wrote is there as soon as it returns or exits.
#include "Driver.h"

#include <cstring>

namespace typa::e2e {

namespace {

UniqueKey Open(HKEY root, const char* subKey, REGSAM access)
{
    UniqueKey key;
    if (RegOpenKeyExA(root, subKey, 0, access, key.Put()) != ERROR_SUCCESS) key.Reset();
    return key;
}

bool SetValue(HKEY root, const char* subKey, const char* name, DWORD type, const void* data,
              DWORD size)
{
    UniqueKey key;
    if (RegCreateKeyExA(root, subKey, 0, nullptr, 0, KEY_SET_VALUE, nullptr, key.Put(), nullptr) !=
        ERROR_SUCCESS)
        return false;
    return RegSetValueExA(key.Get(), name, 0, type, static_cast<const BYTE*>(data), size) ==
           ERROR_SUCCESS;
}

// The raw value if it exists with that type.
std::optional<std::vector<BYTE>> GetValue(HKEY root, const char* subKey, const char* name,
                                          DWORD wantedType)
{
    UniqueKey key = Open(root, subKey, KEY_QUERY_VALUE);
    if (!key) return std::nullopt;
    DWORD type = 0, size = 0;
    if (RegQueryValueExA(key.Get(), name, nullptr, &type, nullptr, &size) != ERROR_SUCCESS ||
        type != wantedType)
        return std::nullopt;
    std::vector<BYTE> data(size + 2);  // room for a missing terminator
    DWORD got = size;
    if (RegQueryValueExA(key.Get(), name, nullptr, &type, data.data(), &got) != ERROR_SUCCESS)
        return std::nullopt;
    data.resize(got);
    return data;
}

} // namespace

bool KeyExists(HKEY root, const char* subKey)
{
    return static_cast<bool>(Open(root, subKey, KEY_READ));
}

bool DeleteKeyTree(HKEY root, const char* subKey)
{
    RegDeleteTreeA(root, subKey);
    return !KeyExists(root, subKey);
}

bool ValueExists(HKEY root, const char* subKey, const char* name)
{
    UniqueKey key = Open(root, subKey, KEY_QUERY_VALUE);
    return key && RegQueryValueExA(key.Get(), name, nullptr, nullptr, nullptr, nullptr) ==
                      ERROR_SUCCESS;
}

bool SetString(HKEY root, const char* subKey, const char* name, std::string_view value)
{
    std::string s(value);
    return SetValue(root, subKey, name, REG_SZ, s.c_str(), static_cast<DWORD>(s.size() + 1));
}

bool SetDword(HKEY root, const char* subKey, const char* name, DWORD value)
{
    return SetValue(root, subKey, name, REG_DWORD, &value, sizeof value);
}

bool SetBinary(HKEY root, const char* subKey, const char* name, const std::vector<BYTE>& value)
{
    return SetValue(root, subKey, name, REG_BINARY, value.data(), static_cast<DWORD>(value.size()));
}

std::optional<std::string> GetString(HKEY root, const char* subKey, const char* name)
{
    auto data = GetValue(root, subKey, name, REG_SZ);
    if (!data) return std::nullopt;
    std::string s(data->begin(), data->end());
    if (size_t nul = s.find('\0'); nul != std::string::npos) s.resize(nul);
    return s;
}

std::optional<DWORD> GetDword(HKEY root, const char* subKey, const char* name)
{
    auto data = GetValue(root, subKey, name, REG_DWORD);
    if (!data || data->size() != sizeof(DWORD)) return std::nullopt;
    DWORD value = 0;
    std::memcpy(&value, data->data(), sizeof value);
    return value;
}

std::optional<std::vector<BYTE>> GetBinary(HKEY root, const char* subKey, const char* name)
{
    return GetValue(root, subKey, name, REG_BINARY);
}

} // namespace typa::e2e
