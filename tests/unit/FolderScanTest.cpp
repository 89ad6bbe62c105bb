// Scanning folders of real files under Wine: counting by attributes, damaged files, duplicate
// names, drives that are not there, and the Windows fonts folder's file list.
#include "app/ErrorBox.h"
#include "fonts/FolderScan.h"
#include "platform/Files.h"
#include "support/TrueTypeWriter.h"
#include "ui/DlgProgress.h"
#include "ui/RunDialogs.h"
#include <doctest/doctest.h>

#include <commctrl.h>

#include <chrono>
#include <functional>
#include <string>
#include <vector>

using namespace typa;

namespace {

// The scan's progress and questions in the program's own dialogs, as the main window gives them.
typa::TRunDialogs dialogs(nullptr);


struct TempFolder {
    std::string path;
    explicit TempFolder(const char* name)
    {
        char tmp[MAX_PATH];
        GetTempPathA(MAX_PATH, tmp);
        path = std::string(tmp) + name;
        Remove();
        CreateDirectoryA(path.c_str(), nullptr);
    }
    ~TempFolder() { Remove(); }
    void Remove()
    {
        WIN32_FIND_DATAA fd;
        HANDLE h = FindFirstFileA((path + "\\*").c_str(), &fd);
        if (h != INVALID_HANDLE_VALUE) {
            do {
                std::string p = path + "\\" + fd.cFileName;
                SetFileAttributesA(p.c_str(), FILE_ATTRIBUTE_NORMAL);
                if (fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
                    if (fd.cFileName[0] != '.') RemoveDirectoryA(p.c_str());
                } else {
                    DeleteFileA(p.c_str());
                }
            } while (FindNextFileA(h, &fd));
            FindClose(h);
        }
        RemoveDirectoryA(path.c_str());
    }
    void Write(const std::string& name, const test::Bytes& bytes, DWORD attributes = 0) const
    {
        std::string p = path + "\\" + name;
        HANDLE f = CreateFileA(p.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
        DWORD written;
        WriteFile(f, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
        CloseHandle(f);
        if (attributes) SetFileAttributesA(p.c_str(), attributes);
    }
};

test::Bytes Font(const char16_t* family, const char16_t* full)
{
    return test::SimpleFont(family, u"Regular", full);
}

class FakeRoot : public FolderRoot {
public:
    std::string path, caption;
    bool read = true;
    std::string Path() const override { return path; }
    void SetCaption(const std::string& c) override { caption = c; }
    void SetFolderRead(bool r) override { read = r; }
};

} // namespace

TEST_CASE("Counting *.TTF entries leaves out folders, system and temporary files")
{
    TempFolder dir("typa-count");
    dir.Write("A.TTF", Font(u"A", u"A"));
    dir.Write("B.ttf", Font(u"B", u"B"), FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_READONLY);
    dir.Write("C.TTF", Font(u"C", u"C"), FILE_ATTRIBUTE_SYSTEM);
    dir.Write("D.TXT", Font(u"D", u"D"));
    CreateDirectoryA((dir.path + "\\x.ttf").c_str(), nullptr);
    CHECK(CountFolderFiles(dir.path, "*.TTF", kCountedAttributes) == 2);
    CHECK(CountFolderFiles(dir.path + "\\", "*.TTF", kCountedAttributes) == 2);
    CHECK(CountFolderFiles(dir.path, "*.*", 0xFFFFFFFF) >= 5);
    CHECK(CountFolderFiles(dir.path + "\\absent", "*.TTF", kCountedAttributes) == 0);
}

TEST_CASE("A scan lists every usable font, reports damaged ones twice and refuses equal names")
{
    TempFolder dir("typa-scan");
    dir.Write("GOOD1.TTF", Font(u"Alpha", u"Alpha Regular"));
    dir.Write("Good2.ttf", Font(u"Beta", u"Beta Regular"));
    dir.Write("TWIN.TTF", Font(u"Alpha", u"ALPHA REGULAR")); // differs only in case
    dir.Write("EMPTY.TTF", {});
    CreateDirectoryA((dir.path + "\\dossier.ttf").c_str(), nullptr);

    FontCatalogue catalogue(FontCatalogue::Order::SortedUnique);
    ScriptedBoxes boxes; // every box answers as Escape would, here: "&Oui" is never pressed...
    for (int i = 0; i < 10; ++i) boxes.Answer(MsgResult::Yes);
    auto t0 = std::chrono::steady_clock::now();
    CHECK(ScanFontFolder(dir.path, catalogue, dialogs));
    auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - t0).count();
    CHECK(ms >= 1900); // the progress stays up two seconds at least

