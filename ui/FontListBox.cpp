#include "ui/FontListBox.h"

#include "platform/Handles.h"
#include "ui/FontList.h"

#include <algorithm>

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

void TFontListBox::Remove(int row) { SendMessageA(m_list, LB_DELETESTRING, row, 0); }

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
}

void TFontListBox::Fill(const std::vector<TToShowItem*>& rows, int topRow)
{
    ScopedNoRedraw noRedraw(m_list);
    // Rows go in at their index, already in order, so the measure of each new row knows its item.
    // One DC serves every row's measure, and the system-font lines are the same in each.
    WindowDc dc(m_list);
    m_measureDc = dc.Get();
    m_systemLine = SystemLineHeight(dc.Get());
    m_rowsBeingAdded = &rows;
    m_fontsMeasured = 0;
    for (std::size_t i = 0; i < rows.size(); ++i) {
        auto row = static_cast<int>(
            SendMessageA(m_list, LB_INSERTSTRING, i, reinterpret_cast<LPARAM>(rows[i]->Name.c_str())));
        if (row >= 0) SendMessageA(m_list, LB_SETITEMDATA, row, reinterpret_cast<LPARAM>(rows[i]));
    }
    m_rowsBeingAdded = nullptr;
    m_measureDc = nullptr;
    // The faces of a collection were measured with their file loaded once for all of them.
    for (TToShowItem* item : m_heldForFill) UnloadPreview(*item);
    m_heldForFill.clear();
    if (topRow > 0 && topRow < static_cast<int>(rows.size())) SendMessageA(m_list, LB_SETTOPINDEX, topRow, 0);
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
    if (dis.itemID == static_cast<UINT>(-1) || !dis.itemData) return;
    TToShowItem& item = *reinterpret_cast<TToShowItem*>(dis.itemData);
    const int row = static_cast<int>(dis.itemID);
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
