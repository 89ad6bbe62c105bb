// The message table and the formatting of its placeholders.
#include "app/Messages.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <iterator>

namespace typa {
namespace {

struct MessageEntry {
    int id;
    const char* text;
};

// French (1036) texts, sorted by number. The source is UTF-8; the compiler stores the literals
// in CP1252, the code page the ANSI API expects.
constexpr MessageEntry kMessages[] = {
    {100, "Typarium"},
    {101, "TYPA.HLP"},
    {1001, "Aucune"},
    {1002, "des"},
    {1003, "police(s)"},
    {1004, "sélectionnée(s)"},
    {1005, "%d non installée(s)"},
    {1006, "Taille : %.1n %s"},
    {1007, "Espace libre sur le lecteur %s : %.1n %s"},
    {1010, "Action incorrecte : %d"},
    {1040, "Lecture des fichiers de polices..."},
    {1041, "Lecture du fichier de police %s..."},
    {1042, "Charger des polices installées..."},
    {1043, "Installer des fichiers de polices..."},
    {1044, "Installer du fichier de police %s..."},
    {1045, "Supprimer des fichiers de polices..."},
    {1046, "Supprimer du fichier de polices %s..."},
    {1050, "%s, fichier : %s"},
    {1060, "Polices dans"},
    {1070, "Le lecteur '%s' n'est pas prêt. \n\nVeuillez insérer un support de données puis cliquer sur le bouton OK, ou interrompez le processus."},
    {1080, "Non prêt : %s"},
    {1090, "Polices installées"},
    {1091, "Polices Windows"},
    {1100, "Polices dans %s"},
    {1105, "Nouveau groupe"},
    {1106, "Nouveau groupe (%d)"},
    {1110, "&Sélectionner tout"},
    {1111, "&Sélectionner tout\tCtrl+A"},
    {1112, "&Désélectionner tout"},
    {1113, "&Désélectionner tout\tCtrl+A"},
    {1114, "Sélectionne toutes les polices affichées."},
    {1115, "Désélectionne toutes les polices affichées."},
    {1200, "ABCDEFGHIJKLMNOPQRSTUVWXYZ"},
    {1210, "abcdefghijklmnopqrstuvwxyz"},
    {1215, "Servez à ce monsieur, le petit juge blond assis au fond, une bière hollandaise et des kiwis."},
    {1220, "Page %d"},
    {1230, "d mmmm yyyy"},
    {1240, "Polices sélectionnées dans le groupe '%s'"},
    {1241, "Groupe sélectionné '%s'"},
    {1242, "Toutes les polices installées du groupe '%s'"},
    {1243, "Toutes les polices disponibles dans '%s'"},
    {1244, "*) - L'installation de cette police a échoué, si bien que toute impression correcte est impossible."},
    {1250, "Impression des polices..."},
    {1260, "Polices disponibles"},
    {1270, "Impression de la police %s..."},
    {2001, "Erreur d'exception %s dans %s.\n%s.\nIl est conseillé de quitter le programme."},
    {3001, "%s fonctionne uniquement sous Windows 95 ou Windows NT 4.0 (ou version sup.)."},
    {3004, "Le fichier %s ne peut pas être remplacé. Assurez-vous qu'il n'est pas en lecture seule et que vous possédez les droits d'accès au lecteur.\n\nSouhaitez-vous poursuivre ?"},
    {3005, "Le fichier %s ne peut pas être copié. La police ne peut donc pas être installée sur votre système.\n\nSouhaitez-vous poursuivre ?"},
    {3006, "Le fichier %s ne peut pas être placé dans la Corbeille. Assurez-vous qu'il n'est pas en lecture seule et que vous disposez d'un droit de suppression sur ce lecteur.\n\nSouhaitez-vous poursuivre ?"},
    {3007, "Le fichier %s ne peut pas être installé (erreur générale).\n\nSouhaitez-vous poursuivre ?"},
    {3008, "Le format du fichier %s n'est pas un format TrueType correct.\nRéclamez une nouvelle version de ce fichier à votre fournisseur.\n\nSouhaitez-vous poursuivre ?"},
    {3009, "Le dossier %s n'existe plus. Veuillez contrôler le dossier de polices défini..."},
    {3010, "Les ressources correspondant aux polices utilisées par le fichier %s ne peuvent pas être supprimées. Si l'erreur se reproduit au prochain démarrage, essayez de supprimer la police dans le Panneau de configuration (module Polices).\n\nSouhaitez-vous poursuivre ?"},
    {3011, "Impossible de supprimer de la base de registres l'entrée %s. Au prochain démarrage, la police sera probablement considérée comme étant toujours installée. Si tel est le cas, essayez de la supprimer dans le Panneau de configuration (module Polices).\n\nSouhaitez-vous poursuivre ?"},
    {3012, "Le fichier ou le dossier %s n'existe pas. Veuillez actualiser les polices installées en appuyant sur la touche F5. La police devrait alors disparaître de la liste des polices installées.\n\nSouhaitez-vous poursuivre ?"},
    {3014, "Le dossier %s n'est pas disponible. Assurez-vous que la connexion au lecteur réseau existe toujours et que vous possédez tous les droits d'accès à ce lecteur.\nUne fois le problème résolu, appuyez sur la touche F5 afin de lire à nouveau les polices.\nLa lecture est maintenant interrompue..."},
    {3015, "Le dossier %s n'est pas disponible. Assurez-vous que le lecteur défini est toujours en fonctionnement.\nUne fois le problème résolu, appuyez sur la touche F5 afin de lire à nouveau les polices.\nLa lecture est maintenant interrompue..."},
    {3017, "%s n'a pas été installé correctement !\nVeuillez résinstaller le programme puis le redémarrer."},
    {3018, "La police '%s' ne peut pas être affichée car une police de nom identique est déjà en cours d'utilisation.\nLe programme poursuit sa lecture..."},
    {3019, "Le fichier '%s' ne peut pas être copié.\n\nSur le lecteur Windows n'a plus de Espace libre.\n\nSouhaitez-vous poursuivre ?"},
    {3020, "Impossible de créer plus de %s nouveaux groupes. Veuillez supprimer au préalable l'un des nouveaux groupes..."},
    {3021, "Un groupe portant le nom '%s' existe déjà.\nVeuillez saisir un nom de groupe univoque.\n\nLe renommage est annulé..."},
    {3022, "Le nom du groupe ne doit pas être vide ou uniquement rempli d'espaces.\nVeuillez saisir un nom de groupe correct.\n\nLe renommage est annulé..."},
    {3023, "Sous Windows NT, certains droits d'administration sont nécessaires pour installer de nouvelles polices. Veuillez vous connecter avec les droits appropriés puis renouveller votre essai."},
    {3030, "L'erreur suivante est intervenue lors de l'impression : '%s'\nVeuillez relancer l'impression après résolution du problème..."},
    {3031, "L'impression est impossible car aucune imprimante n'est installée. Veuillez installer une imprimante via le Panneau de configuration puis faites un nouvel essai."},
    {3040, "Le fichier %s n'existe plus. Veuillez actualiser les polices en appuyant sur la touche F5..."},
    {3042, "Le nom du fichier %s contient des caractères que Windows ne peut pas représenter ici, et le fichier n'a pas de nom court : il ne peut donc pas être lu. Renommez-le, puis appuyez sur la touche F5.\n\nSouhaitez-vous poursuivre ?"},
    {3043, "Vous ne disposez pas des droits nécessaires pour installer des polices pour tous les utilisateurs de cet ordinateur : les polices sélectionnées seront installées pour vous seul.\nPour les installer pour tous les utilisateurs, démarrez Typarium en tant qu'administrateur."},
    {3050, "L'aide de Typarium ne peut pas être affichée : le fichier %s est introuvable ou illisible.\nInstallez Typarium de nouveau pour le rétablir."},
    {3051, "L'aide de Typarium ne peut pas afficher la rubrique n° %d : le fichier %s ne la contient pas ou ne peut pas être lu.\nInstallez Typarium de nouveau pour le rétablir."},
    {3052, "L'aide de Typarium ne peut pas être affichée : le visualiseur d'aide de Windows (%s) est absent ou ne démarre pas."},
    {3101, "Le fichier '%s' existe déjà. Faut-il écraser le fichier existant ?"},
    {3900, "Erreur interne : message d'erreur indéfini pour le numéro d'erreur : %d. Veuillez informer Orvane Media de cette erreur."},
    {3910, "Erreur interne : message de retour indéfini pour le numéro de retour : %d. Veuillez informer Orvane Media de cette erreur."},
    {4010, "Version %s - "},
    {5010, "Vous êtes sur le point de supprimer une ou plusieurs polices standard du système, telles que Arial, Times New Roman ou Courier. Si vous poursuivez votre démarche, les fonctionnalités de certains programmes pourrait en être affectées.\n\nSouhaitez-vous réellement poursuivre ?"},
    {5011, "Confirmer la suppression"},
    {5020, "Etes-vous sûr de vouloir supprimer %d police(s) et\nplacer dans la Corbeille %d fichier(s) de polices ?"},
    {5030, "Etes-vous sûr de vouloir supprimer le groupe '%s' \net de placer dans la Corbeille %d des fichiers qu'il contient ?"},
    {5031, "Avertissement !"},
    {5032, "A votre système il y a installer déjà %d polices. Just vouz voulez installer additionelles %d polices.\n\nQuand vouz continuer, ce possible que ne peut pas tous les polices être affichée.\n\nSouhaitez-vous poursuivre à vous risque ?"},
};

constexpr bool IsSortedById()
{
    for (std::size_t i = 1; i < std::size(kMessages); ++i)
        if (kMessages[i - 1].id >= kMessages[i].id) return false;
    return true;
}
static_assert(IsSortedById(), "the message table must stay sorted by number for the binary search");

// One locale string as ANSI text. Read through the wide call because newer Windows versions give
// French the narrow no-break space U+202F as thousands separator, which CP1252 lacks; it would
// arrive as "?". Any space-like character becomes the no-break space A0 instead.
std::string LocaleText(LCTYPE type, const char* fallback)
{
    wchar_t wide[16] = {};
    if (GetLocaleInfoW(LOCALE_USER_DEFAULT, type, wide, static_cast<int>(std::size(wide))) <= 0)
        return fallback;
    std::string out;
    for (const wchar_t* p = wide; *p; ++p) {
        wchar_t c = *p;
        if (c == 0x00A0 || c == 0x202F || (c >= 0x2000 && c <= 0x200A)) {
            out += '\xA0';
            continue;
        }
        char bytes[4];
        BOOL usedDefault = FALSE;
        int n = WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, &c, 1, bytes, sizeof bytes, nullptr,
                                    &usedDefault);
        if (n > 0 && !usedDefault) out.append(bytes, static_cast<std::size_t>(n));
    }
    return out.empty() ? std::string(fallback) : out;
}

UINT LocaleNumber(LCTYPE type, UINT fallback, UINT maximum)
{
    char text[8] = {};
    if (GetLocaleInfoA(LOCALE_USER_DEFAULT, type, text, sizeof text) <= 0) return fallback;
    if (text[0] < '0' || text[0] > '9') return fallback;
    UINT v = static_cast<UINT>(std::atoi(text));
    return v <= maximum ? v : fallback;
}

// Digits with a plain "." decimal point, the form GetNumberFormatA takes.
std::string PlainDigits(double value, int decimals)
{
    char buf[400];
    std::snprintf(buf, sizeof buf, "%.*f", decimals, value);
    std::string s = buf;
    // A value that rounds to zero shows no minus sign.
    if (s[0] == '-' && s.find_first_of("123456789") == std::string::npos) s.erase(0, 1);
    return s;
}

std::string Pad(std::string s, int width, bool left)
{
    if (width > 0 && static_cast<int>(s.size()) < width) {
        std::string fill(static_cast<std::size_t>(width) - s.size(), ' ');
        s = left ? s + fill : fill + s;
    }
    return s;
}

std::string IntegerText(long long v, int minDigits)
{
    bool negative = v < 0;
    unsigned long long magnitude = negative ? 0ull - static_cast<unsigned long long>(v)
                                            : static_cast<unsigned long long>(v);
    std::string digits = std::to_string(magnitude);
    if (minDigits > 0 && static_cast<int>(digits.size()) < minDigits)
        digits.insert(0, static_cast<std::size_t>(minDigits) - digits.size(), '0');
    return negative ? "-" + digits : digits;
}

} // namespace

