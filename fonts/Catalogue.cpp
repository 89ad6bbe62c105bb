#include "fonts/Catalogue.h"
#include "fonts/FontFiles.h"
#include "fonts/NameCompare.h"

#include <algorithm>
#include <tuple>

namespace typa {

std::string DisplayFileName(const std::string& path)
{
    auto pos = path.find_last_of("\\:");
    std::string name = LowerCase(pos == std::string::npos ? path : path.substr(pos + 1));
    if (!name.empty()) {
        std::string first = UpperCase(name.substr(0, 1));
        name[0] = first[0];
    }
    return name;
}

namespace {

// Where a key goes in a list sorted by key, and whether it is there already.
template <class It, class KeyOf>
std::pair<It, bool> FindKey(It first, It last, const std::string& key, KeyOf keyOf)
{
    It it = std::lower_bound(first, last, key, [&](const auto& e, const std::string& k) { return keyOf(e) < k; });
    return {it, it != last && keyOf(*it) == key};
}

} // namespace

int FontCatalogue::Add(const std::string& name, std::unique_ptr<TToShowItem>& item)
{
    auto entry = std::make_unique<Entry>(Entry{name, NameKey(name), nullptr});
    Entry* raw = entry.get();
    auto at = m_view.end();
    if (m_order == Order::SortedUnique) {
        bool present = false;
        std::tie(at, present) = FindKey(m_view.begin(), m_view.end(), raw->key, [](const Entry* e) -> const std::string& { return e->key; });
        if (present) return -1;
    }
    const auto index = at - m_view.begin();
    // Owned first, then shown: when memory runs out half-way, no view points at a freed entry
    // and the item is still the caller's.
    m_entries.push_back(std::move(entry));
    try {
        m_view.insert(m_view.begin() + index, raw);
    } catch (...) {
        m_entries.pop_back();
        throw;
    }
    raw->item = std::move(item);
    if (m_order == Order::AsAdded && !m_indexDirty) {
        try {
            m_firstIndex.try_emplace(raw->key, static_cast<int>(index));
        } catch (...) {
            m_indexDirty = true; // the index is only a cache: built again when next asked
        }
    }
    return static_cast<int>(index);
}

int FontCatalogue::IndexOf(const std::string& name) const
{
    const std::string key = NameKey(name);
    if (m_order == Order::SortedUnique) {
        auto [at, present] = FindKey(m_view.begin(), m_view.end(), key, [](const Entry* e) -> const std::string& { return e->key; });
        return present ? static_cast<int>(at - m_view.begin()) : -1;
    }
    if (m_indexDirty) {
        m_firstIndex.clear();
        for (std::size_t i = 0; i < m_view.size(); ++i) m_firstIndex.try_emplace(m_view[i]->key, static_cast<int>(i));
        m_indexDirty = false;
    }
    auto it = m_firstIndex.find(key);
    return it == m_firstIndex.end() ? -1 : it->second;
}

void FontCatalogue::Clear()
{
    if (m_beforeClear) m_beforeClear();
    ClearWithoutHook();
}

void FontCatalogue::ClearWithoutHook()
{
    m_view.clear();
    m_entries.clear();
    m_firstIndex.clear();
    m_indexDirty = true;
    m_complete = false;
}

void FontCatalogue::Sort(const std::function<bool(const TToShowItem&, const TToShowItem&)>& less)
{
    if (m_order == Order::SortedUnique) return;
    std::stable_sort(m_view.begin(), m_view.end(), [&](const Entry* a, const Entry* b) { return less(*a->item, *b->item); });
    m_indexDirty = true;
}

void NameList::Add(const std::string& name)
{
    std::string key = NameKey(name);
    if (!m_sorted) {
        m_firstIndex.try_emplace(std::move(key), Count());
        m_names.push_back(name);
        return;
    }
    auto [at, present] = FindKey(m_keys.begin(), m_keys.end(), key, [](const std::string& k) -> const std::string& { return k; });
    if (present) return; // kept once
    const auto index = at - m_keys.begin();
    m_keys.insert(at, std::move(key));
    try {
        m_names.insert(m_names.begin() + index, name);
    } catch (...) {
        m_keys.erase(m_keys.begin() + index); // the two stay in step
        throw;
    }
}

void NameList::AddAll(std::vector<std::string> names)
{
    if (!m_sorted || !m_names.empty()) {
        for (const std::string& name : names) Add(name);
        return;
    }
    // Sorted once by key: the first of equal names stays, as Add keeps it.
    std::vector<std::pair<std::string, std::size_t>> keyed;
    keyed.reserve(names.size());
    for (std::size_t i = 0; i < names.size(); ++i) keyed.emplace_back(NameKey(names[i]), i);
    std::stable_sort(keyed.begin(), keyed.end(), [](const auto& a, const auto& b) { return a.first < b.first; });
    m_keys.reserve(keyed.size());
    m_names.reserve(keyed.size());
    for (auto& [key, index] : keyed) {
        if (!m_keys.empty() && m_keys.back() == key) continue;
        m_keys.push_back(std::move(key));
        m_names.push_back(std::move(names[index]));
    }
}

int NameList::IndexOf(const std::string& name) const
{
    const std::string key = NameKey(name);
    if (m_sorted) {
        auto [at, present] = FindKey(m_keys.begin(), m_keys.end(), key, [](const std::string& k) -> const std::string& { return k; });
        return present ? static_cast<int>(at - m_keys.begin()) : -1;
    }
    auto it = m_firstIndex.find(key);
    return it == m_firstIndex.end() ? -1 : it->second;
}

void MarkInstalled(TToShowItem& item, const NameList& fontsFolderFiles, const FontCatalogue& installed)
{
    // The name the file has, or would have, in the fonts folder.
    const std::string file = UpperCase(InstallFileName(item));
    auto dot = file.find_last_of('.');
    const std::string fot = (dot == std::string::npos ? file : file.substr(0, dot)) + ".FOT";
    item.OwnFileInstalled = fontsFolderFiles.Contains(file) || fontsFolderFiles.Contains(fot);
    item.Installed = item.OwnFileInstalled || installed.IndexOf(item.Family) >= 0 || installed.IndexOf(item.Name) >= 0;
}

} // namespace typa
