#include "ui/FontListBox.h"

#include "platform/Handles.h"
#include "ui/FontList.h"

#include <algorithm>
#include <unordered_map>

namespace typa {

void TFontListBox::Attach(HWND list) { m_list = list; }

int TFontListBox::Count() const { return m_list ? static_cast<int>(SendMessageA(m_list, LB_GETCOUNT, 0, 0)) : 0; }

bool TFontListBox::Selected(int row) const { return SendMessageA(m_list, LB_GETSEL, row, 0) > 0; }

int TFontListBox::SelectedCount() const
{
    return m_list ? static_cast<int>(std::max<LRESULT>(SendMessageA(m_list, LB_GETSELCOUNT, 0, 0), 0)) : 0;
}

TToShowItem* TFontListBox::Item(int row) const
{
    if (m_lettingGo) return nullptr; // the rows' items are being built again
    const LRESULT data = SendMessageA(m_list, LB_GETITEMDATA, row, 0);
    return data == LB_ERR ? nullptr : reinterpret_cast<TToShowItem*>(data);
}

std::string TFontListBox::Text(int row) const
{
    const LRESULT length = SendMessageA(m_list, LB_GETTEXTLEN, row, 0);
    if (length == LB_ERR || length <= 0) return {};
    std::string text(static_cast<std::size_t>(length) + 1, '\0');
    const LRESULT got = SendMessageA(m_list, LB_GETTEXT, row, reinterpret_cast<LPARAM>(text.data()));
    text.resize(got == LB_ERR ? 0 : static_cast<std::size_t>(got));
    return text;
}

void TFontListBox::Remove(int row)
{
    if (SendMessageA(m_list, LB_DELETESTRING, row, 0) == LB_ERR) return;
    if (row >= 0 && static_cast<std::size_t>(row) < m_rows.size())
        m_rows.erase(m_rows.begin() + row);
    else
        m_rowsKnown = false;
}

void TFontListBox::ClearCurrent() { SendMessageA(m_list, LB_SETCARETINDEX, static_cast<WPARAM>(-1), 0); }

int TFontListBox::Caret() const
{
    const LRESULT caret = SendMessageA(m_list, LB_GETCARETINDEX, 0, 0);
    return caret == LB_ERR ? -1 : static_cast<int>(caret);
}

std::vector<TToShowItem*> TFontListBox::SelectedItems() const
{
    std::vector<TToShowItem*> items;
    const int rows = Count();
    for (int row = 0; row < rows; ++row)
        if (Selected(row))
            if (TToShowItem* item = Item(row)) items.push_back(item);
    return items;
}

void TFontListBox::SetAllSelected(bool state)
{
    ScopedNoRedraw noRedraw(m_list);
    for (int row = Count() - 1; row >= 0; --row) SendMessageA(m_list, LB_SETSEL, state, row);
    if (Count() > 0) SendMessageA(m_list, LB_SETCARETINDEX, 0, FALSE);
}

int TFontListBox::TopRow() const { return static_cast<int>(SendMessageA(m_list, LB_GETTOPINDEX, 0, 0)); }

void TFontListBox::UnloadPreviews()
{
    const int n = Count();
    for (int row = 0; row < n; ++row) {
        TToShowItem* item = Item(row);
        if (item && item->PreviewLoaded) UnloadPreview(*item);
    }
}

void TFontListBox::Clear()
{
    UnloadPreviews();
    SendMessageA(m_list, LB_RESETCONTENT, 0, 0);
    m_rows.clear();
    m_rowsKnown = true;
    m_looks.clear();
    m_lettingGo = false;
}

void TFontListBox::StartAdding(const std::vector<TToShowItem*>& rows, HDC dc)
{
    // Rows go in at their index in `rows`, so the measure of each new row knows its item. One DC
    // serves every row's measure, and the system-font lines are the same in each.
    m_measureDc = dc;
    m_systemLine = SystemLineHeight(dc);
    m_rowsBeingAdded = &rows;
    m_fontsMeasured = 0;
    m_measuredOptions = m_fontOptions;
    m_measuredSample = m_sampleText;
}

void TFontListBox::EndAdding()
{
    m_rowsBeingAdded = nullptr;
    m_measureDc = nullptr;
    // The faces of a collection were measured with their file loaded once for all of them.
    for (TToShowItem* item : m_heldForFill) UnloadPreview(*item);
    m_heldForFill.clear();
}

void TFontListBox::InsertRow(const std::vector<TToShowItem*>& rows, std::size_t index)
{
    const auto row = static_cast<int>(
        SendMessageA(m_list, LB_INSERTSTRING, index, reinterpret_cast<LPARAM>(rows[index]->Name.c_str())));
    if (row < 0 || static_cast<std::size_t>(row) > m_rows.size()) {
        m_rowsKnown = false; // out of memory: the next update fills the list again
        return;
    }
    SendMessageA(m_list, LB_SETITEMDATA, row, reinterpret_cast<LPARAM>(rows[index]));
    m_rows.insert(m_rows.begin() + row, rows[index]);
}

void TFontListBox::Fill(const std::vector<TToShowItem*>& rows, int topRow)
{
    ScopedNoRedraw noRedraw(m_list);
    WindowDc dc(m_list);
    StartAdding(rows, dc.Get());
    // Room for every row at once: the list box would otherwise grow its tables many times over.
    std::size_t textBytes = 0;
    for (const TToShowItem* row : rows) textBytes += row->Name.size() + 1;
    SendMessageA(m_list, LB_INITSTORAGE, rows.size(), static_cast<LPARAM>(textBytes));
    m_rows.reserve(m_rows.size() + rows.size());
    for (std::size_t i = 0; i < rows.size(); ++i) InsertRow(rows, i);
    EndAdding();
    if (topRow > 0 && topRow < static_cast<int>(rows.size())) SendMessageA(m_list, LB_SETTOPINDEX, topRow, 0);
}

namespace {

// What finds a row among others: its face of its file, or its item when it has no file.
struct RowKey {
    const void* what;
    int face;
    bool operator==(const RowKey&) const = default;
};
struct RowKeyHash {
    std::size_t operator()(const RowKey& k) const noexcept
    {
        return std::hash<const void*>()(k.what) * 31 + static_cast<std::size_t>(k.face);
    }
};
RowKey KeyOf(const TToShowItem* item)
{
    return item->File ? RowKey{item->File.get(), item->FaceIndex} : RowKey{item, 0};
}
using RowIndex = std::unordered_map<RowKey, std::size_t, RowKeyHash>;

} // namespace

TFontListBox::RowLook TFontListBox::LookOf(const TToShowItem& item)
{
    return {item.File, item.FaceIndex, item.Name, item.Family, item.Installed, item.Size};
}

bool TFontListBox::LooksLike(std::size_t row, const TToShowItem& item) const
{
    // The same item, or (a catalogue built again keeps the files it remembers) the same face of
    // the same file under the same name, shown alike.
    auto alike = [&](const std::shared_ptr<TFontFile>& file, int face, const std::string& name,
                     const std::string& family, bool installed, std::int32_t size) {
        return file && file == item.File && face == item.FaceIndex && name == item.Name && family == item.Family &&
               installed == item.Installed && size == item.Size;
    };
    if (m_lettingGo) {
        const RowLook& was = m_looks[row];
        return alike(was.file, was.face, was.name, was.family, was.installed, was.size);
    }
    const TToShowItem& was = *m_rows[row];
    return &was == &item || alike(was.File, was.FaceIndex, was.Name, was.Family, was.Installed, was.Size);
}

void TFontListBox::LetGoOfItems()
{
    if (!m_rowsKnown) {
        Clear();
        return;
    }
    UnloadPreviews();
    m_lastPreviewRow = -1;
    m_looks.clear();
    m_looks.reserve(m_rows.size());
    for (TToShowItem*& row : m_rows) {
        m_looks.push_back(row ? LookOf(*row) : RowLook{});
        row = nullptr;
    }
    m_lettingGo = true;
}

void TFontListBox::Update(const std::vector<TToShowItem*>& rows, int topRow)
{
    // The plan first, from the rows as they are and as they will be: each step keeps a row,
    // takes one out or puts one in, in the order of both.
    enum class Step : std::uint8_t { Keep, Out, In };
    std::vector<Step> plan;
    std::size_t changes = 0;
    // Rows measured with other display options have other heights: all are measured again.
    bool refill = !m_rowsKnown || m_measuredOptions != m_fontOptions || m_measuredSample != m_sampleText;
    if (!refill) {
        const std::size_t oldCount = m_rows.size();
        // A row let go of is found by its file's face alone: its item may be gone.
        auto oldKey = [&](std::size_t i) {
            if (!m_lettingGo) return KeyOf(m_rows[i]);
            const RowLook& look = m_looks[i];
            return look.file ? RowKey{look.file.get(), look.face} : RowKey{&look, -1};
        };
        RowIndex oldIndex, newIndex;
        oldIndex.reserve(oldCount);
        newIndex.reserve(rows.size());
        for (std::size_t i = 0; i < oldCount; ++i) oldIndex.emplace(oldKey(i), i);
        for (std::size_t j = 0; j < rows.size(); ++j) newIndex.emplace(KeyOf(rows[j]), j);
        // Whether old row i looks like a new row at `from` or after, and new row j like an old one.
        auto oldLater = [&](std::size_t i, std::size_t from) {
            auto it = newIndex.find(oldKey(i));
            return it != newIndex.end() && it->second >= from && LooksLike(i, *rows[it->second]);
        };
        auto newLater = [&](std::size_t j, std::size_t from) {
            auto it = oldIndex.find(KeyOf(rows[j]));
            return it != oldIndex.end() && it->second >= from && LooksLike(it->second, *rows[j]);
        };
        plan.reserve(std::max(oldCount, rows.size()) + 16);
        std::size_t i = 0, j = 0;
        while (i < oldCount || j < rows.size()) {
            if (i < oldCount && j < rows.size() && LooksLike(i, *rows[j])) {
                plan.push_back(Step::Keep);
                ++i, ++j;
            } else if (i < oldCount && !oldLater(i, j)) {
                plan.push_back(Step::Out);
                ++i, ++changes;
            } else if (j < rows.size() && !newLater(j, i)) {
                plan.push_back(Step::In);
                ++j, ++changes;
            } else {
                refill = true; // rows in another order
                break;
            }
        }
        // Many rows in or out cost about as much as a fill.
        refill = refill || changes > rows.size() / 2 + 16;
    }
    // Rows let go of keep showing nothing until each has its new item: until then, their list
    // box data still points at what is gone.
    UnloadPreviews();
    m_lastPreviewRow = -1;
    if (refill) {
        ScopedNoRedraw noRedraw(m_list);
        Clear();
        Fill(rows, topRow);
        return;
    }

    ScopedNoRedraw noRedraw(m_list);
    WindowDc dc(m_list);
    StartAdding(rows, dc.Get());
    std::size_t j = 0; // the row in the list and in `rows` alike
    for (const Step step : plan) {
        switch (step) {
        case Step::Keep:
            if (m_rows[j] != rows[j]) {
                SendMessageA(m_list, LB_SETITEMDATA, j, reinterpret_cast<LPARAM>(rows[j]));
                m_rows[j] = rows[j];
            }
            ++j;
            break;
        case Step::Out:
            SendMessageA(m_list, LB_DELETESTRING, j, 0);
            m_rows.erase(m_rows.begin() + static_cast<std::ptrdiff_t>(j));
            break;
        case Step::In:
            InsertRow(rows, j);
            ++j;
            break;
        }
    }
    EndAdding();
    m_looks.clear();
    m_looks.shrink_to_fit();
    m_lettingGo = false;
    SendMessageA(m_list, LB_SETSEL, FALSE, -1);
    SendMessageA(m_list, LB_SETCARETINDEX, 0, FALSE);
    if (topRow >= 0 && topRow < static_cast<int>(rows.size())) SendMessageA(m_list, LB_SETTOPINDEX, topRow, 0);
}

void TFontListBox::Measure(MEASUREITEMSTRUCT& mis)
{
    if (!m_rowsBeingAdded || mis.itemID >= m_rowsBeingAdded->size()) return;
    TToShowItem& item = *(*m_rowsBeingAdded)[mis.itemID];
    // A folder font is measured in itself: its file is loaded just for the measure.
    if (m_available && NeedsPreview(item)) LoadPreview(item);
    // An installed face the system reported keeps the height of its font with its file: filled
    // again, the list does not create it again.
    int* known = nullptr;
    if (!m_available && item.Family != "*" && item.File && item.FaceIndex >= 0 &&
        item.FaceIndex < static_cast<int>(item.File->Faces.size()))
        known = &item.File->Faces[static_cast<std::size_t>(item.FaceIndex)].rowFontHeight;
    const bool measured = known && *known <= 0;
    mis.itemHeight = static_cast<UINT>(
        std::clamp(MeasureFontRow(m_measureDc, item.Name, m_fontOptions, m_sampleText, m_systemLine, known), 1, 255));
    if (measured && *known > 0) ++m_fontsMeasured;
    if (!m_available || !item.PreviewLoaded) return;
    if (item.File && item.File->Faces.size() > 1)
        m_heldForFill.push_back(&item); // its file's other faces come later in the fill
    else
        UnloadPreview(item);
}

void TFontListBox::Draw(const DRAWITEMSTRUCT& dis)
{
    if (dis.itemID == static_cast<UINT>(-1)) return;
    const int row = static_cast<int>(dis.itemID);
    // A row whose item is being built again shows nothing until it has its new one.
    TToShowItem* shown = Item(row);
    if (!shown) return;
    TToShowItem& item = *shown;
    if (NeedsPreview(item)) {
        LoadPreview(item);
        m_lastPreviewRow = row;
    }
    DrawFontRow(dis.hDC, dis.rcItem, item, item.Name, dis.itemState & ODS_SELECTED, m_available, m_fontOptions,
                m_sampleText);
    // The row loaded last keeps its resource until the next unload of all previews.
    if (item.Size != 0 && item.PreviewLoaded && m_lastPreviewRow != row) UnloadPreview(item);
    if (dis.itemState & ODS_FOCUS) DrawFocusRect(dis.hDC, &dis.rcItem);
}

bool TFontListBox::KeyDown(UINT key)
{
    const int count = Count();
    const bool oneSelected = SelectedCount() == 1;
    if (key == VK_DOWN && oneSelected && count > 0 && Selected(count - 1)) return true;
    if (key == VK_UP && oneSelected && count > 0 && Selected(0)) return true;
    if (key == VK_END && count > 0) SendMessageA(m_list, LB_SETTOPINDEX, count - 1, 0);
    return false;
}

bool TFontListBox::TypeToFind(char ch, DWORD now)
{
    if (m_typed.empty() || now - m_typedAt > kTypingPauseMs) m_typed.clear();
    m_typedAt = now;
    if (ch == '\b') {
        if (!m_typed.empty()) m_typed.pop_back();
    } else if (static_cast<unsigned char>(ch) >= 0x20) {
        m_typed += ch;
    }
    if (m_typed.empty()) return false;
    const int length = static_cast<int>(m_typed.size());
    const int rows = Count();
    for (int row = 0; row < rows; ++row) {
        const std::string text = Text(row);
        if (static_cast<int>(text.size()) < length) continue;
        if (CompareStringA(LOCALE_USER_DEFAULT, NORM_IGNORECASE | NORM_IGNORENONSPACE, text.c_str(), length,
                           m_typed.c_str(), length) != CSTR_EQUAL)
            continue;
        {
            ScopedNoRedraw noRedraw(m_list);
            SendMessageA(m_list, LB_SETSEL, FALSE, -1);
            SendMessageA(m_list, LB_SETSEL, TRUE, row);
            SendMessageA(m_list, LB_SETANCHORINDEX, row, 0);
        }
        SendMessageA(m_list, LB_SETCARETINDEX, row, FALSE); // FALSE: scrolled until fully visible
        return true;
    }
    return false;
}

bool TFontListBox::SelectAtRightClick(int x, int y)
{
    const LRESULT hit = SendMessageA(m_list, LB_ITEMFROMPOINT, 0, MAKELPARAM(x, y));
    const int row = LOWORD(hit);
    if (HIWORD(hit) != 0 || row >= Count()) return false; // below the last row: nothing changes
    if (SelectedCount() == 1) {
        ScopedNoRedraw noRedraw(m_list);
        SendMessageA(m_list, LB_SETSEL, FALSE, -1);
    }
    if (!Selected(row)) SendMessageA(m_list, LB_SETSEL, TRUE, row);
    return true;
}

} // namespace typa
