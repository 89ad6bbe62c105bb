#include "fonts/FontFiles.h"

#include "platform/CodePage.h"

#include <unordered_set>

namespace typa {
namespace {

const std::string kTrueTypeSuffix = " (TrueType)";
const std::string kOpenTypeSuffix = " (OpenType)";
const std::string kFaceSeparator = " & ";

// The extension of a name's last component, upper-cased (ASCII), with its dot; "" when none.
std::string UpperExtension(const std::string& name)
{
    const auto dot = name.find_last_of('.');
    const auto sep = name.find_last_of("\\:");
    if (dot == std::string::npos || (sep != std::string::npos && dot < sep)) return {};
    std::string ext = name.substr(dot);
    for (char& c : ext)
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    return ext;
}

std::string LastComponent(const std::string& path)
{
    const auto pos = path.find_last_of("\\:");
    return pos == std::string::npos ? path : path.substr(pos + 1);
}

} // namespace

bool IsFontFileName(const std::string& name)
{
    const std::string ext = UpperExtension(name);
    return ext == ".TTF" || ext == ".OTF" || ext == ".TTC" || ext == ".OTC";
}

bool IsCollectionFileName(const std::string& name)
{
    const std::string ext = UpperExtension(name);
    return ext == ".TTC" || ext == ".OTC";
}

std::string WithoutTypeSuffix(const std::string& valueName)
{
    std::string name = valueName;
    auto p = name.find(kTrueTypeSuffix);
    if (p != std::string::npos) return name.erase(p, kTrueTypeSuffix.size());
    p = name.find(kOpenTypeSuffix);
    if (p != std::string::npos) name.erase(p, kOpenTypeSuffix.size());
    return name;
}

std::vector<std::string> FaceNamesOfValue(const std::string& name, bool collection)
{
    if (!collection) return {name};
    std::vector<std::string> faces;
    std::size_t from = 0;
    for (;;) {
        const auto at = name.find(kFaceSeparator, from);
        std::string face = name.substr(from, at == std::string::npos ? std::string::npos : at - from);
        if (!face.empty()) faces.push_back(std::move(face));
        if (at == std::string::npos) break;
        from = at + kFaceSeparator.size();
    }
    if (faces.empty()) faces.push_back(name);
    return faces;
}

std::string SystemValueName(const std::vector<std::string>& faceNames)
{
    std::string name;
    for (const std::string& face : faceNames) {
        if (!name.empty()) name += kFaceSeparator;
        name += face;
    }
    return name + kTrueTypeSuffix;
}

std::string SystemValueName(const TToShowItem& item) { return SystemValueName(FaceNamesOfFile(item)); }

const void* FileKey(const TToShowItem& item)
{
    return item.File ? static_cast<const void*>(item.File.get()) : static_cast<const void*>(&item);
}

std::vector<std::string> FaceNamesOfFile(const TToShowItem& item)
{
    if (!item.File || item.File->Faces.size() <= 1) return {item.Name};
    std::vector<std::string> names;
    for (const TFontFile::Face& face : item.File->Faces) names.push_back(face.name);
    return names;
}

int CountFiles(const std::vector<TToShowItem*>& items)
{
    std::unordered_set<const void*> files;
    for (const TToShowItem* item : items)
        if (item) files.insert(FileKey(*item));
    return static_cast<int>(files.size());
}

std::vector<TToShowItem*> FacesOfFiles(const FontCatalogue& catalogue, const std::vector<TToShowItem*>& items)
{
    std::unordered_set<const void*> files;
    for (const TToShowItem* item : items)
        if (item) files.insert(FileKey(*item));
    std::vector<TToShowItem*> faces;
    for (int i = 0; i < catalogue.Count(); ++i) {
        TToShowItem* item = catalogue.Item(i);
        if (files.count(FileKey(*item))) faces.push_back(item);
    }
    return faces;
}

std::string InstallFileName(const TToShowItem& item)
{
    const std::string own = LastComponent(item.FileName);
    if (!cp::HasLostCharacters(own)) return own;
    // Characters a file name cannot hold, and those lost already, become "_".
    std::string name;
    for (char c : item.Name) {
        const bool bad = static_cast<unsigned char>(c) < 0x20 || std::string("\\/:*?\"<>|").find(c) != std::string::npos;
        name += bad ? '_' : c;
    }
    while (!name.empty() && (name.back() == '.' || name.back() == ' ')) name.pop_back();
    if (name.empty()) name = "Police";
    std::string ext = UpperExtension(own);
    for (char& c : ext) c = static_cast<char>(c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c);
    return name + ext;
}

} // namespace typa
