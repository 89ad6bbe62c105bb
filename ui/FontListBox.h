#pragma once
// One of the main window's two owner-drawn font lists: the list box, the order of its rows and
// the item each row shows, how rows are measured and drawn, and which folder fonts hold their
// file as a font resource. The items belong to a catalogue; a list only points at them, and is
// emptied before its catalogue is.
//
// A folder font is loaded for the measure of its row and given back at once (a collection's file
// at the end of the fill, once every face is measured); it is loaded again
// when its row is drawn and kept only while it is the row drawn last, until the next unload of
// all previews (a fill, an installation, a removal, the end of the run).
#include "fonts/FontRows.h"

#include <windows.h>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace typa {

class TFontListBox final : public FontRows {
public:
    // `fontOptions` and `sampleText` are the main window's settings, read at every measure and draw.
    TFontListBox(bool availableSide, const std::uint8_t& fontOptions, const std::string& sampleText)
        : m_available(availableSide), m_fontOptions(fontOptions), m_sampleText(sampleText)
    {
    }
    TFontListBox(const TFontListBox&) = delete;
    TFontListBox& operator=(const TFontListBox&) = delete;

    // The list box, once the main window has created it; its keys and right clicks come here.
    void Attach(HWND list);
    HWND Handle() const noexcept { return m_list; }
    bool IsAvailableSide() const noexcept { return m_available; }

    // FontRows
    int Count() const override;
    bool Selected(int row) const override;
    int SelectedCount() const override;
    TToShowItem* Item(int row) const override;
    std::string Text(int row) const override;
    void Remove(int row) override;
    void ClearCurrent() override;

    std::vector<TToShowItem*> SelectedItems() const;
    // The current row (the one with the focus rectangle), or -1.
    int Caret() const;
    // Every row selected (an empty list counts as all selected).
    bool AllSelected() const { return SelectedCount() >= Count(); }
    // Every row to `state`, last to first, without redrawing meanwhile; row 0 becomes the current
    // one when there is a row.
    void SetAllSelected(bool state);
    int TopRow() const;

    // Empties the list (the previews of its rows given back first).
    void Clear();
    // Puts `rows` in, in this order, with `topRow` at the top when it is a row of theirs. The list
    // does not redraw meanwhile.
    void Fill(const std::vector<TToShowItem*>& rows, int topRow);
    // The items of the rows are about to go (their catalogue is built again): each row keeps
    // what it showed, for Update to compare with the new items, and shows nothing meanwhile.
    void LetGoOfItems();
    // Brings the list to `rows` (in this order) with as few changes as it takes: a row showing
    // the same face as before stays where it is, with its height, and only points at its new
    // item; the other rows go out or come in, measured. Rows that changed their order, or many
    // changes, fill the list again. No row is selected afterwards, as after a fill; `topRow`
    // as for Fill. The list's items must still live, unless it let go of them.
    void Update(const std::vector<TToShowItem*>& rows, int topRow);
    // Gives back every preview resource that the rows hold.
    void UnloadPreviews();

    // The installed faces whose font height the last Fill measured and kept with their file.
    int FontsMeasured() const noexcept { return m_fontsMeasured; }

    // WM_MEASUREITEM and WM_DRAWITEM of this list, forwarded by its parent.
    void Measure(MEASUREITEMSTRUCT& mis);
    void Draw(const DRAWITEMSTRUCT& dis);

    // What the list does before the list box with a key: true when the key is swallowed. The
    // single selected row at an end of the list stays where it is; End shows the last row.
    bool KeyDown(UINT key);
    // After a right click at (x, y): the row under the pointer joins the selection (a single
    // selected row gives way to it); false when the click was below the last row.
    bool SelectAtRightClick(int x, int y);

    // Finding a row by typing its name: what was typed within the last second (`now`, in
    // milliseconds) leads, case and accents ignored as the locale compares names; a pause starts
    // anew and Backspace takes the last character back. The first row that starts with it is
    // selected alone, as a click selects it, and scrolled into view. True when a row was chosen.
    static constexpr DWORD kTypingPauseMs = 1000;
    bool TypeToFind(char ch, DWORD now);
    const std::string& TypedSoFar() const noexcept { return m_typed; }

private:
    // The measure of rows of `rows` going in, in `dc`; then the collections it held loaded.
    void StartAdding(const std::vector<TToShowItem*>& rows, HDC dc);
    void EndAdding();
    // rows[index] in at row `index`.
    void InsertRow(const std::vector<TToShowItem*>& rows, std::size_t index);

    // What a row showed, kept when its item goes: the face of its file and how it was drawn.
    struct RowLook {
        std::shared_ptr<TFontFile> file;
        int face = 0;
        std::string name, family;
        bool installed = false;
        std::int32_t size = 0;
    };
    static RowLook LookOf(const TToShowItem& item);
    // Whether row `row` (its item, or what it showed once let go of) looks like `item`.
    bool LooksLike(std::size_t row, const TToShowItem& item) const;

    HWND m_list = nullptr;
    std::vector<RowLook> m_looks;                               // the rows, once let go of
    bool m_lettingGo = false;
    std::vector<TToShowItem*> m_rows;                           // the item of each row, in order
    bool m_rowsKnown = true;                                    // ... false once a row failed to go in
    bool m_available;
    const std::uint8_t& m_fontOptions;
    const std::string& m_sampleText;
    const std::vector<TToShowItem*>* m_rowsBeingAdded = nullptr; // for the measure of new rows
    HDC m_measureDc = nullptr;                                  // ... in the list's DC of the fill
    int m_systemLine = 0;                                       // ... and its system-font lines
    std::vector<TToShowItem*> m_heldForFill;                    // ... and its collections, loaded once
    int m_fontsMeasured = 0;                                    // ... and the heights it learnt
    std::uint8_t m_measuredOptions = 0;                         // the options the rows were measured with
    std::string m_measuredSample;                               // ... and the sample text
    int m_lastPreviewRow = -1;                                  // the drawn row that keeps its file
    std::string m_typed;                                        // find by typing: what was typed
    DWORD m_typedAt = 0;                                        // ... and when it was last added to
};

// A window that does not redraw for one scope, and is painted again at its end.
class ScopedNoRedraw {
public:
    explicit ScopedNoRedraw(HWND wnd) : m_wnd(wnd) { SendMessageA(wnd, WM_SETREDRAW, FALSE, 0); }
    ~ScopedNoRedraw()
    {
        SendMessageA(m_wnd, WM_SETREDRAW, TRUE, 0);
        InvalidateRect(m_wnd, nullptr, TRUE);
    }
    ScopedNoRedraw(const ScopedNoRedraw&) = delete;
    ScopedNoRedraw& operator=(const ScopedNoRedraw&) = delete;

private:
    HWND m_wnd;
};

} // namespace typa
