#include "fonts/InstalledFonts.h"

#include "app/Errors.h"
#include "app/Messages.h"
#include "app/Settings.h"
#include "fonts/FontFiles.h"
#include "fonts/NameCompare.h"
#include "platform/FontPlaces.h"
#include "platform/GdiFonts.h"
#include "platform/Handles.h"
#include "platform/Registry.h"
#include "platform/System.h"

#include <cmath>
#include <unordered_map>

namespace typa {
namespace {

std::string& ChosenKey()
{
    static std::string key; // chosen once per run, by the platform
    return key;
}

// The extension of the data's last path component, upper-cased, or "".
std::string Extension(const std::string& data)
{
    auto dot = data.find_last_of('.');
    auto sep = data.find_last_of("\\:");
    if (dot == std::string::npos || (sep != std::string::npos && dot < sep)) return {};
    return UpperCase(data.substr(dot));
}

} // namespace

const char* SystemFontKeyFor(DWORD platformId) { return fontplaces::SystemFontKeyFor(platformId); }

void ChooseSystemFontKey(DWORD platformId) { ChosenKey() = SystemFontKeyFor(platformId); }

const std::string& SystemFontKey()
{
    if (ChosenKey().empty()) ChooseSystemFontKey(sys::GetOsVersion().platformId);
    return ChosenKey();
}

std::string ReadSystemFont(const std::string& valueName)
{
    return reg::ReadString(HKEY_LOCAL_MACHINE, SystemFontKey(), valueName, "");
}

bool WriteSystemFont(const std::string& valueName, const std::string& data)
{
    return reg::WriteString(HKEY_LOCAL_MACHINE, SystemFontKey(), valueName, data);
}

bool DeleteSystemFont(const std::string& valueName)
{
    return reg::DeleteValue(HKEY_LOCAL_MACHINE, SystemFontKey(), valueName);
}

bool WriteUserFont(const std::string& valueName, const std::string& fullPath)
{
    return reg::WriteString(HKEY_CURRENT_USER, fontplaces::kUserFontKey, valueName, fullPath);
}

bool DeleteUserFont(const std::string& valueName)
{
    return reg::DeleteValue(HKEY_CURRENT_USER, fontplaces::kUserFontKey, valueName);
}

std::string InstalledFaceName(const std::string& face, const std::function<bool(const std::string&)>& isFamily,
                              bool* standardStripped)
{
    std::string name = face;
    static const std::string kStandard = " Standard";
    auto p = name.find(kStandard);
    const bool strip = p != std::string::npos && isFamily(name.substr(0, p));
    if (strip) name.erase(p, kStandard.size());
    if (standardStripped) *standardStripped = strip;
    return name;
}

std::string InstalledFontName(const std::string& valueName, const std::function<bool(const std::string&)>& isFamily,
                              bool* standardStripped)
{
    return InstalledFaceName(WithoutTypeSuffix(valueName), isFamily, standardStripped);
}

std::string InstalledFontName(const std::string& valueName, const std::string& ownFamily)
{
    WindowDc screen(nullptr);
    return InstalledFontName(valueName, [&](const std::string& family) {
        if (family == ownFamily) return true;
        bool found = false;
        gdi::EnumFamilies(screen.Get(), family.c_str(), [&](const ENUMLOGFONTA& f, const NEWTEXTMETRICA& m, DWORD type) {
            found = IsOutlineFont(f, m, type);
            return !found;
        });
        return found;
    });
}

std::vector<std::unique_ptr<TToShowItem>> ItemsFromSystemFont(const std::string& valueName, const std::string& data,
                                                              const NameList& familyNames)
{
    std::vector<std::unique_ptr<TToShowItem>> items;
    if (Extension(data) == ".FON") return items;
    auto file = std::make_shared<TFontFile>();
    file->Collection = IsCollectionFileName(data);
    const auto isFamily = [&](const std::string& family) { return familyNames.Contains(family); };
    const std::vector<std::string> faces = FaceNamesOfValue(WithoutTypeSuffix(valueName), file->Collection);
    for (std::size_t i = 0; i < faces.size(); ++i) {
        auto item = std::make_unique<TToShowItem>();
        item->Name = InstalledFaceName(faces[i], isFamily, &item->StandardStripped);
        item->Family = "*";
        item->FileName = DisplayFileName(data);
        item->Path = data;
        item->ValueName = valueName;
        item->File = file;
        item->FaceIndex = static_cast<int>(i);
        file->Faces.push_back({item->Name, {}});
        items.push_back(std::move(item));
    }
    return items;
}

bool IsOutlineFont(const ENUMLOGFONTA& font, const NEWTEXTMETRICA& metrics, DWORD fontType)
{
    if (font.elfLogFont.lfFaceName[0] == '@') return false;
    if ((metrics.tmPitchAndFamily & TMPF_TRUETYPE) || (fontType & TRUETYPE_FONTTYPE)) return true;
    // Only an outline font's metrics carry ntmFlags; a bitmap font's stop before them.
    return (fontType & DEVICE_FONTTYPE) && !(fontType & RASTER_FONTTYPE) && (metrics.ntmFlags & NTM_PS_OPENTYPE);
}

void FamilyPassCallback(int pass, const ENUMLOGFONTA& font, const NEWTEXTMETRICA& metrics, DWORD fontType,
                        FamilyPassState& state)
{
    if (pass != 0 && pass != 1) throw EUnexpected(FormatMessage(1010, {pass}));
    if (!IsOutlineFont(font, metrics, fontType)) return;
    if (pass == 0) {
        state.familyNames->Add(font.elfLogFont.lfFaceName);
        return;
    }
    char full[LF_FULLFACESIZE + 1] = {};
    memcpy(full, font.elfFullName, LF_FULLFACESIZE);
    int i = state.installed->IndexOf(full);
    if (i >= 0) {
        TToShowItem* item = state.installed->Item(i);
        item->Family = state.currentFamily;
        item->LogFont = font.elfLogFont;
    }
}

void ReadTrueTypeFamilies(HDC dc, NameList& familyNames)
{
    FamilyPassState state{&familyNames, nullptr, {}};
    familyNames.Clear();
    gdi::EnumFamilies(dc, nullptr, [&](const ENUMLOGFONTA& f, const NEWTEXTMETRICA& m, DWORD type) {
        FamilyPassCallback(0, f, m, type, state);
        return true;
    });
}

void AddSystemFonts(const NameList& familyNames, FontCatalogue& installed)
{
    // Every user's fonts, then the user's own: a name in both is two fonts, each with its key.
    for (const bool forUser : {false, true}) {
        reg::NamesAndData values = forUser ? reg::ReadAllValues(HKEY_CURRENT_USER, fontplaces::kUserFontKey)
                                           : reg::ReadAllValues(HKEY_LOCAL_MACHINE, SystemFontKey());
        for (std::size_t i = 0; i < values.names.size(); ++i) {
            for (auto& item : ItemsFromSystemFont(values.names[i], values.data[i], familyNames)) {
                item->ForUser = forUser;
                std::string name = item->Name;
                installed.Add(name, item);
            }
        }
    }
}

void ReadFacesOfFamilies(HDC dc, const NameList& familyNames, FontCatalogue& installed,
                         const std::function<void(int)>& progress)
{
    FamilyPassState state{nullptr, &installed, {}};
    const int n = familyNames.Count();
    for (int i = 0; i < n; ++i) {
        state.currentFamily = familyNames[i].substr(0, 64);
        gdi::EnumFamilies(dc, familyNames[i].c_str(), [&](const ENUMLOGFONTA& f, const NEWTEXTMETRICA& m, DWORD type) {
            FamilyPassCallback(1, f, m, type, state);
            return true;
        });
        if (i % 20 == 0 && progress) progress(5 + static_cast<int>(std::lround(95.0 * i / n)));
    }
}

void BuildInstalledCatalogue(HDC dc, NameList& familyNames, FontCatalogue& installed,
                             const std::function<void(int)>& progress)
{
    ReadTrueTypeFamilies(dc, familyNames);
    AddSystemFonts(familyNames, installed);
    if (progress) progress(5);
    ReadFacesOfFamilies(dc, familyNames, installed, progress);
    installed.MarkComplete();
    ReadFontGroups(installed);
}

void ReadFontGroups(FontCatalogue& installed)
{
    // One reading of the whole key; a font finds its value as the registry itself would.
    reg::NamesAndData groups = reg::ReadAllValues(HKEY_CURRENT_USER, settings::kFontsKey);
    const reg::ValueNameKeys keyOf;
    std::unordered_map<std::wstring, std::string> byName;
    byName.reserve(groups.names.size());
    for (std::size_t i = 0; i < groups.names.size(); ++i) byName.emplace(keyOf(groups.names[i]), groups.data[i]);
    for (int i = 0; i < installed.Count(); ++i) {
        auto it = byName.find(keyOf(installed.Name(i)));
        installed.Item(i)->Group = it == byName.end() ? std::string() : it->second;
    }
}

bool SaveFontGroups(const FontCatalogue& installed)
{
    // Values of fonts the catalogue lacks are deleted: from anything less than every installed
    // font (a catalogue emptied or being rebuilt) that would lose the groups of all the others.
    if (!installed.Complete()) return false;
    std::vector<std::pair<std::string, std::string>> values;
    values.reserve(installed.Count());
    // Fonts that left the system in this run are no longer installed: their values go.
    for (int i = 0; i < installed.Count(); ++i)
        if (!installed.Item(i)->Removed) values.emplace_back(installed.Name(i), installed.Item(i)->Group);
    // Written in place, only where a group changed; a font's value is never missing meanwhile,
    // so a program ended at any instant leaves every font its old group or its new one.
    return reg::UpdateStrings(HKEY_CURRENT_USER, settings::kFontsKey, values).complete;
}

} // namespace typa
