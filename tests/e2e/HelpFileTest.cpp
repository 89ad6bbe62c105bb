// The help files as the program calls them. TYPA.HLP: every help context the program passes to
// WinHelpA opens its own topic in the help viewer, without the viewer stopping to ask where the
// topic is; where the program uses WinHelp, F1 in the main window opens the contents, and the help
// goes away when the program ends. TYPA.CHM, read through Windows' own reader of compiled HTML
// Help: every one of those contexts names the page of the same topic.
#include "support/TypaSession.h"
#include "app/MenuInfo.h"
#include "res/Resource.h"
#include "ui/DlgOptions.h"
#include "ui/DlgWarning.h"
#include "ui/FontSheet.h"
#include <doctest/doctest.h>

#include <map>
#include <objbase.h>
#include <set>

using namespace typa;
using namespace typa::e2e;

// Windows' reader of compiled HTML Help files (itss.dll), the one HTML Help itself reads them with.
// Declared outside the unnamed namespace: a class the compiler sees no implementation of there
// would have its calls turned into nothing.
const CLSID kClsidITStorage = {0x5d02926a, 0x212e, 0x11d0, {0x9d, 0xf9, 0x00, 0xa0, 0xc9, 0x22, 0xe6, 0xec}};
const IID kIidITStorage = {0x88cc31de, 0x27ab, 0x11d0, {0x9d, 0xf9, 0x00, 0xa0, 0xc9, 0x22, 0xe6, 0xec}};
struct IITStorage : IUnknown {
    virtual HRESULT STDMETHODCALLTYPE StgCreateDocfile(const WCHAR*, DWORD, DWORD, IStorage**) = 0;
    virtual HRESULT STDMETHODCALLTYPE StgCreateDocfileOnILockBytes(ILockBytes*, DWORD, DWORD, IStorage**) = 0;
    virtual HRESULT STDMETHODCALLTYPE StgIsStorageFile(const WCHAR*) = 0;
    virtual HRESULT STDMETHODCALLTYPE StgIsStorageILockBytes(ILockBytes*) = 0;
    virtual HRESULT STDMETHODCALLTYPE StgOpenStorage(const WCHAR*, IStorage*, DWORD, SNB, DWORD, IStorage**) = 0;
};

namespace {

constexpr int kHelpTextId = 0x701; // the viewer's rich-edit page

// Help contexts of the dialogs: print, options, the warning, and of the font sheet.
const int kDialogContexts[] = {1000, static_cast<int>(TdlgOptions::kHelpContext),
                                static_cast<int>(TDlgWarning::kHelpContext), typa::TFontSheet::kHelpContext};

// Title of the topic each context must open.
const std::map<int, std::string> kTopicTitles = {
    {1, "Le menu Police"},
    {10, "Supprimer"},
    {11, "Installer vers"},
    {12, "Déplacer vers"},
    {13, "Sélectionner tout"},
    {15, "Groupe"},
    {150, "Nouveau groupe"},
    {151, "Supprimer le groupe"},
    {152, "Renommer le groupe"},
    {16, "Imprimer"},
    {17, "Quitter"},
    {2, "Le menu Affichage"},
    {21, "Barre d'état"},
    {22, "Mettre à jour"},
    {23, "Options"},
    {9, "Le menu ?"},
    {90, "Rubriques d'aide"},
    {91, "A propos de"},
    {1000, "Imprimer les polices"},
    {1010, "Options"},
    {1030, "Avertissement"},
    {1050, "La fiche d'une police"},
};

// Every context number the program passes to WinHelpA.
std::set<int> ProgramContexts()
{
    std::set<int> numbers;
    for (int id = 1; id < 0x10000; ++id)
        if (int c = MainMenuCommandInfo(id).helpContext) numbers.insert(c);
    for (int top = 0; top < 16; ++top)
        for (int sub = -1; sub < 32; ++sub)
            if (int c = MainMenuPopupInfo(top, sub).helpContext) numbers.insert(c);
    for (int c : kDialogContexts) numbers.insert(c);
    return numbers;
}

HWND HelpWindow() { return FindWindowA("MS_WINHELP", nullptr); }

// The topic shown: its first line is the topic's title ("2.1 : Installer vers").
std::string ShownTitle(HWND help)
{
    std::string text = Text(GetDlgItem(help, kHelpTextId));
    std::string first = text.substr(0, text.find_first_of("\r\n"));
    size_t colon = first.find(" : ");
    return colon == std::string::npos ? first : first.substr(colon + 3);
}

// Any window of the help viewer's process besides its main window: a question, an error box,
// a file dialog. The viewer must never need one.
std::vector<std::string> ViewerBoxes(HWND help)
{
    std::vector<std::string> boxes;
    DWORD pid = WindowPid(help);
    for (HWND w : TopLevelWindows(pid))
        if (w != help && IsVisible(w)) {
            char title[256] = {}; // the window's own text, read without a message
            GetWindowTextA(w, title, sizeof title);
            boxes.push_back(ClassName(w) + " \"" + title + "\"");
        }
    return boxes;
}

void QuitHelp(const std::string& file)
{
    if (!HelpWindow()) return;
    WinHelpA(nullptr, file.c_str(), HELP_QUIT, 0);
    WaitUntil([] { return HelpWindow() == nullptr; }, 30000, 50);
}

// A plain window of this process that owns the help calls, as a program's window would.
struct Owner {
    HWND wnd = CreateWindowExA(0, "STATIC", "HelpFileTest", WS_OVERLAPPED, 0, 0, 100, 100, nullptr, nullptr,
                               GetModuleHandleA(nullptr), nullptr);
    ~Owner() { DestroyWindow(wnd); }
};

// The viewer is started by the first call; under emulation it may not be up before WinHelpA
// stops looking for it, and then the call reports failure. Later calls find it.
bool OpenContext(HWND owner, const std::string& file, int context)
{
    for (int attempt = 0; attempt < 3; ++attempt) {
        if (WinHelpA(owner, file.c_str(), HELP_CONTEXT, static_cast<ULONG_PTR>(context))) return true;
        WaitUntil([] { return HelpWindow() != nullptr; }, 30000, 50);
    }
    return false;
}

// The files inside a .chm, read as HTML Help reads them.
class CompiledHelp {
public:
    explicit CompiledHelp(const std::string& path)
    {
        CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
        IITStorage* reader = nullptr;
        if (FAILED(CoCreateInstance(kClsidITStorage, nullptr, CLSCTX_INPROC_SERVER, kIidITStorage,
                                    reinterpret_cast<void**>(&reader))))
            throw DriverError("no reader of compiled HTML Help (itss.dll)");
        std::wstring wide(path.begin(), path.end());
        HRESULT hr = reader->StgOpenStorage(wide.c_str(), nullptr, STGM_READ | STGM_SHARE_DENY_WRITE, nullptr, 0,
                                            &m_storage);
        reader->Release();
        if (FAILED(hr)) throw DriverError("cannot open " + path);
    }
    ~CompiledHelp()
    {
        if (m_storage) m_storage->Release();
        CoUninitialize();
    }
    CompiledHelp(const CompiledHelp&) = delete;
    CompiledHelp& operator=(const CompiledHelp&) = delete;

