#include "fonts/Catalogue.h"
#include "fonts/NameCompare.h"

#include <algorithm>

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

bool FontCatalogue::Less::operator()(const Entry* a, const Entry* b) const { return CompareNames(a->name, b->name) < 0; }

const std::vector<FontCatalogue::Entry*>& FontCatalogue::Entries() const
{
    if (m_viewDirty) {
        m_view.clear();
        m_view.reserve(m_entries.size());
        if (m_order == Order::SortedUnique)
            m_view.assign(m_sorted.begin(), m_sorted.end());
        else
            for (const auto& e : m_entries) m_view.push_back(e.get());
        m_viewDirty = false;
    }
    return m_view;
}

int FontCatalogue::Add(const std::string& name, std::unique_ptr<TToShowItem>& item)
{
    auto entry = std::make_unique<Entry>(Entry{name, nullptr});
    if (m_order == Order::SortedUnique) {
        if (m_sorted.find(entry.get()) != m_sorted.end()) return -1;
        entry->item = std::move(item);
        Entry* raw = entry.get();
        m_entries.push_back(std::move(entry));
        m_sorted.insert(raw);
        m_viewDirty = true;
        return IndexOf(name);
    }
    entry->item = std::move(item);
    m_entries.push_back(std::move(entry));
    if (!m_viewDirty) m_view.push_back(m_entries.back().get());
    if (!m_indexDirty) m_firstIndex.try_emplace(NameKey(name), Count() - 1);
    return Count() - 1;
}

int FontCatalogue::IndexOf(const std::string& name) const
{
    const auto& v = Entries();
    if (m_order == Order::SortedUnique) {
        Entry probe{name, nullptr};
        auto it = std::lower_bound(v.begin(), v.end(), &probe, Less{});
        if (it != v.end() && CompareNames((*it)->name, name) == 0) return static_cast<int>(it - v.begin());
        return -1;
    }
    if (m_indexDirty) {
        m_firstIndex.clear();
        for (std::size_t i = 0; i < v.size(); ++i) m_firstIndex.try_emplace(NameKey(v[i]->name), static_cast<int>(i));
        m_indexDirty = false;
    }
    auto it = m_firstIndex.find(NameKey(name));
    return it == m_firstIndex.end() ? -1 : it->second;
}

void FontCatalogue::Clear()
{
    if (m_beforeClear) m_beforeClear();
    m_sorted.clear();
    m_view.clear();
    m_entries.clear();
    m_firstIndex.clear();
    m_viewDirty = true;
    m_indexDirty = true;
    m_complete = false;
}

void FontCatalogue::Sort(const std::function<bool(const TToShowItem&, const TToShowItem&)>& less)
{
    if (m_order == Order::SortedUnique) return;
    std::stable_sort(m_entries.begin(), m_entries.end(),
                     [&](const auto& a, const auto& b) { return less(*a->item, *b->item); });
    m_viewDirty = true;
    m_indexDirty = true;
}

void NameList::Add(const std::string& name)
{
    if (!m_sorted) {
        m_firstIndex.try_emplace(NameKey(name), Count());
        m_names.push_back(name);
        return;
    }
    auto less = [](const std::string& a, const std::string& b) { return CompareNames(a, b) < 0; };
    auto it = std::lower_bound(m_names.begin(), m_names.end(), name, less);
    if (it != m_names.end() && CompareNames(*it, name) == 0) return; // kept once
    m_names.insert(it, name);
}

int NameList::IndexOf(const std::string& name) const
{
    if (m_sorted) {
        auto less = [](const std::string& a, const std::string& b) { return CompareNames(a, b) < 0; };
        auto it = std::lower_bound(m_names.begin(), m_names.end(), name, less);
        if (it != m_names.end() && CompareNames(*it, name) == 0) return static_cast<int>(it - m_names.begin());
        return -1;
    }
    auto it = m_firstIndex.find(NameKey(name));
    return it == m_firstIndex.end() ? -1 : it->second;
}

void MarkInstalled(TToShowItem& item, const NameList& fontsFolderFiles, const FontCatalogue& installed)
{
    const std::string file = UpperCase(item.FileName);
    auto dot = file.find_last_of('.');
    const std::string fot = (dot == std::string::npos ? file : file.substr(0, dot)) + ".FOT";
    item.OwnFileInstalled = fontsFolderFiles.Contains(file) || fontsFolderFiles.Contains(fot);
    item.Installed = item.OwnFileInstalled || installed.IndexOf(item.Family) >= 0 || installed.IndexOf(item.Name) >= 0;
}

} // namespace typa
