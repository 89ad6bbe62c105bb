// Reading list boxes, tree views and status bars of another process (see Driver.h).
#include "Driver.h"

#include <algorithm>
#include <cstring>
#include <optional>
#include <utility>

namespace typa::e2e {

namespace {

// A block of memory inside the process that owns a window, for the messages whose pointers
// Wine does not carry across processes (tree view, status bar, list view).
class RemoteMemory {
public:
    RemoteMemory(HWND wnd, size_t size) : m_size(size)
    {
        DWORD pid = WindowPid(wnd);
        m_process.Reset(OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_READ | PROCESS_VM_WRITE |
                                        PROCESS_QUERY_INFORMATION,
                                    FALSE, pid));
        if (!m_process) throw DriverError("cannot open process " + std::to_string(pid));
        m_address = VirtualAllocEx(m_process.Get(), nullptr, size, MEM_COMMIT | MEM_RESERVE,
                                   PAGE_READWRITE);
        if (!m_address) throw DriverError("cannot allocate memory in process " + std::to_string(pid));
    }
    RemoteMemory(const RemoteMemory&) = delete;
    RemoteMemory& operator=(const RemoteMemory&) = delete;
    ~RemoteMemory() { VirtualFreeEx(m_process.Get(), m_address, 0, MEM_RELEASE); }

    LPARAM At(size_t offset = 0) const
    {
        return reinterpret_cast<LPARAM>(static_cast<BYTE*>(m_address) + offset);
    }
    void Write(const void* data, size_t size, size_t offset = 0)
    {
        SIZE_T done = 0;
        if (offset + size > m_size ||
            !WriteProcessMemory(m_process.Get(), reinterpret_cast<void*>(At(offset)), data, size,
                                &done) ||
            done != size)
            throw DriverError("cannot write into the target's memory");
    }
    void Read(void* data, size_t size, size_t offset = 0) const
    {
        SIZE_T done = 0;
        if (offset + size > m_size ||
            !ReadProcessMemory(m_process.Get(), reinterpret_cast<void*>(At(offset)), data, size,
                               &done) ||
            done != size)
            throw DriverError("cannot read the target's memory");
    }
    // Reads from any address of the target (a text pointer the control handed back).
    bool ReadAt(LPARAM address, void* data, size_t size) const
    {
        SIZE_T done = 0;
        return ReadProcessMemory(m_process.Get(), reinterpret_cast<void*>(address), data, size,
                                 &done) &&
               done == size;
    }

private:
    UniqueKernelHandle m_process;
    void* m_address = nullptr;
    size_t m_size;
};

constexpr size_t kTextChars = 1024;

} // namespace

// ---- List boxes ----------------------------------------------------------------------------

int ListCount(HWND list)
{
    return static_cast<int>(SendWide(list, LB_GETCOUNT, 0, 0));
}

std::string ListText(HWND list, int index)
{
    LONG style = Style(list);
    if ((style & (LBS_OWNERDRAWFIXED | LBS_OWNERDRAWVARIABLE)) && !(style & LBS_HASSTRINGS))
        throw DriverError("this owner-drawn list box holds no strings");
    LRESULT length = SendWide(list, LB_GETTEXTLEN, index, 0);
    if (length == LB_ERR || length < 0) return {};
    // Room to spare: Wine copies the whole reply, whatever the length said.
    std::vector<WCHAR> buffer(static_cast<size_t>(length) + 64, L'\0');
    LRESULT got = SendWide(list, LB_GETTEXT, index, reinterpret_cast<LPARAM>(buffer.data()));
    if (got == LB_ERR) return {};
    return ToCp1252({buffer.data(), std::min<size_t>(static_cast<size_t>(got), buffer.size())});
}

std::vector<std::string> ListRows(HWND list)
{
    std::vector<std::string> rows;
    int n = ListCount(list);
    for (int i = 0; i < n; ++i) rows.push_back(ListText(list, i));
    return rows;
}

