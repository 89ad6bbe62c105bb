// The per-file steps of an installation against real files, with the answers scripted. On a full
// disk (a small file system mapped as a Wine drive, named by TYPA_SMALL_DRIVE, e.g. "T:"; see
// scripts/small-drive.sh) a copy that cannot be completed never costs the file it was to replace.
#include "ops/Install.h"
#include "app/ErrorBox.h"
#include "app/Messages.h"
#include <doctest/doctest.h>

#include <fstream>
#include <sstream>

using namespace typa;

namespace {

std::string ReadAll(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

std::string BesideExe(const char* name)
{
    char exe[MAX_PATH] = {};
    GetModuleFileNameA(nullptr, exe, MAX_PATH);
    std::string path = exe;
    return path.substr(0, path.find_last_of('\\') + 1) + name;
}

bool NoTemporaryFiles(const std::string& folder)
{
    WIN32_FIND_DATAA fd;
    HANDLE h = FindFirstFileA((folder + "\\TYP*.TMP").c_str(), &fd);
    if (h == INVALID_HANDLE_VALUE) return true;
    FindClose(h);
    return false;
}

} // namespace

TEST_CASE("Names the installation writes")
{
    CHECK(BareFileName("Arialbd.ttf") == "Arialbd.ttf");
    CHECK(BareFileName("C:\\A\\B\\Arialbd.ttf") == "Arialbd.ttf");
    CHECK(BareFileName("C:Arialbd.ttf") == "Arialbd.ttf");
    CHECK(AsciiUpper("Lato-black.ttf") == "LATO-BLACK.TTF");
    CHECK(AsciiUpper("é-à.ttf") == "é-à.TTF"); // letters a-z only
    CHECK(StoredGroupName(LoadMessage(1091)).empty());
    CHECK(StoredGroupName("Titres") == "Titres");
    CHECK(StoredGroupName("polices windows") == "polices windows");
}

TEST_CASE("On a full disk the file to be replaced stays whole")
{
    char drive[8] = {};
    if (!GetEnvironmentVariableA("TYPA_SMALL_DRIVE", drive, sizeof drive) ||
        GetDriveTypeA((std::string(drive) + "\\").c_str()) == DRIVE_NO_ROOT_DIR) {
        MESSAGE("no small drive (TYPA_SMALL_DRIVE): skipped");
        return;
    }
    const std::string windowsDir = std::string(drive) + "\\WIN";
    const std::string fonts = windowsDir + "\\FONTS";
    CreateDirectoryA(windowsDir.c_str(), nullptr);
    CreateDirectoryA(fonts.c_str(), nullptr);

    // The source: a real font, larger than what is left on the drive once it is nearly full.
    TToShowItem font;
    font.Name = "Hack";
    font.FileName = "Hack-regular.ttf";
    font.Path = BesideExe("..\\demo-fonts\\Mono\\Hack-Regular.TTF");
    const std::string source = ReadAll(font.Path);
    REQUIRE(source.size() > 100000);
    font.Size = static_cast<std::int32_t>(source.size());

    const std::string dest = fonts + "\\Hack-regular.ttf";
    const std::string old = "the font that was installed before";
    std::ofstream(dest, std::ios::binary) << old;
    // Fill the drive up to a little less than the font's size.
    const std::string filler = windowsDir + "\\filler.bin";
    {
        ULARGE_INTEGER freeBytes{};
        REQUIRE(GetDiskFreeSpaceExA((std::string(drive) + "\\").c_str(), &freeBytes, nullptr, nullptr));
        REQUIRE(freeBytes.QuadPart > source.size() / 2);
        std::ofstream(filler, std::ios::binary) << std::string(static_cast<std::size_t>(freeBytes.QuadPart - source.size() / 2), 'x');
    }

    SUBCASE("too little room: 3019, and nothing is touched")
    {
        bool all = true;
        ScriptedBoxes boxes{MsgResult::Yes};
        CHECK(InstallFontFile(font, "Hack", "", windowsDir, all) == FileOutcome::Skipped);
        REQUIRE(boxes.Boxes().size() == 1);
        CHECK(boxes.Boxes()[0].text == "Le fichier 'Hack-regular.ttf' ne peut pas être copié.\n\nSur le lecteur Windows n'a "
                                       "plus de Espace libre.\n\nSouhaitez-vous poursuivre ?");
    }
    SUBCASE("the file grew since it was read: the copy fails part way, 3005, the old file stays")
    {
        font.Size = 10;
        bool all = true; // replace without asking
        ScriptedBoxes boxes{MsgResult::No};
        CHECK(InstallFontFile(font, "Hack", "", windowsDir, all) == FileOutcome::Stop);
        REQUIRE(boxes.Boxes().size() == 1);
        CHECK(boxes.Boxes()[0].text.rfind("Le fichier Hack-regular.ttf ne peut pas être copié.", 0) == 0);
    }
    CHECK(ReadAll(dest) == old);
    CHECK(NoTemporaryFiles(fonts));
    DeleteFileA(filler.c_str());
    DeleteFileA(dest.c_str());
}
