#pragma once
// The lists of fonts and names kept beside the main window for the whole run.
//
// FontCatalogue owns its items. Unsorted catalogues keep the order of addition, allow equal
// names and find the first match by a scan from the start; sorted ones keep names in order,
// refuse a second equal name and find by halving the range. Names compare as CompareNames does.
// Emptying a catalogue first runs its "before clear" hook, which empties the list box that shows
// it, so that no row ever points at a freed item.
#include "fonts/FontItem.h"

#include <functional>
#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

namespace typa {

class FontCatalogue {
public:
    enum class Order { AsAdded, SortedUnique };

    explicit FontCatalogue(Order order) : m_order(order) {}
    FontCatalogue(const FontCatalogue&) = delete;
    FontCatalogue& operator=(const FontCatalogue&) = delete;
    ~FontCatalogue() { Clear(); }

    int Count() const { return static_cast<int>(m_view.size()); }
    const std::string& Name(int index) const { return m_view[index]->name; }
    // NameKey of the name: keys order names as CompareNames does, so callers can sort by them.
    const std::string& Key(int index) const { return m_view[index]->key; }
    TToShowItem* Item(int index) const { return m_view[index]->item.get(); }

    // Takes the item and returns its index; a sorted catalogue refuses a name it already holds
    // and returns -1, leaving the item with the caller.
    int Add(const std::string& name, std::unique_ptr<TToShowItem>& item);
    // First index whose name equals `name`, or -1.
    int IndexOf(const std::string& name) const;
    // Frees every item, after the hook has let go of them; the catalogue is no longer complete.
    void Clear();
    // Filled to the end from its source (the installed fonts: every system value read). Only a
    // complete catalogue may stand for what is installed, e.g. when the groups are saved.
    // Empties the catalogue as Clear does but without its hook: for a list that has let go of
    // the items and is brought up to the catalogue's new ones afterwards.
    void ClearWithoutHook();
    bool Complete() const { return m_complete; }
    void MarkComplete() { m_complete = true; }
    void SetBeforeClear(std::function<void()> hook) { m_beforeClear = std::move(hook); }

    // Puts the entries in a new order (as-added catalogues only): printing sorts the installed
    // catalogue in place and it keeps that order.
    void Sort(const std::function<bool(const TToShowItem&, const TToShowItem&)>& less);

private:
    struct Entry {
        std::string name;
        std::string key; // NameKey(name), computed once: comparing keys costs no locale call
        std::unique_ptr<TToShowItem> item;
    };

    Order m_order;
    std::vector<std::unique_ptr<Entry>> m_entries; // ownership, in addition order
    // Index order: sorted by key (a folder of thousands of fonts is sorted as it is read, one
    // halving search per name), or the order of addition.
    std::vector<Entry*> m_view;
    // As-added catalogues: name key -> first index, so that lookups give the scan's first match
    // without scanning. Rebuilt after a change of order.
    mutable std::unordered_map<std::string, int> m_firstIndex;
    mutable bool m_indexDirty = true;
    std::function<void()> m_beforeClear;
    bool m_complete = false;
};

// A list of names: FamilyNames (as the system reports them) or FontsFolderFiles (sorted, equal
// names kept once).
class NameList {
public:
    explicit NameList(bool sorted) : m_sorted(sorted) {}
    int Count() const { return static_cast<int>(m_names.size()); }
    const std::string& operator[](int index) const { return m_names[index]; }
    void Add(const std::string& name);
    // Puts `names` in (after what the list holds), as Add would one by one, sorting once.
    void AddAll(std::vector<std::string> names);
    int IndexOf(const std::string& name) const;
    bool Contains(const std::string& name) const { return IndexOf(name) >= 0; }
    void Clear()
    {
        m_names.clear();
        m_keys.clear();
        m_firstIndex.clear();
    }

private:
    bool m_sorted;
    std::vector<std::string> m_names;
    std::vector<std::string> m_keys;                   // sorted lists: NameKey of each name, in order
    std::unordered_map<std::string, int> m_firstIndex; // unsorted lists: name key -> first index
};

// Sets `Installed` of a folder font: its file (or the same name with .FOT) is in the Windows fonts
// folder, or its family or its own name is the name of an installed font. `OwnFileInstalled`
// tells the first case from the others.
void MarkInstalled(TToShowItem& item, const NameList& fontsFolderFiles, const FontCatalogue& installed);

} // namespace typa
