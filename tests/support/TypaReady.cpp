// TypaReady.exe [seconds]: waits until the TYPA.EXE running in this prefix has finished starting:
// its main window shown and taking input, both font lists filled, no dialog of the program on
// screen (the folder scan's progress dialog above all) and everything queued and painted.
// Exit code 0 then; 1 with one line saying what was still missing when the time is up.
// The screenshot script runs it so that a picture shows the finished window.
#include "support/Driver.h"
#include "res/Resource.h"

#include <cstdio>
#include <cstdlib>

using namespace typa::e2e;

namespace {

// What keeps the program from being ready, or empty when it is.
std::string NotReadyBecause(HWND& main)
{
    if (!main || !IsWindow(main)) main = FindWindowA("TfrmTYPA", nullptr);
    if (!main) return "no TYPA.EXE window";
    if (!IsVisible(main)) return "the main window is not shown";
    const DWORD pid = WindowPid(main);
    for (HWND w : TopLevelWindows(pid))
        if (w != main && IsVisible(w) && ClassName(w) == "#32770")
            return "a dialog is open (\"" + TitleOf(w) + "\")";
    if (!IsEnabled(main)) return "the main window does not take input";
    if (!Settle(main, 5000)) return "the program does not answer";
    if (ListCount(ChildById(main, lbAvailableFonts)) <= 0) return "the list of the font folder is empty";
    if (ListCount(ChildById(main, lbInstalledFonts)) <= 0) return "the list of installed fonts is empty";
    // Whatever the fill invalidated is painted before the picture is taken.
    ProbeRequest paint{};
    paint.kind = ProbeKind::GdiObjects;
    if (!Probe(main, paint, true, 5000)) return "the program does not finish painting";
    return {};
}

} // namespace

int main(int argc, char** argv)
{
    const DWORD timeoutMs = static_cast<DWORD>((argc > 1 ? std::atoi(argv[1]) : 300)) * 1000;
    HWND typa = nullptr;
    std::string why;
    auto check = [&] {
        try {
            why = NotReadyBecause(typa);
        } catch (const DriverError& e) {
            why = e.what();
        }
        return why.empty();
    };
    // Ready twice in a row, a moment apart: a scan lets messages through between its files.
    const bool ready = WaitUntil([&] { return check() && (Sleep(300), check()); }, timeoutMs, 200);
    if (ready) return 0;
    std::fprintf(stderr, "TypaReady: not ready after %lu s: %s\n", timeoutMs / 1000, why.c_str());
    return 1;
}