    // The file's bytes; nullopt when the .chm has no such file.
    std::optional<std::string> Read(const std::string& name) const
    {
        std::wstring wide(name.begin(), name.end());
        IStream* stream = nullptr;
        if (FAILED(m_storage->OpenStream(wide.c_str(), nullptr, STGM_READ | STGM_SHARE_EXCLUSIVE, 0, &stream)))
            return std::nullopt;
        std::string bytes;
        char buf[4096];
        ULONG n = 0;
        while (SUCCEEDED(stream->Read(buf, sizeof buf, &n)) && n > 0) bytes.append(buf, n);
        stream->Release();
        return bytes;
    }

    // Context number -> page, from the context table (#IVB: its length, then per topic the
    // number and the offset of the page's name in #STRINGS).
    std::map<int, std::string> ContextPages() const
    {
        std::map<int, std::string> pages;
        const auto table = Read("#IVB");
        const auto strings = Read("#STRINGS");
        if (!table || !strings || table->size() < 4) return pages;
        for (std::size_t at = 4; at + 8 <= table->size(); at += 8) {
            DWORD number, offset;
            memcpy(&number, table->data() + at, 4);
            memcpy(&offset, table->data() + at + 4, 4);
            if (offset < strings->size()) pages[static_cast<int>(number)] = strings->c_str() + offset;
        }
        return pages;
    }

private:
    IStorage* m_storage = nullptr;
};

// The text of a page's <title>, its character references (&#233;) turned into CP1252 bytes.
std::string PageTitle(const std::string& html)
{
    std::size_t start = html.find("<title>"), end = html.find("</title>");
    if (start == std::string::npos || end == std::string::npos || end < start) return {};
    std::string raw = html.substr(start + 7, end - start - 7), title;
    for (std::size_t i = 0; i < raw.size(); ++i) {
        std::size_t semi = raw.find(';', i);
        if (raw.compare(i, 2, "&#") == 0 && semi != std::string::npos) {
            title += static_cast<char>(std::stoi(raw.substr(i + 2, semi - i - 2)));
            i = semi;
        } else if (raw.compare(i, 5, "&amp;") == 0) {
            title += '&';
            i += 4;
        } else {
            title += raw[i];
        }
    }
    return title;
}

} // namespace