bool ListIsSelected(HWND list, int index)
{
    return SendWide(list, LB_GETSEL, index, 0) > 0;
}

std::vector<int> ListSelection(HWND list)
{
    std::vector<int> selected;
    int n = ListCount(list);
    for (int i = 0; i < n; ++i)
        if (ListIsSelected(list, i)) selected.push_back(i);
    return selected;
}

int ListCurSel(HWND list)
{
    return static_cast<int>(SendWide(list, LB_GETCURSEL, 0, 0));
}

int ListCaret(HWND list)
{
    return static_cast<int>(SendWide(list, LB_GETCARETINDEX, 0, 0));
}

int ListTopIndex(HWND list)
{
    return static_cast<int>(SendWide(list, LB_GETTOPINDEX, 0, 0));
}

int ListItemHeight(HWND list, int index)
{
    return static_cast<int>(SendWide(list, LB_GETITEMHEIGHT, index, 0));
}

LPARAM ListItemData(HWND list, int index)
{
    return SendWide(list, LB_GETITEMDATA, index, 0);
}

std::optional<RECT> ListItemRect(HWND list, int index)
{
    // Wine carries the RECT of LB_GETITEMRECT across processes itself.
    RECT r{};
    if (SendWide(list, LB_GETITEMRECT, index, reinterpret_cast<LPARAM>(&r)) == LB_ERR)
        return std::nullopt;
    return r;
}

// ---- Tree views ----------------------------------------------------------------------------

namespace {

HTREEITEM Next(HWND tree, UINT flag, HTREEITEM item)
{
    return reinterpret_cast<HTREEITEM>(SendWide(tree, TVM_GETNEXTITEM, flag,
                                             reinterpret_cast<LPARAM>(item)));
}

std::optional<TreeItem> ReadItem(HWND tree, RemoteMemory& mem, HTREEITEM handle, int level)
{
    TVITEMW item{};
    item.mask = TVIF_HANDLE | TVIF_TEXT | TVIF_STATE | TVIF_IMAGE | TVIF_SELECTEDIMAGE |
                TVIF_PARAM;
    item.hItem = handle;
    item.stateMask = TVIS_SELECTED | TVIS_EXPANDED;
    item.pszText = reinterpret_cast<LPWSTR>(mem.At(sizeof item));
    item.cchTextMax = kTextChars;
    WCHAR empty = L'\0';
    mem.Write(&item, sizeof item);
    mem.Write(&empty, sizeof empty, sizeof item);
    if (!SendWide(tree, TVM_GETITEMW, 0, mem.At())) return std::nullopt;  // deleted meanwhile
    mem.Read(&item, sizeof item);

    std::vector<WCHAR> text(kTextChars + 1, L'\0');
    if (reinterpret_cast<LPARAM>(item.pszText) == mem.At(sizeof item))
        mem.Read(text.data(), kTextChars * sizeof(WCHAR), sizeof item);
    else if (item.pszText && item.pszText != LPSTR_TEXTCALLBACKW)
        mem.ReadAt(reinterpret_cast<LPARAM>(item.pszText), text.data(), kTextChars * sizeof(WCHAR));

    TreeItem out;
    out.item = handle;
    out.text = ToCp1252({text.data(), kTextChars});
    out.level = level;
    out.selected = (item.state & TVIS_SELECTED) != 0;
    out.expanded = (item.state & TVIS_EXPANDED) != 0;
    out.hasChildren = Next(tree, TVGN_CHILD, handle) != nullptr;
    out.image = item.iImage;
    out.selectedImage = item.iSelectedImage;
    out.param = item.lParam;
    return out;
}

} // namespace

