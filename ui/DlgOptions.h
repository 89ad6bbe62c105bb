#pragma once
// The options dialog: the sample text, the status bar and its fields, the lines of each font row.
// Made when "&Options..." is chosen, shown modally over the main window, gone when it closes. Its
// OK stores the choices in the main window's settings and in the registry, shows or hides the
// status bar, and has both font lists rebuilt.
#include <windows.h>

#include <functional>
#include <string>

#include "app/Settings.h"
#include "ui/Dialog.h"

namespace typa {

// What the dialog works on: the main window's settings, its "&Barre d'état" command and the
// window itself, which is told of the change as of a system font change.
struct OptionsTarget {
    std::string& SampleText;
    settings::OptionSet& StatusOptions;
    settings::OptionSet& FontOptions;
    std::function<bool()> StatusBarChecked; // the check mark of "&Barre d'état"
    std::function<void()> ToggleStatusBar;  // the "&Barre d'état" command
    HWND mainWindow = nullptr;
};

// The text of the sample field as OK stores it: its first line feed removed, then its first
// carriage return. A field of one line keeps that line; a pasted text of several lines loses only
// its first line break.
std::string SampleTextFromField(std::string text);

class TdlgOptions : public TDialog {
public:
    // Control ids, by group.
    enum : int {
        GroupBox1 = 100,
        memSample,
        pbStandard,
        GroupBox2,
        cbStatusBar,
        cbNoFonts,       // StatusOptions bit 0
        cbNoMarkedFonts, // bit 1
        cbSize,          // bit 2
        cbFree,          // bit 3
        pbAll,
        pbNone,
        GroupBox3,
        cbFontname,       // FontOptions bit 0
        cbFontnameSystem, // bit 1
        cbFilename,       // bit 2
        cbChars,          // bit 3
        cbSample,         // bit 4
        pbAllFont,
        pbNoneFont,
        pbOK = IDOK,
        pbCancel = IDCANCEL,
        pbHelp = IDHELP,
    };
    static constexpr DWORD kHelpContext = 1010;
    static constexpr int kSampleLimit = 100;

    explicit TdlgOptions(OptionsTarget target) : TDialog(kHelpContext), m_target(std::move(target)) {}
    TdlgOptions(const TdlgOptions&) = delete;
    TdlgOptions& operator=(const TdlgOptions&) = delete;

    // Shows the dialog over `owner` until OK, "Annuler", Escape or the close box. OK saves, in
    // this order: the sample text (only when the field was changed), StatusOptions, FontOptions,
    // the status bar's visibility, then WM_REFRESHLISTS to the main window. True after OK.
    bool Execute(HWND owner);

private:
    static LRESULT CALLBACK SampleFieldProc(HWND edit, UINT msg, WPARAM wp, LPARAM lp, UINT_PTR id,
                                            DWORD_PTR data) noexcept;
    bool OnInit() override; // FormCreate
    bool OnCommand(int id, int code) override;
    void OnOK() override; // pbOKClick

    void EnableStatusFields(bool on) const;
    void StatusFieldClick();
    void FontBoxClick(int id);
    void pbStandardClick();

    OptionsTarget m_target;

    // What OK read from the controls before the dialog went.
    bool m_sampleModified = false;
    std::string m_sampleField;
    settings::OptionSet m_statusOptions = 0;
    settings::OptionSet m_fontOptions = 0;
    bool m_statusBar = false;
};

} // namespace typa
