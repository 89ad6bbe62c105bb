#include "platform/Registry.h"
#include "platform/Handles.h"

#include <algorithm>
#include <cstring>
#include <unordered_map>

namespace typa::reg {
namespace {

UniqueKey OpenKey(HKEY root, const std::string& key, REGSAM access)
{
    UniqueKey k;
    DWORD disposition = 0;
    if (RegCreateKeyExA(root, key.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE, access, nullptr, k.Put(),
                        &disposition) != ERROR_SUCCESS)
        k.Release(); // a failed call may leave garbage in the out-parameter
    return k;
}

UniqueKey OpenFull(HKEY root, const std::string& key) { return OpenKey(root, key, KEY_ALL_ACCESS); }

// The value's type and raw bytes; false when it is absent or cannot be read.
bool QueryRaw(HKEY k, const std::string& name, DWORD& type, std::vector<BYTE>& bytes)
{
    DWORD size = 0;
    if (RegQueryValueExA(k, name.c_str(), nullptr, &type, nullptr, &size) != ERROR_SUCCESS) return false;
    // The value may grow between the two calls; try again a few times.
    for (int attempt = 0; attempt < 4; ++attempt) {
        bytes.assign(size + 2, 0); // room for a missing terminator
        DWORD got = size;
        LONG rc = RegQueryValueExA(k, name.c_str(), nullptr, &type, bytes.data(), &got);
        if (rc == ERROR_SUCCESS) {
            bytes.resize(got);
            return true;
        }
        if (rc != ERROR_MORE_DATA) return false;
        size = got;
    }
    return false;
}

// REG_SZ data may lack its terminator or carry several; keep the text up to the first NUL.
std::string BytesToString(const std::vector<BYTE>& bytes)
{
    const char* p = reinterpret_cast<const char*>(bytes.data());
    return std::string(p, strnlen(p, bytes.size()));
}

bool IsStringType(DWORD type) { return type == REG_SZ || type == REG_EXPAND_SZ; }

// Every value of an open key in the registry's order; `types`, when given, receives their types.
void ReadValuesOf(HKEY k, NamesAndData& out, std::vector<DWORD>* types)
{
    DWORD maxName = 0, maxData = 0;
    if (RegQueryInfoKeyA(k, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, &maxName, &maxData,
                         nullptr, nullptr) != ERROR_SUCCESS)
        return;
    std::vector<char> name(maxName + 2);
    std::vector<BYTE> data(maxData + 2);
    for (DWORD i = 0;;) {
        DWORD nameLen = static_cast<DWORD>(name.size());
        DWORD dataLen = static_cast<DWORD>(data.size() - 2);
        DWORD type = 0;
        LONG rc = RegEnumValueA(k, i, name.data(), &nameLen, nullptr, &type, data.data(), &dataLen);
        if (rc == ERROR_MORE_DATA) { // a value changed under us: grow and read the same index again
            name.resize(name.size() * 2 + 256);
            data.resize(std::max<std::size_t>(data.size() * 2, dataLen + 2));
            continue;
        }
        if (rc != ERROR_SUCCESS) break;
        out.names.emplace_back(name.data(), nameLen);
        if (IsStringType(type)) {
            const char* p = reinterpret_cast<const char*>(data.data());
            out.data.emplace_back(p, strnlen(p, dataLen));
        } else {
            out.data.emplace_back();
        }
        if (types) types->push_back(type);
        ++i;
    }
}

// Children are named through the wide API: a subkey whose name has no form in the ANSI code
// page could not be opened by its 8-bit name and would survive the deletion.
bool DeleteTreeW(HKEY root, const std::wstring& key)
{
    {
        UniqueKey k;
        if (RegOpenKeyExW(root, key.c_str(), 0, KEY_READ | KEY_WRITE, k.Put()) != ERROR_SUCCESS) {
            k.Release();
            return false;
        }
        // Collect first: deleting while enumerating shifts the indices.
        std::vector<std::wstring> children;
        wchar_t name[256];
        for (DWORD i = 0;; ++i) {
            DWORD len = 256;
            if (RegEnumKeyExW(k.Get(), i, name, &len, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS) break;
            children.emplace_back(name, len);
        }
        for (const auto& child : children) DeleteTreeW(k.Get(), child);
    }
    return RegDeleteKeyW(root, key.c_str()) == ERROR_SUCCESS;
}

bool DeleteTree(HKEY root, const std::string& key)
{
    int n = MultiByteToWideChar(CP_ACP, 0, key.data(), static_cast<int>(key.size()), nullptr, 0);
    if (n <= 0) return false;
    std::wstring wide(static_cast<std::size_t>(n), L'\0');
    MultiByteToWideChar(CP_ACP, 0, key.data(), static_cast<int>(key.size()), wide.data(), n);
    return DeleteTreeW(root, wide);
}

} // namespace

std::string ReadString(HKEY root, const std::string& key, const std::string& name, const std::string& def)
{
    UniqueKey k = OpenFull(root, key);
    DWORD type = 0;
    std::vector<BYTE> bytes;
    if (!k || !QueryRaw(k.Get(), name, type, bytes) || !IsStringType(type)) return def;
    return BytesToString(bytes);
}

bool WriteString(HKEY root, const std::string& key, const std::string& name, const std::string& text)
{
    UniqueKey k = OpenFull(root, key);
    return k && RegSetValueExA(k.Get(), name.c_str(), 0, REG_SZ, reinterpret_cast<const BYTE*>(text.c_str()),
                               static_cast<DWORD>(text.size() + 1)) == ERROR_SUCCESS;
}

std::int32_t ReadInteger(HKEY root, const std::string& key, const std::string& name, std::int32_t def)
{
    UniqueKey k = OpenFull(root, key);
    DWORD type = 0;
    std::vector<BYTE> bytes;
    if (!k || !QueryRaw(k.Get(), name, type, bytes) || type != REG_DWORD || bytes.size() != 4) return def;
    std::int32_t v;
    std::memcpy(&v, bytes.data(), 4);
    return v;
}

bool WriteInteger(HKEY root, const std::string& key, const std::string& name, std::int32_t value)
{
    UniqueKey k = OpenFull(root, key);
    return k && RegSetValueExA(k.Get(), name.c_str(), 0, REG_DWORD, reinterpret_cast<const BYTE*>(&value), 4) ==
                    ERROR_SUCCESS;
}

void ReadBinary(HKEY root, const std::string& key, const std::string& name, void* buffer, std::size_t length,
                const void* defaultBytes)
{
    UniqueKey k = OpenFull(root, key);
    DWORD type = 0;
    std::vector<BYTE> bytes;
    if (k && QueryRaw(k.Get(), name, type, bytes) && type == REG_BINARY && bytes.size() == length)
        std::memcpy(buffer, bytes.data(), length);
    else
        std::memcpy(buffer, defaultBytes, length);
}

bool WriteBinary(HKEY root, const std::string& key, const std::string& name, std::size_t length, const void* bytes)
{
    UniqueKey k = OpenFull(root, key);
    return k && RegSetValueExA(k.Get(), name.c_str(), 0, REG_BINARY, static_cast<const BYTE*>(bytes),
                               static_cast<DWORD>(length)) == ERROR_SUCCESS;
}

bool WriteStrings(HKEY root, const std::string& key, const std::vector<std::pair<std::string, std::string>>& values)
{
    UniqueKey k = OpenFull(root, key);
    if (!k) return false;
    bool all = true;
    for (const auto& [name, text] : values)
        all = RegSetValueExA(k.Get(), name.c_str(), 0, REG_SZ, reinterpret_cast<const BYTE*>(text.c_str()),
                             static_cast<DWORD>(text.size() + 1)) == ERROR_SUCCESS &&
              all;
    return all;
}

bool DeleteValue(HKEY root, const std::string& key, const std::string& name)
{
    UniqueKey k = OpenFull(root, key);
    return k && RegDeleteValueA(k.Get(), name.c_str()) == ERROR_SUCCESS;
}

bool CanWriteKey(HKEY root, const std::string& key) { return static_cast<bool>(OpenFull(root, key)); }

bool DeleteKey(HKEY root, const std::string& key)
{
    if (key.empty()) return false; // never the root itself
    return DeleteTree(root, key);
}

NamesAndData ReadAllValues(HKEY root, const std::string& key)
{
    NamesAndData out;
    UniqueKey k = OpenKey(root, key, KEY_READ);
    if (k) ReadValuesOf(k.Get(), out, nullptr);
    return out;
}

std::vector<std::string> ValueNames(HKEY root, const std::string& key) { return ReadAllValues(root, key).names; }

std::vector<std::string> SubkeyNames(HKEY root, const std::string& key)
{
    std::vector<std::string> out;
    UniqueKey k = OpenFull(root, key);
    if (!k) return out;
    char name[256];
    for (DWORD i = 0;; ++i) {
        DWORD len = sizeof name;
        if (RegEnumKeyExA(k.Get(), i, name, &len, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS) break;
        out.emplace_back(name, len);
    }
    return out;
}

bool ValueExists(HKEY root, const std::string& key, const std::string& name)
{
    UniqueKey k = OpenFull(root, key);
    return k && RegQueryValueExA(k.Get(), name.c_str(), nullptr, nullptr, nullptr, nullptr) == ERROR_SUCCESS;
}

ValueNameKeys::ValueNameKeys()
{
    CPINFO info{};
    m_singleByte = GetCPInfo(CP_ACP, &info) && info.MaxCharSize == 1;
    if (!m_singleByte) return;
    char bytes[256];
    for (int i = 0; i < 256; ++i) bytes[i] = static_cast<char>(i);
    if (MultiByteToWideChar(CP_ACP, 0, bytes, 256, m_upper, 256) != 256) {
        m_singleByte = false;
        return;
    }
    CharUpperBuffW(m_upper, 256);
}

std::wstring ValueNameKeys::operator()(const std::string& name) const
{
    std::wstring key;
    if (m_singleByte) {
        key.resize(name.size());
        for (std::size_t i = 0; i < name.size(); ++i) key[i] = m_upper[static_cast<unsigned char>(name[i])];
        return key;
    }
    // Code pages of several bytes a letter: the conversion needs the whole name.
    const int n = MultiByteToWideChar(CP_ACP, 0, name.data(), static_cast<int>(name.size()), nullptr, 0);
    if (n <= 0) return std::wstring(name.begin(), name.end());
    key.resize(static_cast<std::size_t>(n));
    MultiByteToWideChar(CP_ACP, 0, name.data(), static_cast<int>(name.size()), key.data(), n);
    CharUpperBuffW(key.data(), static_cast<DWORD>(n));
    return key;
}

StringsUpdate UpdateStrings(HKEY root, const std::string& key,
                            const std::vector<std::pair<std::string, std::string>>& values)
{
    StringsUpdate result;
    UniqueKey k = OpenFull(root, key);
    if (!k) return result;
    const ValueNameKeys keyOf;

    // One slot per value the key is to hold, in the order of the first of its names; the later
    // pair of equal names takes the slot.
    std::unordered_map<std::wstring, std::size_t> slotOf;
    std::vector<std::pair<const std::wstring*, std::size_t>> slots; // name key, index in values
    slotOf.reserve(values.size());
    slots.reserve(values.size());
    for (std::size_t i = 0; i < values.size(); ++i) {
        auto [it, fresh] = slotOf.try_emplace(keyOf(values[i].first), slots.size());
        if (fresh)
            slots.emplace_back(&it->first, i);
        else
            slots[it->second].second = i;
    }

    NamesAndData stored;
    std::vector<DWORD> types;
    ReadValuesOf(k.Get(), stored, &types);
    std::vector<std::wstring> storedKeys;
    storedKeys.reserve(stored.names.size());
    std::unordered_map<std::wstring, std::size_t> storedAt;
    storedAt.reserve(stored.names.size());
    for (std::size_t i = 0; i < stored.names.size(); ++i) {
        storedKeys.push_back(keyOf(stored.names[i]));
        storedAt.try_emplace(storedKeys.back(), i);
    }

    bool all = true;
    for (const auto& [nameKey, index] : slots) {
        const auto& [name, text] = values[index];
        auto at = storedAt.find(*nameKey);
        if (at != storedAt.end() && types[at->second] == REG_SZ && stored.data[at->second] == text) continue;
        if (RegSetValueExA(k.Get(), name.c_str(), 0, REG_SZ, reinterpret_cast<const BYTE*>(text.c_str()),
                           static_cast<DWORD>(text.size() + 1)) == ERROR_SUCCESS)
            ++result.written;
        else
            all = false;
    }
    // Only once everything new is in: a value that goes now was wanted by no name.
    for (std::size_t i = 0; i < stored.names.size(); ++i) {
        if (slotOf.count(storedKeys[i])) continue;
        if (RegDeleteValueA(k.Get(), stored.names[i].c_str()) == ERROR_SUCCESS)
            ++result.deleted;
        else
            ++result.undeleted;
    }
    result.complete = all;
    return result;
}

} // namespace typa::reg

// ---- Whole keys ---------------------------------------------------------------------------------

namespace typa::reg {
namespace {

// Deeper than the registry itself allows: only a copy into its own subtree gets there.
constexpr int kMaxKeyDepth = 512;

std::string UpperPath(std::string s)
{
    if (!s.empty()) CharUpperBuffA(s.data(), static_cast<DWORD>(s.size()));
    return s;
}

// Key names compare without regard to case, as the registry finds them.
bool SameOrInside(const std::string& inner, const std::string& outer)
{
    const std::string a = UpperPath(inner), b = UpperPath(outer);
    return a == b || (a.size() > b.size() && a.compare(0, b.size(), b) == 0 && a[b.size()] == '\\');
}

bool CopyValues(HKEY src, HKEY dst)
{
    DWORD maxName = 0, maxData = 0;
    if (RegQueryInfoKeyA(src, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, &maxName, &maxData,
                         nullptr, nullptr) != ERROR_SUCCESS)
        return false;
    std::vector<char> name(maxName + 2);
    std::vector<BYTE> data(maxData + 2);
    int regrown = 0;
    for (DWORD i = 0;;) {
        DWORD nameLen = static_cast<DWORD>(name.size());
        DWORD dataLen = static_cast<DWORD>(data.size());
        DWORD type = 0;
        LONG rc = RegEnumValueA(src, i, name.data(), &nameLen, nullptr, &type, data.data(), &dataLen);
        if (rc == ERROR_NO_MORE_ITEMS) return true;
        if (rc == ERROR_MORE_DATA && ++regrown < 8) { // a value grew under us: read the same index again
            name.resize(name.size() * 2 + 256);
            data.resize(std::max<std::size_t>(data.size() * 2, dataLen + 2));
            continue;
        }
        if (rc != ERROR_SUCCESS) return false;
        const std::string valueName(name.data(), nameLen);
        if (RegSetValueExA(dst, valueName.c_str(), 0, type, data.data(), dataLen) != ERROR_SUCCESS) return false;
        regrown = 0;
        ++i;
    }
}

bool CopyInto(HKEY src, HKEY dst, int depth)
{
    if (depth > kMaxKeyDepth || !CopyValues(src, dst)) return false;
    // Collect first: creating keys while enumerating could shift the indices.
    std::vector<std::string> children;
    char name[256];
    for (DWORD i = 0;; ++i) {
        DWORD len = sizeof name;
        LONG rc = RegEnumKeyExA(src, i, name, &len, nullptr, nullptr, nullptr, nullptr);
        if (rc == ERROR_NO_MORE_ITEMS) break;
        if (rc != ERROR_SUCCESS) return false; // a child we cannot even name would be lost
        children.emplace_back(name, len);
    }
    for (const auto& child : children) {
        UniqueKey from, to;
        if (RegOpenKeyExA(src, child.c_str(), 0, KEY_READ, from.Put()) != ERROR_SUCCESS) {
            from.Release();
            return false;
        }
        if (RegCreateKeyExA(dst, child.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_ALL_ACCESS, nullptr,
                            to.Put(), nullptr) != ERROR_SUCCESS) {
            to.Release();
            return false;
        }
        if (!CopyInto(from.Get(), to.Get(), depth + 1)) return false;
    }
    return true;
}

} // namespace

bool KeyExists(HKEY root, const std::string& key)
{
    UniqueKey k;
    if (RegOpenKeyExA(root, key.c_str(), 0, KEY_READ, k.Put()) == ERROR_SUCCESS) return true;
    k.Release();
    return false;
}

std::string ReadStringReadOnly(HKEY root, const std::string& key, const std::string& name, const std::string& def)
{
    UniqueKey k;
    if (RegOpenKeyExA(root, key.c_str(), 0, KEY_QUERY_VALUE, k.Put()) != ERROR_SUCCESS) {
        k.Release();
        return def;
    }
    DWORD type = 0;
    std::vector<BYTE> bytes;
    if (!QueryRaw(k.Get(), name, type, bytes) || !IsStringType(type)) return def;
    return BytesToString(bytes);
}

bool CopyKey(HKEY root, const std::string& from, const std::string& to)
{
    if (from.empty() || to.empty() || SameOrInside(to, from)) return false;
    UniqueKey src;
    if (RegOpenKeyExA(root, from.c_str(), 0, KEY_READ, src.Put()) != ERROR_SUCCESS) {
        src.Release();
        return false;
    }
    UniqueKey dst;
    DWORD disposition = 0;
    if (RegCreateKeyExA(root, to.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_ALL_ACCESS, nullptr, dst.Put(),
                        &disposition) != ERROR_SUCCESS) {
        dst.Release();
        return false;
    }
    const bool copied = CopyInto(src.Get(), dst.Get(), 0);
    if (!copied && disposition == REG_CREATED_NEW_KEY) {
        dst.Reset();
        DeleteTree(root, to);
    }
    return copied;
}

} // namespace typa::reg
