#pragma once
// The about dialog: the logo, "Typarium pour Windows" and the version with the program file's
// date. Made once at start-up, hidden, and kept until the program ends; the about command shows
// it modally, or brings it forward when it is already up.
#include <windows.h>

#include <string>
#include <vector>

#include "platform/Handles.h"
#include "ui/Dialog.h"

namespace typa {

// Message 4010 filled with "3.0", followed by the date of `programFile` in the user's short date
// format when a directory search finds that file; without it the line ends after "- ".
std::string AboutVersionLine(const std::string& programFile);

class TdlgAbout : public TDialog {
public:
    static constexpr int kIdLogo = 100;
    static constexpr int kIdTitle = 101;   // Label1
    static constexpr int kIdVersion = 102; // lblVersion
    static constexpr int kIdBevel = 103;

    TdlgAbout() = default;
    ~TdlgAbout();
    TdlgAbout(const TdlgAbout&) = delete;
    TdlgAbout& operator=(const TdlgAbout&) = delete;

    // FormCreate: the dialog, hidden, centred on the screen, owned by `owner` (may be null), its
    // version line read from the running program's file. False when no window could be made.
    bool Create(HWND owner);
    // The about command: brings the dialog to the foreground when it is visible; otherwise shows
    // it modally (every other visible window of the thread disabled) until "OK", Escape, the
    // close command or Close.
    void Execute();
    bool IsVisible() const;
    // Hides the dialog and ends its modal showing at once: the windows it disabled take input
    // again before this returns (the tray's show command needs the main window usable).
    void Close();

    std::string VersionLine() const { return m_versionLine; }

private:
    bool OnInit() override; // FormCreate
    // "OK", Enter, Escape and the close command.
    void OnOK() override { Close(); }
    void OnCancel() override { Close(); }
    bool OnDrawItem(const DRAWITEMSTRUCT& dis) override; // the logo
    void DrawLogo(const DRAWITEMSTRUCT& dis) const;
    // Destroyed with its owner: a running modal loop must end.
    void OnDestroy() noexcept override { EnableAgain(); }
    void EnableAgain() noexcept;

    std::string m_versionLine;
    UniqueFont m_logoFont;
    UniqueIcon m_icon;
    int m_iconSize = 0;
    // The windows the modal showing disabled; empty when not modal.
    std::vector<HWND> m_disabled;
    bool m_modal = false;
};

} // namespace typa