TEST_CASE("TYPA.CHM: every help context of the program names the page of its own topic")
{
    const std::string file = BesideExe("TYPA.CHM");
    REQUIRE(GetFileAttributesA(file.c_str()) != INVALID_FILE_ATTRIBUTES);
    CompiledHelp help(file);
    const std::map<int, std::string> pages = help.ContextPages();
    CHECK(pages.size() == kTopicTitles.size()); // the same topics as TYPA.HLP, no more

    for (int context : ProgramContexts()) {
        CAPTURE(context);
        auto expected = kTopicTitles.find(context);
        REQUIRE_MESSAGE(expected != kTopicTitles.end(), "the program uses a context without a topic here");
        auto page = pages.find(context);
        REQUIRE_MESSAGE(page != pages.end(), "the context is not in TYPA.CHM's map");
        CAPTURE(page->second);
        // A page name as the project gives it, which HTML Help looks up inside the file.
        CHECK(page->second.find_first_of("/\\:") == std::string::npos);
        const auto html = help.Read(page->second);
        REQUIRE(html);
        CHECK(PageTitle(*html) == expected->second);
    }
    // The contents page the window type opens by default is there too.
    const auto contents = help.Read("Contents.html");
    REQUIRE(contents);
    CHECK(PageTitle(*contents) == "Aide de Typarium");
}

TEST_CASE("Every help context of the program opens its own topic, never a question")
{
    const std::string file = BesideExe("TYPA.HLP");
    REQUIRE(GetFileAttributesA(file.c_str()) != INVALID_FILE_ATTRIBUTES);
    QuitHelp(file);
    Owner owner;

    std::set<int> contexts = ProgramContexts();
    CHECK(contexts.size() >= 21);
    for (int context : contexts) {
        CAPTURE(context);
        auto expected = kTopicTitles.find(context);
        REQUIRE_MESSAGE(expected != kTopicTitles.end(), "the program uses a context without a topic here");
        CHECK(OpenContext(owner.wnd, file, context));
        HWND help = nullptr;
        std::string shown;
        WaitUntil([&] {
            help = HelpWindow();
            shown = help ? ShownTitle(help) : "";
            return shown == expected->second;
        }, 30000, 50);
        CHECK(shown == expected->second);
        if (help) CHECK(ViewerBoxes(help).empty());
    }
    QuitHelp(file);
    CHECK(HelpWindow() == nullptr);
}

TEST_CASE("Where WinHelp is there, F1 opens the contents, \"Aide\" of the options dialog its topic; quitting closes the help")
{
    const std::string file = BesideExe("TYPA.HLP");
    QuitHelp(file);
    ResetSettings(EmptyFontFolder());
    // An older Windows, with winhlp32.exe in its Windows folder (as the test prefix has it): the
    // program keeps WinHelp and TYPA.HLP.
    ReportedWindows windows("winxp");
    Process typa;
    HWND main = StartAndWait(typa);
    REQUIRE(main);

    // The first call starts the viewer; under emulation it may come up after the program's
    // WinHelpA has stopped waiting for it. The program then says the viewer did not start
    // (message 3052), and the next F1 shows the page.
    std::string shown;
    auto contentsShown = [&] {
        HWND help = HelpWindow();
        try {
            shown = help ? ShownTitle(help) : "";
        } catch (const DriverError&) { // busy starting
            return false;
        }
        return shown == "Aide de Typarium";
    };
    bool opened = false;
    for (int attempt = 0; attempt < 3 && !opened; ++attempt) {
        Key(main, VK_F1);
        opened = WaitUntil(contentsShown, 40000, 250);
        if (auto box = opened ? std::nullopt : WaitForDialog(typa.Pid(), "Erreur", 1000)) Answer(*box, "OK");
    }
    CHECK(opened);
    CHECK(shown == "Aide de Typarium"); // the contents page, under the help's title
    CHECK(FindTopLevel(typa.Pid(), "HH Parent", nullptr) == nullptr); // not HTML Help
    if (HWND help = HelpWindow()) {
        CHECK(WindowPid(help) != typa.Pid());
        CHECK(ViewerBoxes(help).empty());
    }

    // "Aide" in the options dialog turns the viewer to the dialog's topic; the dialog stays.
    Command(main, mnuViewOptions);
    auto options = WaitForDialog(typa.Pid(), "Options", 60000);
    REQUIRE(options);
    CHECK(Answer(*options, "Aide"));
    CHECK(WaitUntil([&] {
        HWND help = HelpWindow();
        shown = help ? ShownTitle(help) : "";
        return shown == "Options";
    }, 40000, 250));
    CHECK(shown == "Options");
    CHECK(IsVisible(options->wnd));
    CHECK(Answer(*options, "Annuler"));
    CHECK(WaitForWindowGone(options->wnd, 30000));

    CHECK(QuitByButton(typa, main) == std::optional<DWORD>(0));
    CHECK(WaitUntil([] { return HelpWindow() == nullptr; }, 30000, 50));
    QuitHelp(file);
}
