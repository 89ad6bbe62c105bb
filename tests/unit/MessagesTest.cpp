// The message table and placeholder formatting. Expected texts are written as CP1252 bytes
// (\xE9 for é, \xA0 for the no-break space) so that a wrong code page shows as a failure.
#include <doctest/doctest.h>

#include "app/Messages.h"

#include <climits>
#include <iterator>
#include <limits>
#include <string>

using namespace typa;

TEST_CASE("the tests run under French user settings")
{
    // Everything below about separators assumes fr-FR; a runner without LC_ALL=fr_FR.UTF-8
    // fails here first.
    REQUIRE(GetUserDefaultLCID() == 0x040c);
}

TEST_SUITE("message table")
{
    TEST_CASE("every number of the table has its text")
    {
        const int ids[] = {100,  101,  1001, 1002, 1003, 1004, 1005, 1006, 1007, 1010, 1040, 1041,
                           1042, 1043, 1044, 1045, 1046, 1050, 1060, 1070, 1080, 1090, 1091, 1100,
                           1105, 1106, 1110, 1111, 1112, 1113, 1114, 1115, 1200, 1210, 1215, 1220,
                           1230, 1240, 1241, 1242, 1243, 1244, 1250, 1260, 1270, 2001, 3001, 3004,
                           3005, 3006, 3007, 3008, 3009, 3010, 3011, 3012, 3014, 3015, 3017, 3018,
                           3019, 3020, 3021, 3022, 3023, 3030, 3031, 3050, 3051, 3052, 3101, 3900,
                           3910, 4010, 5010, 5011, 5020, 5030, 5031, 5032};
        CHECK(std::size(ids) == 80);
        for (int id : ids) {
            CAPTURE(id);
            CHECK_FALSE(LoadMessage(id).empty());
        }
    }

    TEST_CASE("numbers without text give the empty string")
    {
        for (int id : {0, -1, 1, 99, 102, 1000, 1008, 1116, 3000, 3002, 3013, 3016, 3049, 3053, 3100,
                       3102, 3911, 5033, 9999, INT_MIN, INT_MAX}) {
            CAPTURE(id);
            CHECK(LoadMessage(id).empty());
            CHECK(FormatMessage(id, {"x", 1}).empty());
        }
    }

    TEST_CASE("accented letters are CP1252 bytes")
    {
        CHECK(LoadMessage(1004) == "s\xE9lectionn\xE9"
                                   "e(s)");
        CHECK(LoadMessage(1004).size() == 15); // one byte per letter, not UTF-8's two
        CHECK(LoadMessage(1090) == "Polices install\xE9"
                                   "es");
        CHECK(LoadMessage(1215) == "Servez \xE0 ce monsieur, le petit juge blond assis au fond, une "
                                   "bi\xE8re hollandaise et des kiwis.");
        CHECK(LoadMessage(5020) == "Etes-vous s\xFBr de vouloir supprimer %d police(s) et\nplacer dans "
                                   "la Corbeille %d fichier(s) de polices ?");
        CHECK(LoadMessage(1244) == "*) - L'installation de cette police a \xE9"
                                   "chou\xE9, si bien que toute impression correcte est impossible.");
    }

    TEST_CASE("line breaks, tabs and spaces stand where the texts have them")
    {
        CHECK(LoadMessage(1111) == "&S\xE9lectionner tout\tCtrl+A");
        CHECK(LoadMessage(1113) == "&D\xE9s\xE9lectionner tout\tCtrl+A");
        CHECK(LoadMessage(1070) == "Le lecteur '%s' n'est pas pr\xEAt. \n\nVeuillez ins\xE9rer un support "
                                   "de donn\xE9"
                                   "es puis cliquer sur le bouton OK, ou interrompez le processus.");
        CHECK(LoadMessage(5030) == "Etes-vous s\xFBr de vouloir supprimer le groupe '%s' \net de placer "
                                   "dans la Corbeille %d des fichiers qu'il contient ?");
        CHECK(LoadMessage(2001) == "Erreur d'exception %s dans %s.\n%s.\nIl est conseill\xE9 de quitter "
                                   "le programme.");
    }

    TEST_CASE("odd spellings are kept as they stand")
    {
        CHECK(LoadMessage(3023) == "Sous Windows NT, certains droits d'administration sont "
                                   "n\xE9"
                                   "cessaires pour installer de nouvelles polices. Veuillez vous "
                                   "connecter avec les droits appropri\xE9s puis renouveller votre essai.");
        CHECK(LoadMessage(5032) == "A votre syst\xE8me il y a installer d\xE9j\xE0 %d polices. Just vouz "
                                   "voulez installer additionelles %d polices.\n\nQuand vouz continuer, "
                                   "ce possible que ne peut pas tous les polices \xEAtre affich\xE9"
                                   "e.\n\nSouhaitez-vous poursuivre \xE0 vous risque ?");
        CHECK(LoadMessage(3019) == "Le fichier '%s' ne peut pas \xEAtre copi\xE9.\n\nSur le lecteur Windows "
                                   "n'a plus de Espace libre.\n\nSouhaitez-vous poursuivre ?");
        CHECK(LoadMessage(1230) == "d mmmm yyyy");
    }
}

