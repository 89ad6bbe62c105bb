#include "fonts/InstalledFonts.h"

#include "app/Errors.h"
#include "app/Messages.h"
#include "app/Settings.h"
#include "fonts/FontFiles.h"
#include "fonts/NameCompare.h"
#include "platform/Files.h"
#include "platform/FontPlaces.h"
#include "platform/GdiFonts.h"
#include "platform/Handles.h"
#include "platform/Registry.h"
#include "platform/System.h"

#include <cmath>
#include <unordered_map>
#include <unordered_set>

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

std::vector<std::unique_ptr<TToShowItem>> ItemsOfFile(const std::shared_ptr<TFontFile>& file)
{
    std::vector<std::unique_ptr<TToShowItem>> items;
    items.reserve(file->Faces.size());
    const std::string fileName = DisplayFileName(file->Data);
    for (std::size_t i = 0; i < file->Faces.size(); ++i) {
        const TFontFile::Face& face = file->Faces[i];
        auto item = std::make_unique<TToShowItem>();
        item->Name = face.name;
        item->StandardStripped = face.standardStripped;
        item->Family = face.family;
        item->LogFont = face.logFont;
        item->FileName = fileName;
        item->Path = file->Data;
        item->ValueName = file->ValueName;
        item->ForUser = file->ForUser;
        item->File = file;
        item->FaceIndex = static_cast<int>(i);
        items.push_back(std::move(item));
    }
    return items;
}

std::shared_ptr<TFontFile> FileFromSystemFont(const std::string& valueName, const std::string& data,
                                              const NameList& familyNames)
{
    if (Extension(data) == ".FON") return nullptr;
    auto file = std::make_shared<TFontFile>();
    file->Collection = IsCollectionFileName(data);
    file->ValueName = valueName;
    file->Data = data;
    const auto isFamily = [&](const std::string& family) { return familyNames.Contains(family); };
    for (const std::string& name : FaceNamesOfValue(WithoutTypeSuffix(valueName), file->Collection)) {
        TFontFile::Face face;
        face.name = InstalledFaceName(name, isFamily, &face.standardStripped);
        face.family = "*";
        file->Faces.push_back(std::move(face));
    }
    return file;
}

