// The selection summary, byte for byte, under French settings.
#include "ui/StatusText.h"
#include <doctest/doctest.h>

using namespace typa;

namespace {
// The status bar shows the text without its leading "|".
std::string Shown(const StatusInput& in) { return BuildStatusText(in).substr(1); }
const std::string nbsp = "\xA0";
} // namespace

TEST_CASE("Counts and selections read as a French sentence")
{
    StatusInput in;
    in.options = 3;
    in.total = 120;
    in.selected = 3;
    CHECK(Shown(in) == "3 des 120 police(s) sélectionnée(s)");
    CHECK(BuildStatusText(in)[0] == '|');

    in.selected = 0;
    CHECK(Shown(in) == " 120 police(s)");

    in.total = 0;
    CHECK(Shown(in) == "Aucune police(s)");

    in.options = 1; // count only
    CHECK(Shown(in) == "Aucune police(s)");
    in.total = 7;
    CHECK(Shown(in) == " 7 police(s)");

    in.options = 2; // selection only
    in.selected = 2;
    CHECK(Shown(in) == "2 police(s) sélectionnée(s)");
    in.selected = 0;
    CHECK(Shown(in) == "");

    in.options = 0;
    in.selected = 4;
    CHECK(Shown(in) == "");
}

TEST_CASE("The available side adds what is not installed yet and its size")
{
    StatusInput in;
    in.options = 7;
    in.availableSideActive = true;
    in.total = 8;
    in.selected = 2;
    in.notInstalled = 5;
    in.selectedSize = 12 * 1024 + 1023;
    CHECK(Shown(in) == "2 des 8 police(s) sélectionnée(s), 5 non installée(s)   Taille : 12,0 KB");

    in.selected = 0;
    CHECK(Shown(in) == " 8 police(s), 5 non installée(s)");
}

TEST_CASE("Free space of the Windows drive, in KB up to 1024 KB, then MB")
{
    StatusInput in;
    in.options = 12; // size and free space: on the installed side only the free space shows
    in.windowsDrive = 'c';
    in.selected = 3;
    in.freeBytes = 3ull * 1024 * 1024 * 1024;
    CHECK(Shown(in) == "   Espace libre sur le lecteur C : 3" + nbsp + "072,0 MB");

    CHECK(SizeOf(1048575).number == 1023.0);
    CHECK(std::string(SizeOf(1048575).unit) == "KB");
    CHECK(SizeOf(1049600).number == 1.0);
    CHECK(std::string(SizeOf(1049600).unit) == "MB");
    CHECK(SizeOf(1024 * 1024).number == 1024.0); // exactly 1024 KB stays in KB
    CHECK(SizeOf(0).number == 0.0);

    in.freeBytes = 0; // the system could not tell
    CHECK(Shown(in) == "   Espace libre sur le lecteur C : 0,0 KB");
}