TEST_SUITE("formatting")
{
    TEST_CASE("the help's messages name the file, the topic and the viewer")
    {
        CHECK(FormatMessage(3050, {"C:\\Program Files\\Typarium\\TYPA.CHM"}) ==
              "L'aide de Typarium ne peut pas \xEAtre affich\xE9"
              "e : le fichier C:\\Program Files\\Typarium\\TYPA.CHM est introuvable ou illisible.\nInstallez "
              "Typarium de nouveau pour le r\xE9tablir.");
        CHECK(FormatMessage(3051, {1010, "C:\\Typarium\\TYPA.CHM"}) ==
              "L'aide de Typarium ne peut pas afficher la rubrique n\xB0 1010 : le fichier C:\\Typarium\\TYPA.CHM "
              "ne la contient pas ou ne peut pas \xEAtre lu.\nInstallez Typarium de nouveau pour le r\xE9tablir.");
        CHECK(FormatMessage(3052, {"hhctrl.ocx"}) ==
              "L'aide de Typarium ne peut pas \xEAtre affich\xE9"
              "e : le visualiseur d'aide de Windows (hhctrl.ocx) est absent ou ne d\xE9marre pas.");
    }

    TEST_CASE("%s and %d fill in order")
    {
        CHECK(FormatMessage(3017, {"Typarium"}) ==
              "Typarium n'a pas \xE9t\xE9 install\xE9 correctement !\nVeuillez r\xE9sinstaller le "
              "programme puis le red\xE9marrer.");
        CHECK(FormatMessage(1050, {"Arial", "ARIAL.TTF"}) == "Arial, fichier : ARIAL.TTF");
        CHECK(FormatMessage(1005, {3}) == "3 non install\xE9"
                                          "e(s)");
        CHECK(FormatMessage(5020, {2, 1}) ==
              "Etes-vous s\xFBr de vouloir supprimer 2 police(s) et\nplacer dans la Corbeille 1 "
              "fichier(s) de polices ?");
        CHECK(FormatMessage(1010, {-7}) == "Action incorrecte : -7");
        CHECK(FormatMessage(1220, {2147483647LL + 1}) == "Page 2147483648");
        CHECK(FormatMessage(3900, {13}) ==
              "Erreur interne : message d'erreur ind\xE9"
              "fini pour le num\xE9ro d'erreur : 13. Veuillez informer Orvane Media de cette erreur.");
        // A file name with a percent sign is not read as a placeholder.
        CHECK(FormatMessage(1041, {"100%d.ttf"}) == "Lecture du fichier de police 100%d.ttf...");
    }

    TEST_CASE("missing arguments format as empty or zero, extra ones are ignored")
    {
        CHECK(FormatMessage(1007, {}) == "Espace libre sur le lecteur  : 0,0 ");
        CHECK(FormatMessage(5020, {4}) ==
              "Etes-vous s\xFBr de vouloir supprimer 4 police(s) et\nplacer dans la Corbeille 0 "
              "fichier(s) de polices ?");
        CHECK(FormatMessage(100, {"extra", 1, 2.0}) == "Typarium");
        CHECK(FormatMessage(1080, {"A:", "B:", "C:"}) == "Non pr\xEAt : A:");
    }

    TEST_CASE("arguments of another kind than the placeholder")
    {
        CHECK(FormatPattern("%s|%s", {42, 1.5}) == "42|1.5");
        CHECK(FormatPattern("%d|%d|%d", {12.9, -12.9, "7"}) == "12|-12|0");
        CHECK(FormatPattern("%.1n", {7}) == "7,0");
        CHECK(FormatPattern("%d", {1e300}) == "0"); // no undefined cast
        CHECK(FormatPattern("%s", {std::string("std")}) == "std");
        CHECK(FormatPattern("%s", {static_cast<const char*>(nullptr)}).empty());
    }

    TEST_CASE("percent signs, widths, precisions and oddities")
    {
        CHECK(FormatPattern("100%%", {}) == "100%");
        CHECK(FormatPattern("%%s", {"x"}) == "%s");
        CHECK(FormatPattern("%5d|%-5s|%.3d|%x|%.4X", {42, "ab", 7, 255, 10}) ==
              "   42|ab   |007|FF|000A");
        CHECK(FormatPattern("%.2s", {"abcdef"}) == "ab");
        CHECK(FormatPattern("%D", {5}) == "5");
        CHECK(FormatPattern("%.2f", {3.14159}) == "3,14");
        CHECK(FormatPattern("a %q b", {1}) == "a %q b"); // unknown type copied, argument not used
        CHECK(FormatPattern("end %", {1}) == "end %");
        CHECK(FormatPattern("end %-1", {1}) == "end %-1");
        CHECK(FormatPattern("%n", {1234.5}) == "1\xA0"
                                               "234,50");
        CHECK(FormatPattern("", {1}).empty());
        // Absurd widths are capped rather than exhausting memory.
        CHECK(FormatPattern("%99999999999999d", {1}).size() <= 10001);
    }
}