std::string MsgArg::AsString() const
{
    switch (m_kind) {
    case Kind::String: return m_text;
    case Kind::Integer: return std::to_string(m_int);
    case Kind::Number: {
        char buf[64];
        std::snprintf(buf, sizeof buf, "%.15g", m_number);
        return buf;
    }
    }
    return {};
}

long long MsgArg::AsInteger() const noexcept
{
    switch (m_kind) {
    case Kind::String: return 0;
    case Kind::Integer: return m_int;
    case Kind::Number:
        // Truncated like a cast, but without the undefined behaviour of NaN or huge values.
        if (!(m_number > -9.2e18 && m_number < 9.2e18)) return 0;
        return static_cast<long long>(m_number);
    }
    return 0;
}

double MsgArg::AsNumber() const noexcept
{
    switch (m_kind) {
    case Kind::String: return 0.0;
    case Kind::Integer: return static_cast<double>(m_int);
    case Kind::Number: return m_number;
    }
    return 0.0;
}

std::string LoadMessage(int id)
{
    auto it = std::lower_bound(std::begin(kMessages), std::end(kMessages), id,
                               [](const MessageEntry& e, int n) { return e.id < n; });
    if (it == std::end(kMessages) || it->id != id) return {};
    return it->text;
}

std::string FormatNumber(double value, int decimals)
{
    decimals = std::clamp(decimals, 0, 9); // NUMBERFMT takes at most nine
    if (std::isnan(value)) return "NaN";
    if (std::isinf(value)) return value > 0 ? "INF" : "-INF";

    const std::string digits = PlainDigits(value, decimals);
    std::string decimalSep = LocaleText(LOCALE_SDECIMAL, ",");
    std::string thousandSep = LocaleText(LOCALE_STHOUSAND, "\xA0");

    // Our own NUMBERFMT with Grouping 3: Wine's reading of the locale's grouping groups only the
    // first three digits ("1234 567,0").
    NUMBERFMTA fmt{};
    fmt.NumDigits = static_cast<UINT>(decimals);
    fmt.LeadingZero = LocaleNumber(LOCALE_ILZERO, 1, 1);
    fmt.Grouping = 3;
    fmt.lpDecimalSep = decimalSep.data();
    fmt.lpThousandSep = thousandSep.data();
    fmt.NegativeOrder = LocaleNumber(LOCALE_INEGNUMBER, 1, 4);

    int size = GetNumberFormatA(LOCALE_USER_DEFAULT, 0, digits.c_str(), &fmt, nullptr, 0);
    if (size > 0) {
        std::string out(static_cast<std::size_t>(size), '\0');
        size = GetNumberFormatA(LOCALE_USER_DEFAULT, 0, digits.c_str(), &fmt, out.data(), size);
        if (size > 0) {
            out.resize(static_cast<std::size_t>(size) - 1);
            return out;
        }
    }

    // The system refused: group by hand, minus sign in front.
    std::string whole = digits, fraction;
    bool negative = !whole.empty() && whole[0] == '-';
    if (negative) whole.erase(0, 1);
    if (auto dot = whole.find('.'); dot != std::string::npos) {
        fraction = whole.substr(dot + 1);
        whole.erase(dot);
    }
    std::string grouped;
    for (std::size_t i = 0; i < whole.size(); ++i) {
        if (i > 0 && (whole.size() - i) % 3 == 0) grouped += thousandSep;
        grouped += whole[i];
    }
    return (negative ? "-" : "") + grouped + (fraction.empty() ? "" : decimalSep + fraction);
}

