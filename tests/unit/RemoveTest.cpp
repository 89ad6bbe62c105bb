// The rules of removal and the file steps against Wine's real files and Recycle Bin.
#include "ops/Remove.h"
#include "app/ErrorBox.h"
#include <doctest/doctest.h>

#include <fstream>

using namespace typa;

TEST_CASE("Standard families are compared exactly")
{
    for (const char* name : {"Arial", "Times New Roman", "Times Roman", "Courier", "Courier New", "MS LineDraw",
                             "Symbol", "Wingdings"})
        CHECK(IsStandardFamily(name));
    for (const char* name : {"arial", "Arial Black", "Wingdings 2", "", "*"}) CHECK_FALSE(IsStandardFamily(name));
}

TEST_CASE("The companion of a font file")
{
    CHECK(CompanionPath("C:\\WINDOWS\\FONTS\\ARIAL.TTF") == "C:\\WINDOWS\\FONTS\\ARIAL.FOT");
    CHECK(CompanionPath("C:\\WINDOWS\\FONTS\\ARIAL.FOT") == "C:\\WINDOWS\\FONTS\\ARIAL.TTF");
    // Both letters groups: the TTF rule wins.
    CHECK(CompanionPath("C:\\FONTS\\FOTO.TTF") == "C:\\FONTS\\FOTO.FOT");
    // "FOT" in a folder name counts too; the extension is the last component's.
    CHECK(CompanionPath("C:\\FOTOS\\A.B\\X") == "C:\\FOTOS\\A.B\\X.TTF");
    CHECK(CompanionPath("C:\\FONTS\\ARIAL.ttf").empty());
    CHECK(CompanionPath("").empty());
}

namespace {
std::string Scratch(const char* name)
{
    char dir[MAX_PATH];
    GetTempPathA(MAX_PATH, dir);
    return std::string(dir) + name;
}
} // namespace

TEST_CASE("A font file to the Recycle Bin: read-only and hidden ones too; a missing one is reported")
{
    const std::string path = Scratch("typa-remove-test.ttf");
    std::ofstream(path, std::ios::binary) << "font bytes";
    REQUIRE(SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM));
    {
        ScriptedBoxes none;
        CHECK(DeleteFontFile(path) == RemoveStep::Done);
        CHECK(none.Boxes().empty());
    }
    CHECK(GetFileAttributesA(path.c_str()) == INVALID_FILE_ATTRIBUTES);
    // It is in the Recycle Bin (the prefix's XDG trash), not gone for good; the test empties it.
    char trash[MAX_PATH] = {};
    GetEnvironmentVariableA("XDG_DATA_HOME", trash, MAX_PATH);
    const std::string trashed = "Z:" + std::string(trash) + "/Trash/files/typa-remove-test.ttf";
    CHECK(GetFileAttributesA(trashed.c_str()) != INVALID_FILE_ATTRIBUTES);
    DeleteFileA(trashed.c_str());
    DeleteFileA(("Z:" + std::string(trash) + "/Trash/info/typa-remove-test.ttf.trashinfo").c_str());

    ScriptedBoxes boxes{MsgResult::Yes, MsgResult::No};
    CHECK(DeleteFontFile(path) == RemoveStep::Yes);
    CHECK(DeleteFontFile(path) == RemoveStep::No);
    REQUIRE(boxes.Boxes().size() == 2);
    CHECK(boxes.Boxes()[0].text.rfind("Le fichier ou le dossier " + path + " n'existe pas.", 0) == 0);
    CHECK(boxes.Boxes()[0].kind == MsgKind::Error);
    CHECK(boxes.Boxes()[0].buttons == (MsgButton::Yes | MsgButton::No));
}

TEST_CASE("A resource that cannot be unloaded stops the removal of that font before anything is touched")
{
    const std::string path = Scratch("typa-not-loaded.ttf");
    std::ofstream(path, std::ios::binary) << "font bytes";
    ScriptedBoxes boxes{MsgResult::No};
    CHECK(RemoveInstalledFont("Typa Never Loaded (TrueType)", "TYPA-NOT-LOADED.TTF", path) == RemoveStep::No);
    REQUIRE(boxes.Boxes().size() == 1);
    CHECK(boxes.Boxes()[0].text.rfind("Les ressources correspondant aux polices utilisées par le fichier "
                                      "TYPA-NOT-LOADED.TTF ne peuvent pas être supprimées.", 0) == 0);
    CHECK(GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES);
    DeleteFileA(path.c_str());
}
