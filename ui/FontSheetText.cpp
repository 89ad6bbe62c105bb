#include "ui/FontSheetText.h"

#include "app/Messages.h"

#include <algorithm>

namespace typa {
namespace {

using ttf::NameText;
using ttf::Presence;

// A line "Label : value", the value "illisible" or the label's own word for nothing said.
std::string Line(const char* label, const NameText& text, const char* absent)
{
    std::string value = text.presence == Presence::Present ? text.text
                        : text.presence == Presence::Unreadable ? kUnreadable
                                                                 : absent;
    return std::string(label) + " : " + value + "\r\n";
}

std::string Line(const char* label, const std::string& value) { return std::string(label) + " : " + value + "\r\n"; }

std::string Number(double value) { return FormatNumber(value, 0); }

std::string FolderOf(const std::string& path)
{
    const auto slash = path.find_last_of("\\:");
    return slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
}

} // namespace

SheetTexts BuildSheetTexts(const SheetFont& font, const ttf::FontDetails& d)
{
    SheetTexts t;
    t.caption = font.name + " - Typarium";

    NameText family = d.family;
    if (family.presence != Presence::Present && !font.family.empty() && font.family != "*")
        family = {Presence::Present, font.family};
    t.header = font.name + "\r\n";
    t.header += Line("Famille", family, "non indiquée");
    t.header += Line("Style", d.subfamily, "non indiqué");
    t.header += Line("Fichier", font.fileName);
    if (d.faceCount > 1 || !font.otherFaces.empty()) {
        const unsigned count = std::max<unsigned>(d.faceCount, static_cast<unsigned>(font.otherFaces.size() + 1));
        t.header += Line("Collection", "police " + std::to_string(font.faceIndex + 1) + " sur " + std::to_string(count));
        std::string others;
        for (const std::string& face : font.otherFaces) others += (others.empty() ? "" : ", ") + face;
        if (!others.empty()) t.header += Line("Autres polices du fichier", others);
    }
    t.header += Line("Dossier", FolderOf(font.path));
    t.header += Line("Taille", font.size >= 0 ? Number(static_cast<double>(font.size)) + " octets" : "inconnue");
    if (!font.installed)
        t.header += Line("Installée", std::string("non"));
    else if (font.group.empty())
        t.header += Line("Installée", std::string("oui, parmi les 'Polices Windows'"));
    else
        t.header += Line("Installée", "oui, dans le groupe '" + font.group + "'");
    if (font.installedFor != SheetFont::For::Unknown)
        t.header += Line("Installée pour", std::string(font.installedFor == SheetFont::For::ThisUser ? "cet utilisateur"
                                                                                                     : "tous les utilisateurs"));
    t.header.resize(t.header.size() - 2); // no line break after the last line

    if (d.cmap == Presence::Present)
        t.counts = "Caractères : " + Number(d.characterCount);
    else
        t.counts = std::string("Caractères : ") + (d.cmap == Presence::Unreadable ? kUnreadable : "non indiqués");
    t.counts += " - glyphes : ";
    t.counts += d.maxp == Presence::Present ? Number(d.glyphCount)
                : d.maxp == Presence::Unreadable ? kUnreadable
                                                 : "non indiqués";

    t.info += Line("Version", d.version, "non indiquée");
    t.info += Line("Copyright", d.copyright, "non indiqué");
    t.info += Line("Marque", d.trademark, "non indiquée");
    t.info += Line("Fabricant", d.manufacturer, "non indiqué");
    t.info += Line("Concepteur", d.designer, "non indiqué");
    t.info += Line("Description", d.description, "non indiquée");
    t.info += Line("Licence", d.licence, "non indiquée");
    t.info += Line("Adresse de la licence", d.licenceUrl, "non indiquée");
    if (d.os2 == Presence::Present) {
        t.info += Line("Droits d'incorporation", ttf::EmbeddingRightsText(d.fsType));
        t.info += Line("Graisse", Number(d.weightClass));
        t.info += Line("Largeur", Number(d.widthClass));
    } else {
        const char* what = d.os2 == Presence::Unreadable ? kUnreadable : "non indiqués";
        t.info += Line("Droits d'incorporation", std::string(what));
        t.info += Line("Graisse", std::string(d.os2 == Presence::Unreadable ? kUnreadable : "non indiquée"));
        t.info += Line("Largeur", std::string(d.os2 == Presence::Unreadable ? kUnreadable : "non indiquée"));
    }
    t.info += Line("Contours", std::string(d.outlines == ttf::OutlineKind::TrueType ? "TrueType"
                                           : d.outlines == ttf::OutlineKind::Cff    ? "CFF (PostScript)"
                                                                                     : "inconnus"));
    t.info.resize(t.info.size() - 2);
    return t;
}

} // namespace typa
