// What the builds of the installed catalogue remember: by value and file, kept between runs in a
// file that a damaged or cut copy never turns into wrong fonts; and builds that take from it
// only what is unchanged, against Wine's real registry, fonts and enumeration.
#include "app/Settings.h"
#include "fonts/InstalledFonts.h"
#include "fonts/InstalledMemory.h"
#include "platform/Registry.h"
#include "support/TrueTypeWriter.h"
#include <doctest/doctest.h>

#include <windows.h>

#include <cstring>
#include <fstream>
#include <iterator>

using namespace typa;

namespace {

std::shared_ptr<TFontFile> File(bool forUser, const std::string& value, const std::string& data,
                                std::vector<std::string> faces, FileStamp stamp = {1234, 5678})
{
    auto file = std::make_shared<TFontFile>();
    file->ForUser = forUser;
    file->ValueName = value;
    file->Data = data;
    file->Stamp = stamp;
    file->Collection = faces.size() > 1;
    for (std::size_t i = 0; i < faces.size(); ++i) {
        TFontFile::Face face;
        face.name = faces[i];
        face.family = faces[i].substr(0, faces[i].find(' '));
        lstrcpynA(face.logFont.lfFaceName, face.family.c_str(), LF_FACESIZE);
        face.logFont.lfWeight = 400 + 300 * static_cast<LONG>(i);
        face.logFont.lfCharSet = ANSI_CHARSET;
        face.rowFontHeight = 19 + static_cast<int>(i);
        face.standardStripped = i == 1;
        file->Faces.push_back(face);
    }
    return file;
}

std::uint64_t Fnv1a(const std::string& s)
{
    std::uint64_t h = 14695981039346656037ull;
    for (unsigned char c : s) {
        h ^= c;
        h *= 1099511628211ull;
    }
    return h;
}

// Bytes that say what `body` says, with a checksum that fits them.
std::string Sealed(std::string body)
{
    const std::uint64_t sum = Fnv1a(body);
    for (int i = 0; i < 8; ++i) body += static_cast<char>(sum >> (8 * i));
    return body;
}

std::string TempFolder()
{
    char dir[MAX_PATH] = {};
    GetTempPathA(MAX_PATH, dir);
    std::string folder = std::string(dir) + "typa-memory-test";
    CreateDirectoryA(folder.c_str(), nullptr);
    return folder;
}

} // namespace

TEST_CASE("A value's file is recalled while its name, data, key and file stay as they were")
{
    TInstalledMemory memory;
    memory.Keep({File(false, "Duo A & Duo B (TrueType)", "DUO.TTC", {"Duo A", "Duo B"}),
                 File(true, "Solo (TrueType)", "C:\\Users\\u\\Solo.ttf", {"Solo Regular"})});
    CHECK(memory.Changed());
    auto duo = memory.Recall(false, "Duo A & Duo B (TrueType)", "DUO.TTC", {1234, 5678});
    REQUIRE(duo);
    CHECK(duo->Faces.size() == 2);
    // Another data, another key (the user's), a file that changed: learnt again.
    CHECK_FALSE(memory.Recall(false, "Duo A & Duo B (TrueType)", "DUO2.TTC", {1234, 5678}));
    CHECK_FALSE(memory.Recall(true, "Duo A & Duo B (TrueType)", "DUO.TTC", {1234, 5678}));
    CHECK_FALSE(memory.Recall(false, "Duo A & Duo B (TrueType)", "DUO.TTC", {1234, 5679}));
    CHECK_FALSE(memory.Recall(false, "Duo A & Duo B (TrueType)", "DUO.TTC", {1235, 5678}));
    CHECK(memory.Recall(true, "Solo (TrueType)", "C:\\Users\\u\\Solo.ttf", {1234, 5678}));

    // What a later build saw replaces the rest; the same files again change nothing.
    TInstalledMemory again;
    again.Keep({duo});
    REQUIRE(again.Save(TempFolder() + "\\same.dat", 96));
    CHECK_FALSE(again.Changed());
    again.Keep({duo});
    CHECK_FALSE(again.Changed());
    again.Keep({});
    CHECK(again.Changed());
    CHECK(again.Count() == 0);
}

