#pragma once
// A font's own sheet: one window, reused for every font it is asked to show, beside the main
// window and owned by it. It shows what the list knows of the font, the sample text at nine
// sizes, the characters of the code page drawn in the font (those it lacks empty and greyed),
// and what the file says of itself. A folder font's file is loaded for as long as the sheet
// shows it. Escape or the close box closes it; Ctrl+C copies its text; F1 opens its help topic.
#include "platform/Handles.h"
#include "ui/FontSheetText.h"

#include <windows.h>
#include <string>

namespace typa {

class TFontSheet {
public:
    // The help topic of the sheet.
    static constexpr int kHelpContext = 1050;
    // Child controls, for whoever drives the sheet from outside.
    static constexpr int kIdHeader = 100;    // name, family, style, file, folder, size, installed
    static constexpr int kIdWaterfall = 101; // the sample at each size: one row per size, "8 pt" ...
    static constexpr int kIdCharacters = 102; // 16 columns by 14 rows, 0x20 to 0xFF
    static constexpr int kIdCounts = 103;
    static constexpr int kIdInfo = 104;      // what the file says of itself
    static constexpr int kSizes[9] = {8, 10, 12, 14, 18, 24, 36, 48, 72};

    TFontSheet() = default;
    TFontSheet(const TFontSheet&) = delete;
    TFontSheet& operator=(const TFontSheet&) = delete;
    ~TFontSheet() { Close(); }

    static bool RegisterClasses(HINSTANCE instance);

    // Shows `font` with `sampleText`, in the window already open or a new one centred over
    // `owner`. A file that has gone since the list was read gives message 3040 naming it, and
    // no sheet; false then.
    bool Show(HWND owner, const SheetFont& font, const std::string& sampleText);
    void Close();
    HWND Handle() const noexcept { return m_wnd; }
    // The sheet's own keys (Escape, Ctrl+C, F1, Tab between its parts); true when taken.
    bool PreTranslateMessage(MSG& msg);
    // Its text as Ctrl+C puts it on the clipboard.
    std::string Text() const;

private:
    static LRESULT CALLBACK WndProc(HWND wnd, UINT msg, WPARAM wp, LPARAM lp);
    static LRESULT CALLBACK CharMapProc(HWND wnd, UINT msg, WPARAM wp, LPARAM lp);
    LRESULT HandleMessage(UINT msg, WPARAM wp, LPARAM lp);
    void CreateChildren();
    void Fill();
    void LoadFile();
    void UnloadFile();
    void MakeFonts();
    void MeasureRow(MEASUREITEMSTRUCT& mis);
    void DrawRow(const DRAWITEMSTRUCT& dis);
    void PaintCharacters(HDC dc, const RECT& client) const;
    void CopyText() const;

    HWND m_wnd = nullptr;
    HWND m_header = nullptr, m_waterfall = nullptr, m_characters = nullptr, m_counts = nullptr, m_info = nullptr;
    SheetFont m_font;
    ttf::FontDetails m_details;
    SheetTexts m_texts;
    std::string m_sample;
    std::string m_loadedPath; // the folder font's file while the sheet holds it
    UniqueFont m_guiFont, m_cellFont, m_sizeFonts[9];
};

} // namespace typa
