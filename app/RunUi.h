#pragma once
// What the long runs (the folder scan, installing, removing) need of the user interface, so that
// they know no window of their own: a progress display with Cancel, and the questions they ask
// in dialogs of their own. Error boxes they show themselves (app/ErrorBox.h). The main window
// gives each run the real dialogs (ui/RunDialogs.h); tests may give them the same.
#include <windows.h>

#include <memory>
#include <string>

namespace typa {

// One run's progress display, from Open to its destruction (which closes it).
class RunProgress {
public:
    virtual ~RunProgress() = default;
    // Shows the display with `text` and the bar at 0; other windows take no input meanwhile.
    virtual void Open(const std::string& text) = 0;
    // The bar at `position` (0 to 100) and the text; lets waiting input run, so that Cancel can be
    // pressed.
    virtual void Step(int position, const std::string& text) = 0;
    // Step for items that come faster than anyone reads: shown, and input let through, only now
    // and then; the latest step waits for ShowKept.
    virtual void QuickStep(int position, const std::string& text) = 0;
    // Shows the quick step held back, if any.
    virtual void ShowKept() = 0;
    // Waits `ms` with nothing of the program's own running, answering what other programs send.
    virtual void Hold(DWORD ms) = 0;
    // True when the user pressed Cancel since the last call (or the session ends).
    virtual bool Cancelled() = 0;
};

// The questions of the runs, each in its own dialog.
class RunUi {
public:
    virtual ~RunUi() = default;
    virtual std::unique_ptr<RunProgress> NewProgress() = 0;

    // "Insérer le support de données" for a drive without its medium: true when the user put it
    // in and wants the folder read again.
    virtual bool AskForMedium(const std::string& text) = 0;
    // The warning before an installation takes the system past 750 fonts: true to go on.
    virtual bool ConfirmManyFonts(const std::string& caption, const std::string& text) = 0;

    // The confirmations of one removal command, asked in one dialog: true for Yes.
    enum class Removal { RemoveFonts, DeleteGroup, StandardFonts };
    virtual bool ConfirmRemoval(Removal what, int count = 0, int count2 = 0, const std::string& group = {}) = 0;
};

} // namespace typa