namespace {

// One depth-first walk with an explicit stack of the next sibling at each level; the count
// limit guards against a hostile tree whose links loop. Nothing when an item went away while
// it was being read (the program rebuilt the tree under the reader).
std::optional<std::vector<TreeItem>> WalkTree(HWND tree, RemoteMemory& mem)
{
    std::vector<TreeItem> items;
    const size_t limit = static_cast<size_t>(std::max(TreeCount(tree), 0)) + 1;
    std::vector<HTREEITEM> stack{Next(tree, TVGN_ROOT, nullptr)};
    while (!stack.empty() && items.size() < limit) {
        HTREEITEM current = stack.back();
        if (!current) {
            stack.pop_back();
            continue;
        }
        int level = static_cast<int>(stack.size()) - 1;
        std::optional<TreeItem> item = ReadItem(tree, mem, current, level);
        if (!item) return std::nullopt;
        items.push_back(std::move(*item));
        stack.back() = Next(tree, TVGN_NEXT, current);
        stack.push_back(Next(tree, TVGN_CHILD, current));
    }
    return items;
}

} // namespace

std::vector<TreeItem> TreeItems(HWND tree)
{
    RemoteMemory mem(tree, sizeof(TVITEMW) + (kTextChars + 1) * sizeof(WCHAR));
    // A tree being rebuilt is read again once it has settled; one that never lets a walk
    // through is an error of its own.
    for (int attempt = 0; attempt < 50; ++attempt) {
        if (std::optional<std::vector<TreeItem>> items = WalkTree(tree, mem)) return std::move(*items);
        if (!IsWindow(tree)) break;
        Sleep(20);
    }
    throw DriverError("TVM_GETITEM failed");
}

std::optional<TreeItem> TreeSelection(HWND tree)
{
    HTREEITEM sel = Next(tree, TVGN_CARET, nullptr);
    if (!sel) return std::nullopt;
    for (auto& item : TreeItems(tree))
        if (item.item == sel) return item;
    return std::nullopt;
}

std::optional<TreeItem> TreeFind(HWND tree, const std::vector<std::string>& path)
{
    if (path.empty()) return std::nullopt;
    size_t depth = 0;  // how many path elements the current branch has matched
    for (auto& item : TreeItems(tree)) {
        if (static_cast<size_t>(item.level) > depth) continue;  // below a non-matching item
        depth = static_cast<size_t>(item.level);
        if (item.text != path[depth]) continue;
        if (++depth == path.size()) return item;
    }
    return std::nullopt;
}

std::optional<RECT> TreeItemRect(HWND tree, HTREEITEM item, bool textOnly)
{
    RemoteMemory mem(tree, sizeof(RECT));
    RECT r{};
    static_assert(sizeof(HTREEITEM) <= sizeof(RECT));
    std::memcpy(&r, &item, sizeof item);  // in: the item; out: its rectangle
    mem.Write(&r, sizeof r);
    if (!SendWide(tree, TVM_GETITEMRECT, textOnly, mem.At())) return std::nullopt;
    mem.Read(&r, sizeof r);
    return r;
}

int TreeCount(HWND tree)
{
    return static_cast<int>(SendWide(tree, TVM_GETCOUNT, 0, 0));
}

void TreeSelect(HWND tree, HTREEITEM item)
{
    Post(tree, TVM_SELECTITEM, TVGN_CARET, reinterpret_cast<LPARAM>(item));
}

void TreeExpand(HWND tree, HTREEITEM item, bool expand)
{
    Post(tree, TVM_EXPAND, expand ? TVE_EXPAND : TVE_COLLAPSE, reinterpret_cast<LPARAM>(item));
}

// ---- Status bar ----------------------------------------------------------------------------

std::string StatusText(HWND statusBar, int part)
{
    size_t length = LOWORD(SendWide(statusBar, SB_GETTEXTLENGTHW, part, 0));
    size_t chars = length + 1;
    RemoteMemory mem(statusBar, chars * sizeof(WCHAR));
    std::vector<WCHAR> text(chars, L'\0');
    mem.Write(text.data(), chars * sizeof(WCHAR));
    SendWide(statusBar, SB_GETTEXTW, part, mem.At());
    mem.Read(text.data(), chars * sizeof(WCHAR));
    return ToCp1252({text.data(), length});
}

} // namespace typa::e2e