std::vector<std::unique_ptr<TToShowItem>> ItemsFromSystemFont(const std::string& valueName, const std::string& data,
                                                              const NameList& familyNames)
{
    auto file = FileFromSystemFont(valueName, data, familyNames);
    return file ? ItemsOfFile(file) : std::vector<std::unique_ptr<TToShowItem>>{};
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
        // What the build learnt goes with the file, for the next build.
        if (item->File && item->FaceIndex >= 0 && item->FaceIndex < static_cast<int>(item->File->Faces.size())) {
            TFontFile::Face& face = item->File->Faces[static_cast<std::size_t>(item->FaceIndex)];
            face.family = item->Family;
            face.logFont = item->LogFont;
        }
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

namespace {

struct SystemValue {
    bool forUser;
    std::string name;
    std::string data;
};

// Every value of the system's font key, then of the user's own, in the registry's order.
std::vector<SystemValue> ReadSystemValues()
{
    std::vector<SystemValue> all;
    for (const bool forUser : {false, true}) {
        reg::NamesAndData values = forUser ? reg::ReadAllValues(HKEY_CURRENT_USER, fontplaces::kUserFontKey)
                                           : reg::ReadAllValues(HKEY_LOCAL_MACHINE, SystemFontKey());
        all.reserve(all.size() + values.names.size());
        for (std::size_t i = 0; i < values.names.size(); ++i)
            all.push_back({forUser, std::move(values.names[i]), std::move(values.data[i])});
    }
    return all;
}

} // namespace

void AddSystemFonts(const NameList& familyNames, FontCatalogue& installed)
{
    // Every user's fonts, then the user's own: a name in both is two fonts, each with its key.
    for (const SystemValue& v : ReadSystemValues()) {
        for (auto& item : ItemsFromSystemFont(v.name, v.data, familyNames)) {
            item->ForUser = item->File->ForUser = v.forUser;
            std::string name = item->Name;
            installed.Add(name, item);
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

namespace {

bool HasFolder(const std::string& data) { return data.find_first_of("\\:") != std::string::npos; }

FileStamp StampOf(const std::string& data, const InstalledSources& sources)
{
    FileStamp stamp;
    if (!HasFolder(data) && sources.fontsFolder) {
        auto it = sources.fontsFolder->find(UpperCase(data));
        if (it != sources.fontsFolder->end()) stamp = it->second;
        return stamp;
    }
    const std::string path = HasFolder(data) ? data : sources.fontsDir + "\\" + data;
    files::Stamp(path, stamp.size, stamp.time);
    return stamp;
}

// The families a face of that full name may belong to: every family among `families` whose
// name is the full name, or the part of it before one of its blanks ("Foo Bold Italic" may be
// of "Foo Bold Italic", "Foo Bold" or "Foo"), longest first.
std::vector<std::string> CandidateFamilies(const std::string& fullName, const NameList& families)
{
    std::vector<std::string> candidates;
    std::size_t end = fullName.size();
    while (end > 0) {
        const int at = families.IndexOf(fullName.substr(0, end));
        if (at >= 0) candidates.push_back(families[at]);
        const std::size_t blank = fullName.find_last_of(' ', end - 1);
        if (blank == std::string::npos) break;
        end = blank;
    }
    return candidates;
}

} // namespace

void BuildInstalledCatalogue(HDC dc, NameList& familyNames, FontCatalogue& installed,
                             const std::function<void(int)>& progress, const InstalledSources& sources)
{
    // What earlier builds learnt of a value stands while its name, its data and its file stay as
    // they were; the system is asked only about the others.
    const std::vector<SystemValue> values = ReadSystemValues();
    std::vector<std::shared_ptr<TFontFile>> files(values.size());
    const std::size_t remembered = sources.memory ? sources.memory->Count() : 0;
    std::unordered_set<const TFontFile*> newFiles;
    bool anyNew = false;
    for (std::size_t i = 0; i < values.size(); ++i) {
        const SystemValue& v = values[i];
        if (Extension(v.data) == ".FON") continue;
        if (sources.memory) files[i] = sources.memory->Recall(v.forUser, v.name, v.data, StampOf(v.data, sources));
        anyNew = anyNew || !files[i];
    }
    if (anyNew || !sources.memory) ReadTrueTypeFamilies(dc, familyNames);
    for (std::size_t i = 0; i < values.size(); ++i) {
        if (files[i]) continue;
        const SystemValue& v = values[i];
        files[i] = FileFromSystemFont(v.name, v.data, familyNames);
        if (!files[i]) continue;
        newFiles.insert(files[i].get());
        files[i]->ForUser = v.forUser;
        files[i]->Stamp = StampOf(v.data, sources);
    }
    std::vector<std::shared_ptr<TFontFile>> kept;
    kept.reserve(values.size());
    for (const auto& file : files) {
        if (!file) continue;
        kept.push_back(file);
        for (auto& item : ItemsOfFile(file)) {
            std::string name = item->Name;
            installed.Add(name, item);
        }
    }
    if (progress) progress(5);

    // The faces no build has found yet. Without anything remembered, every family is asked for
    // its faces. Otherwise only the families the new faces belong to, as the system names them
    // for their full names (the name a face is matched by), and those whose names begin theirs;
    // every family after all when they are many. A face the system does not have (a value whose
    // file another program has not loaded, or a name no face bears) is not sought in every
    // family: its own full name would have found it there. A face already known and never found
    // is asked about again only when something is new.
    const bool learnAll = !sources.memory || remembered == 0;
    std::vector<const TToShowItem*> unknown;
    if (anyNew || learnAll) {
        for (int i = 0; i < installed.Count(); ++i) {
            const TToShowItem* item = installed.Item(i);
            if (item->Family != "*") continue;
            unknown.push_back(item);
        }
    }
    if (!unknown.empty()) {
        bool allFamilies = learnAll;
        if (!allFamilies) {
            std::vector<std::string> asked;
            std::unordered_set<std::string> seen;
            auto ask = [&](const std::string& family) {
                if (!family.empty() && seen.insert(family).second) asked.push_back(family);
            };
            for (const TToShowItem* item : unknown) {
                std::string family, full;
                if (newFiles.count(item->File.get()) && gdi::FaceNames(dc, item->Name, family, full)) ask(family);
                for (const std::string& candidate : CandidateFamilies(item->Name, familyNames)) ask(candidate);
            }
            allFamilies = asked.size() * 2 > static_cast<std::size_t>(familyNames.Count());
            if (!allFamilies) {
                if (sources.stats) sources.stats->familiesAsked = static_cast<int>(asked.size());
                FamilyPassState state{nullptr, &installed, {}};
                for (const std::string& family : asked) {
                    state.currentFamily = family.substr(0, 64);
                    gdi::EnumFamilies(dc, family.c_str(), [&](const ENUMLOGFONTA& f, const NEWTEXTMETRICA& m, DWORD type) {
                        FamilyPassCallback(1, f, m, type, state);
                        return true;
                    });
                }
            }
        }
        if (allFamilies) ReadFacesOfFamilies(dc, familyNames, installed, progress);
        if (allFamilies && sources.stats) {
            sources.stats->everyFamily = true;
            sources.stats->familiesAsked = familyNames.Count();
        }
    }
    if (sources.stats) {
        sources.stats->learnt = static_cast<int>(newFiles.size());
        sources.stats->remembered = static_cast<int>(kept.size() - newFiles.size());
    }
    if (sources.memory) sources.memory->Keep(kept);
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