TEST_CASE("The memory's file gives back every face as it was learnt; row heights only at their resolution")
{
    TInstalledMemory memory;
    memory.Keep({File(false, "Duo A & Duo B (TrueType)", "DUO.TTC", {"Duo A", "Duo B"}),
                 File(false, "Arial (TrueType)", "ARIAL.TTF", {"Arial"}, {99, 1})});
    const std::string bytes = memory.Serialize(120);

    TInstalledMemory back;
    REQUIRE(back.Parse(bytes, 120));
    CHECK(back.Count() == 2);
    auto duo = back.Recall(false, "Duo A & Duo B (TrueType)", "DUO.TTC", {1234, 5678});
    REQUIRE(duo);
    CHECK(duo->Collection);
    REQUIRE(duo->Faces.size() == 2);
    CHECK(duo->Faces[1].name == "Duo B");
    CHECK(duo->Faces[1].family == "Duo");
    CHECK(duo->Faces[1].standardStripped);
    CHECK(duo->Faces[1].rowFontHeight == 20);
    CHECK(duo->Faces[1].logFont.lfWeight == 700);
    CHECK(std::string(duo->Faces[1].logFont.lfFaceName) == "Duo");

    TInstalledMemory otherDpi;
    REQUIRE(otherDpi.Parse(bytes, 96));
    CHECK(otherDpi.Recall(false, "Arial (TrueType)", "ARIAL.TTF", {99, 1})->Faces[0].rowFontHeight == 0);
    CHECK(otherDpi.Recall(false, "Arial (TrueType)", "ARIAL.TTF", {99, 1})->Faces[0].family == "Arial");
}

TEST_CASE("A cut, changed or crafted memory file gives nothing, never wrong fonts")
{
    TInstalledMemory memory;
    memory.Keep({File(false, "Duo A & Duo B (TrueType)", "DUO.TTC", {"Duo A", "Duo B"})});
    const std::string bytes = memory.Serialize(96);
    TInstalledMemory back;
    for (std::size_t size = 0; size < bytes.size(); ++size) {
        CAPTURE(size);
        CHECK_FALSE(back.Parse(bytes.substr(0, size), 96));
        CHECK(back.Count() == 0);
    }
    for (std::size_t at = 0; at < bytes.size(); ++at) {
        std::string changed = bytes;
        changed[at] = static_cast<char>(changed[at] ^ 0x20);
        CAPTURE(at);
        CHECK_FALSE(back.Parse(changed, 96));
    }
    // Counts and lengths that lie, under a checksum that fits them: refused before anything is
    // made of them.
    const std::string head = bytes.substr(0, 8) + std::string("\x60\0\0\0", 4);
    CHECK_FALSE(back.Parse(Sealed(head + std::string("\xff\xff\xff\x7f", 4)), 96));          // 2^31 values
    CHECK_FALSE(back.Parse(Sealed(head + std::string("\x01\0\0\0", 4) + '\0' + "\xff\xff\xff\xff"), 96)); // a 4 GB name
    CHECK_FALSE(back.Parse(Sealed(head + std::string("\x00\0\0\0", 4) + "more"), 96));           // bytes after the end
    CHECK(back.Parse(Sealed(head + std::string("\x00\0\0\0", 4)), 96));                          // an empty memory
    CHECK(back.Count() == 0);

    // Through the file: a damaged one loads nothing, and a new one replaces it whole.
    const std::string path = TempFolder() + "\\memory.dat";
    std::ofstream(path, std::ios::binary) << bytes.substr(0, bytes.size() / 2);
    CHECK_FALSE(back.Load(path, 96));
    CHECK(back.Count() == 0);
    REQUIRE(memory.Save(path, 96));
    REQUIRE(back.Load(path, 96));
    CHECK(back.Count() == 1);
    DeleteFileA(path.c_str());
    CHECK_FALSE(back.Load(path, 96)); // none: nothing known
}

namespace {

// A copy of Wine's small font under a name of its own, registered in the system font key by its
// full path and loaded, as an installation leaves it; taken out again at the end.
struct RegisteredFont {
    std::string path;
    std::string value;

    RegisteredFont(const std::string& family, const std::string& file)
    {
        std::ifstream in("Z:\\usr\\share\\wine\\fonts\\webdings.ttf", std::ios::binary);
        const test::Bytes wine{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
        REQUIRE_FALSE(wine.empty());
        const std::u16string wide(family.begin(), family.end());
        const test::Bytes font = test::Renamed(wine, wide, u"Regular", wide);
        path = TempFolder() + "\\" + file;
        std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(font.data()),
                                                    static_cast<std::streamsize>(font.size()));
        value = family + " (TrueType)";
        REQUIRE(AddFontResourceA(path.c_str()) > 0);
        REQUIRE(WriteSystemFont(value, path));
    }
    ~RegisteredFont()
    {
        DeleteSystemFont(value);
        RemoveFontResourceA(path.c_str());
        DeleteFileA(path.c_str());
    }
};

struct Build {
    NameList families{false};
    FontCatalogue installed{FontCatalogue::Order::AsAdded};
    InstalledBuildStats stats;