    REQUIRE(catalogue.Count() == 2);
    CHECK(catalogue.Name(1) == "Beta Regular");
    const TToShowItem& beta = *catalogue.Item(1);
    CHECK(beta.FileName == "Good2.ttf");
    CHECK(beta.Path == [&] {
        std::string p = dir.path + "\\good2.ttf";
        CharLowerBuffA(p.data(), static_cast<DWORD>(p.size()));
        return p;
    }());
    CHECK(beta.Family == "Beta");
    CHECK(beta.Size > 0);
    CHECK(std::string(beta.LogFont.lfFaceName) == "Beta");
    CHECK_FALSE(beta.Installed);

    int damaged = 0, duplicates = 0, readerBoxes = 0;
    for (const RecordedBox& b : boxes.Boxes()) {
        if (b.text.find("Le format du fichier empty.ttf ") == 0 || b.text.find("Le format du fichier dossier.ttf ") == 0) {
            ++damaged;
            CHECK(b.buttons == (MsgButton::Yes | MsgButton::No));
        }
        if (b.text.find(dir.path) != std::string::npos) ++readerBoxes; // the reader names the full path
        if (b.text.find("La police '") == 0) {
            ++duplicates;
            CHECK(b.buttons == MsgButton::OK);
            CHECK((b.text.find("'Alpha Regular, fichier : Twin.ttf'") != std::string::npos ||
                   b.text.find("'ALPHA REGULAR, fichier : Twin.ttf'") != std::string::npos ||
                   b.text.find("'Alpha Regular, fichier : Good1.ttf'") != std::string::npos));
        }
    }
    CHECK(damaged == 2);    // the empty file, and the folder the reader cannot open
    CHECK(readerBoxes == 1); // only the empty file gets the reader's own message first
    CHECK(duplicates == 1);
}

namespace {

// What the scan's progress dialog is told to show, seen from a hook on this thread's sent messages.
struct ProgressWatch {
    std::vector<std::string> texts; // the label's texts, in order
    std::vector<int> positions;     // the bar's positions, in order
    std::function<void(const std::string&, HWND label)> onText;
    HHOOK hook;

    static ProgressWatch*& Current()
    {
        static ProgressWatch* current = nullptr;
        return current;
    }
    static LRESULT CALLBACK Proc(int code, WPARAM wp, LPARAM lp)
    {
        const auto& m = *reinterpret_cast<const CWPSTRUCT*>(lp);
        ProgressWatch* w = Current();
        if (code == HC_ACTION && w) {
            if (m.message == WM_SETTEXT && GetDlgCtrlID(m.hwnd) == TDlgProgress::kIdLabel) {
                w->texts.emplace_back(reinterpret_cast<const char*>(m.lParam));
                if (w->onText) w->onText(w->texts.back(), m.hwnd);
            }
            if (m.message == PBM_SETPOS) w->positions.push_back(static_cast<int>(m.wParam));
        }
        return CallNextHookEx(nullptr, code, wp, lp);
    }
    ProgressWatch() : hook(SetWindowsHookExA(WH_CALLWNDPROC, Proc, nullptr, GetCurrentThreadId())) { Current() = this; }
    ~ProgressWatch()
    {
        Current() = nullptr;
        UnhookWindowsHookEx(hook);
    }
};

} // namespace

TEST_CASE("A quick scan shows few steps but ends on its last file and a full bar, and Cancel still stops it")
{
    TempFolder dir("typa-quick");
    const int files = 40;
    for (int i = 0; i < files; ++i)
        dir.Write("Q" + std::to_string(i) + ".TTF", Font(u"Quick", (u"Quick " + std::u16string(1, u'A' + i / 26) +
                                                                    std::u16string(1, u'a' + i % 26)).c_str()));
    FontCatalogue catalogue(FontCatalogue::Order::SortedUnique);
    ScriptedBoxes none;

    SUBCASE("to the end")
    {
        ProgressWatch watch;
        REQUIRE(watch.hook);
        auto t0 = std::chrono::steady_clock::now();
        DWORD held = 0;
        CHECK(ScanFontFolder(dir.path, catalogue, dialogs, &held));
        const auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - t0).count();
        CHECK(ms >= 1900); // the minimum display holds
        CHECK(held > 0);
        CHECK(catalogue.Count() == files);
        REQUIRE(watch.texts.size() >= 2);
        CHECK(watch.texts.front() == "Lecture des fichiers de polices...");
        // The last file the system enumerated, and the bar full, are what stays up for the wait.
        std::string last;
        files::ForEachEntry(dir.path + "\\*.TTF", [&](const files::Entry& e) { last = e.name; return true; });
        CharLowerBuffA(last.data(), static_cast<DWORD>(last.size()));
        CHECK(watch.texts.back() == "Lecture du fichier de police " + last + "...");
        REQUIRE_FALSE(watch.positions.empty());
        CHECK(watch.positions.back() == 100);
        CHECK(watch.texts.size() < static_cast<std::size_t>(files)); // not one text per file
    }
    SUBCASE("Cancel clicked while a file is shown: the scan stops at the file after it")
    {
        ProgressWatch watch;
        REQUIRE(watch.hook);
        int fileTexts = 0;
        watch.onText = [&](const std::string& text, HWND label) {
            if (text.find("Lecture du fichier") != 0) return;
            if (++fileTexts == 1) {
                Sleep(kQuickStepMs + 20); // a slow first file: the second one is shown at once
            } else if (fileTexts == 2) {
                // Taken by the messages this very step lets run.
                PostMessageA(GetDlgItem(GetParent(label), TDlgProgress::kIdCancel), BM_CLICK, 0, 0);
            }
        };
        auto t0 = std::chrono::steady_clock::now();
        CHECK_FALSE(ScanFontFolder(dir.path, catalogue, dialogs));
        CHECK(fileTexts == 2);
        CHECK(catalogue.Count() == 1); // the first file only: the second was never read
        CHECK(none.Boxes().empty());
        CHECK(std::chrono::steady_clock::now() - t0 < std::chrono::milliseconds(1500)); // no wait after a cancel
    }
}