std::string FormatPattern(const std::string& pattern, std::initializer_list<MsgArg> args)
{
    std::string out;
    out.reserve(pattern.size() + 32);
    const MsgArg* next = args.begin();
    const MsgArg* const end = args.end();
    const MsgArg missingText{""};

    std::size_t i = 0;
    while (i < pattern.size()) {
        char c = pattern[i];
        if (c != '%') {
            out += c;
            ++i;
            continue;
        }
        if (i + 1 < pattern.size() && pattern[i + 1] == '%') {
            out += '%';
            i += 2;
            continue;
        }

        // %[-][width][.precision]type
        std::size_t p = i + 1;
        bool left = false;
        if (p < pattern.size() && pattern[p] == '-') {
            left = true;
            ++p;
        }
        auto readNumber = [&](int& into) {
            bool any = false;
            while (p < pattern.size() && pattern[p] >= '0' && pattern[p] <= '9') {
                into = std::min(into * 10 + (pattern[p] - '0'), 10000); // no absurd widths
                ++p;
                any = true;
            }
            return any;
        };
        int width = 0, precision = -1;
        readNumber(width);
        if (p < pattern.size() && pattern[p] == '.') {
            ++p;
            precision = 0;
            readNumber(precision);
        }
        if (p >= pattern.size()) { // a dangling "%..." at the end stays as it is
            out.append(pattern, i, std::string::npos);
            break;
        }
        char type = static_cast<char>(pattern[p] | 0x20); // %D as %d
        if (type != 's' && type != 'd' && type != 'u' && type != 'x' && type != 'f' && type != 'n') {
            out.append(pattern, i, p + 1 - i);
            i = p + 1;
            continue;
        }
        const MsgArg& arg = next != end ? *next++ : missingText;

        std::string piece;
        switch (type) {
        case 's':
            piece = arg.AsString();
            if (precision >= 0 && piece.size() > static_cast<std::size_t>(precision))
                piece.resize(static_cast<std::size_t>(precision));
            break;
        case 'd': piece = IntegerText(arg.AsInteger(), precision); break;
        case 'u':
            piece = std::to_string(static_cast<unsigned long long>(arg.AsInteger()));
            if (precision > 0 && static_cast<int>(piece.size()) < precision)
                piece.insert(0, static_cast<std::size_t>(precision) - piece.size(), '0');
            break;
        case 'x': {
            auto v = static_cast<unsigned long long>(arg.AsInteger());
            do {
                piece.insert(piece.begin(), "0123456789ABCDEF"[v & 15]);
                v >>= 4;
            } while (v);
            if (precision > 0 && static_cast<int>(piece.size()) < precision)
                piece.insert(0, static_cast<std::size_t>(precision) - piece.size(), '0');
            break;
        }
        case 'f': {
            int decimals = std::clamp(precision < 0 ? 2 : precision, 0, 18);
            double v = arg.AsNumber();
            piece = std::isfinite(v) ? PlainDigits(v, decimals) : FormatNumber(v, decimals);
            if (auto dot = piece.find('.'); dot != std::string::npos)
                piece.replace(dot, 1, LocaleText(LOCALE_SDECIMAL, ","));
            break;
        }
        case 'n': piece = FormatNumber(arg.AsNumber(), precision < 0 ? 2 : precision); break;
        }
        out += Pad(std::move(piece), width, left);
        i = p + 1;
    }
    return out;
}

std::string FormatMessage(int id, std::initializer_list<MsgArg> args)
{
    std::string pattern = LoadMessage(id);
    if (pattern.empty()) return {};
    return FormatPattern(pattern, args);
}

} // namespace typa