TEST_SUITE("numbers with the user's separators")
{
    TEST_CASE("one decimal, comma, thousands grouped by the no-break space")
    {
        CHECK(FormatNumber(1234) == "1\xA0"
                                    "234,0");
        CHECK(FormatNumber(12.0) == "12,0");
        CHECK(FormatNumber(0) == "0,0");
        CHECK(FormatNumber(1023) == "1\xA0"
                                    "023,0");
        CHECK(FormatNumber(3072) == "3\xA0"
                                    "072,0");
        CHECK(FormatNumber(999.96) == "1\xA0"
                                      "000,0");
        CHECK(FormatNumber(0.25, 1).size() == 3);
        CHECK(FormatNumber(1234, 0) == "1\xA0"
                                       "234");
    }

    TEST_CASE("every group of three is separated, not just the first")
    {
        CHECK(FormatNumber(1234567.89) == "1\xA0"
                                          "234\xA0"
                                          "567,9");
        CHECK(FormatNumber(12345678901.0) == "12\xA0"
                                             "345\xA0"
                                             "678\xA0"
                                             "901,0");
    }

    TEST_CASE("negative numbers and values that round to zero")
    {
        CHECK(FormatNumber(-1234.5) == "-1\xA0"
                                       "234,5");
        CHECK(FormatNumber(-12) == "-12,0");
        CHECK(FormatNumber(-0.04) == "0,0");
    }

    TEST_CASE("the separator never comes out as a question mark")
    {
        for (double v : {1234.0, 3072.0, 1e6, -5e7}) {
            std::string s = FormatNumber(v);
            CAPTURE(s);
            CHECK(s.find('?') == std::string::npos);
            CHECK(s.find('\xA0') != std::string::npos);
        }
    }

    TEST_CASE("extreme values neither crash nor lose their digits")
    {
        std::string huge = FormatNumber(1e300);
        CHECK(huge.size() > 300);
        CHECK(huge.substr(huge.size() - 2) == ",0");
        CHECK(FormatNumber(1e300, 99).find(',') != std::string::npos); // decimals capped
        CHECK(FormatNumber(std::numeric_limits<double>::quiet_NaN()) == "NaN");
        CHECK(FormatNumber(std::numeric_limits<double>::infinity()) == "INF");
        CHECK(FormatNumber(-std::numeric_limits<double>::infinity()) == "-INF");
        CHECK(FormatNumber(5, -3) == "5");
    }

    TEST_CASE("%.1n in the status texts")
    {
        CHECK(FormatMessage(1006, {12.0, "KB"}) == "Taille : 12,0 KB");
        CHECK(FormatMessage(1006, {1234.0, "KB"}) == "Taille : 1\xA0"
                                                     "234,0 KB");
        CHECK(FormatMessage(1007, {"C:", 3072.0, "MB"}) == "Espace libre sur le lecteur C: : 3\xA0"
                                                           "072,0 MB");
    }
}