TEST_CASE("Non stops the scan; an empty folder shows nothing at all")
{
    TempFolder dir("typa-stop");
    dir.Write("BAD.TTF", test::Bytes{0, 1, 0});
    FontCatalogue catalogue(FontCatalogue::Order::SortedUnique);
    {
        ScriptedBoxes boxes{MsgResult::No};
        CHECK_FALSE(ScanFontFolder(dir.path, catalogue, dialogs));
        CHECK(boxes.Boxes().size() == 1); // the reader's question; its "&Non" ends everything
    }
    TempFolder empty("typa-empty");
    ScriptedBoxes none;
    auto t0 = std::chrono::steady_clock::now();
    CHECK_FALSE(ScanFontFolder(empty.path, catalogue, dialogs));
    CHECK(none.Boxes().empty());
    CHECK(std::chrono::steady_clock::now() - t0 < std::chrono::milliseconds(1500)); // no dialog, no wait
}

TEST_CASE("Drives that are not there")
{
    CHECK(IsDriveReady("\\\\serveur\\partage\\"));
    CHECK(IsDriveReady("C:\\windows\\"));
    // A letter Wine maps to nothing is a drive whose type the system cannot tell: message 3015.
    char letter = 0;
    for (char c = 'Q'; c >= 'J'; --c)
        if (GetDriveTypeA((std::string(1, c) + ":\\").c_str()) == DRIVE_NO_ROOT_DIR) {
            letter = c;
            break;
        }
    REQUIRE(letter);
    const std::string folder = std::string(1, letter) + ":\\Polices\\";
    CHECK_FALSE(IsDriveReady(folder));

    FakeRoot root;
    root.path = folder;
    FontCatalogue catalogue(FontCatalogue::Order::SortedUnique);
    ScriptedBoxes boxes{MsgResult::OK};
    CHECK(ReadFolderFonts(folder, root, catalogue, dialogs) == 0);
    CHECK_FALSE(root.read);
    std::string lower = folder;
    CharLowerBuffA(lower.data(), static_cast<DWORD>(lower.size()));
    CHECK(root.caption == "Polices dans " + lower);
    REQUIRE(boxes.Boxes().size() == 1);
    CHECK(boxes.Boxes()[0].text.find("Le dossier " + folder + " n'est pas disponible. Assurez-vous que le lecteur défini") == 0);
}

TEST_CASE("The Windows fonts folder lists its non-empty files as the lists name them")
{
    TempFolder dir("typa-winfonts");
    dir.Write("ARIAL.TTF", test::Bytes(10, 1));
    dir.Write("cour.fot", test::Bytes(3, 1));
    dir.Write("ZERO.TTF", {});
    CreateDirectoryA((dir.path + "\\SUB").c_str(), nullptr);
    NameList list(true);
    ReadFontsFolderFiles(dir.path, list);
    REQUIRE(list.Count() == 2);
    CHECK(list[0] == "Arial.ttf");
    CHECK(list[1] == "Cour.fot");
}