    explicit Build(TInstalledMemory* memory)
    {
        HDC dc = GetDC(nullptr);
        InstalledSources sources;
        sources.memory = memory;
        char windows[MAX_PATH] = {};
        GetWindowsDirectoryA(windows, MAX_PATH);
        sources.fontsDir = std::string(windows) + "\\FONTS";
        sources.stats = &stats;
        BuildInstalledCatalogue(dc, families, installed, nullptr, sources);
        ReleaseDC(nullptr, dc);
    }
    const TToShowItem* Find(const std::string& name) const
    {
        const int i = installed.IndexOf(name);
        return i < 0 ? nullptr : installed.Item(i);
    }
};

} // namespace

TEST_CASE("A build with a memory gives what a build without one gives, asking the system only about what is new")
{
    RegisteredFont first("Typa Memoire Une", "TYPAMEM1.TTF");
    const Build plain(nullptr);
    REQUIRE(plain.installed.Count() > 0);
    REQUIRE(plain.Find("Typa Memoire Une"));
    CHECK(plain.Find("Typa Memoire Une")->Family == "Typa Memoire Une");

    TInstalledMemory memory;
    const Build learning(&memory);
    CHECK(memory.Changed());
    CHECK(learning.families.Count() > 0); // everything was new: the families were asked for
    CHECK(learning.stats.everyFamily);
    CHECK(learning.stats.remembered == 0);
    const Build remembering(&memory);
    CHECK(remembering.families.Count() == 0); // nothing new: the system was not asked
    CHECK(remembering.stats.learnt == 0);
    CHECK(remembering.stats.familiesAsked == 0);
    CHECK(remembering.stats.remembered == learning.stats.learnt);
    for (const Build* b : {&learning, &remembering}) {
        REQUIRE(b->installed.Count() == plain.installed.Count());
        for (int i = 0; i < plain.installed.Count(); ++i) {
            const TToShowItem& want = *plain.installed.Item(i);
            const TToShowItem& got = *b->installed.Item(i);
            CAPTURE(want.Name);
            CHECK(got.Name == want.Name);
            CHECK(got.Family == want.Family);
            CHECK(got.Path == want.Path);
            CHECK(got.StandardStripped == want.StandardStripped);
            CHECK(std::memcmp(&got.LogFont, &want.LogFont, sizeof want.LogFont) == 0);
        }
    }

    // A font installed since: the families are asked for again, and it alone is learnt.
    {
        RegisteredFont second("Typa Memoire Deux", "TYPAMEM2.TTF");
        const Build after(&memory);
        CHECK(after.families.Count() > 0);
        REQUIRE(after.Find("Typa Memoire Deux"));
        CHECK(after.Find("Typa Memoire Deux")->Family == "Typa Memoire Deux");
        CHECK(after.Find("Typa Memoire Une")->Family == "Typa Memoire Une");
        CHECK(after.installed.Count() == plain.installed.Count() + 1);
        // Only its own family was asked for its faces.
        CHECK(after.stats.learnt == 1);
        CHECK_FALSE(after.stats.everyFamily);
        CHECK(after.stats.familiesAsked >= 1);
        CHECK(after.stats.familiesAsked <= 3);
    }
    // Removed again: gone from the catalogue and from the memory.
    const std::size_t remembered = memory.Count();
    const Build removed(&memory);
    CHECK_FALSE(removed.Find("Typa Memoire Deux"));
    CHECK(memory.Count() == remembered - 1);

    // A value whose font the system does not have (another program's, never loaded here): not
    // sought family by family, which would cost a walk of every family at every refresh, and
    // not found, as a build without a memory does not find it either.
    {
        const std::string value = "Typa Absente Gras (TrueType)";
        REQUIRE(WriteSystemFont(value, "Z:\\nowhere\\TYPAABS.TTF"));
        const Build withMemory(&memory);
        const Build without(nullptr);
        DeleteSystemFont(value);
        REQUIRE(withMemory.Find("Typa Absente Gras"));
        REQUIRE(without.Find("Typa Absente Gras"));
        CHECK(withMemory.Find("Typa Absente Gras")->Family == "*");
        CHECK(without.Find("Typa Absente Gras")->Family == "*");
        CHECK_FALSE(withMemory.stats.everyFamily);
        CHECK(withMemory.stats.learnt == 1);
        CHECK(withMemory.installed.Count() == without.installed.Count());
    }
    const Build forgotten(&memory);
    CHECK_FALSE(forgotten.Find("Typa Absente Gras"));

    // Its file changed (another font under the same value): learnt again, not taken as it was.
    {
        std::ofstream grow(first.path, std::ios::binary | std::ios::app);
        grow << std::string(100, '\0');
    }
    const Build changed(&memory);
    CHECK(changed.families.Count() > 0);
    CHECK(changed.Find("Typa Memoire Une")->Family == "Typa Memoire Une");
}
