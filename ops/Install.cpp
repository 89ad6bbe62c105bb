#include "ops/Install.h"

#include "app/ErrorBox.h"
#include "app/Messages.h"
#include "app/RunUi.h"
#include "app/Settings.h"
#include "fonts/FontFiles.h"
#include "fonts/InstalledFonts.h"
#include "fonts/NameCompare.h"
#include "platform/Files.h"
#include "platform/FontPlaces.h"
#include "platform/GdiFonts.h"
#include "platform/Registry.h"
#include "platform/Shell.h"
#include "platform/System.h"

#include <cstdint>
#include <optional>
#include <unordered_set>
#include <vector>

namespace typa {
namespace {

constexpr int kFontWarningLimit = 750;
constexpr int kMsgInstalledForUser = 3043;

// Errors of a batch: an error box with Yes and No; true when the user wants to go on.
bool GoOn(int message, const std::string& argument)
{
    return ShowMessageBox(FormatMessage(message, {argument}), MsgKind::Error, MsgButton::Yes | MsgButton::No) ==
           MsgResult::Yes;
}

FileOutcome SkipOrStop(int message, const std::string& argument)
{
    return GoOn(message, argument) ? FileOutcome::Skipped : FileOutcome::Stop;
}

// Free bytes of the drive named by the first letter of the folder (the Windows directory's, or
// the user's fonts folder's); -1 when the system cannot tell.
std::int64_t DriveFree(const std::string& folder)
{
    if (folder.empty()) return -1;
    char letter = folder[0];
    if (letter >= 'a' && letter <= 'z') letter = static_cast<char>(letter - 'a' + 'A');
    std::uint64_t bytes = 0;
    if (!files::DiskFreeBytes(std::string(1, letter) + ":\\", bytes)) return -1;
    return bytes > static_cast<std::uint64_t>(INT64_MAX) ? INT64_MAX : static_cast<std::int64_t>(bytes);
}

// Puts a moved-aside file back; when even that fails, the file stays where it was put aside
// (under its temporary name) rather than being lost.
void PutBack(files::TemporaryFile& aside, const std::string& dest)
{
    if (files::MoveOver(aside.Path(), dest) != 0) aside.Keep();
}

} // namespace

std::string StoredGroupName(const std::string& groupName)
{
    return groupName == LoadMessage(1091) ? std::string() : groupName;
}

std::string BareFileName(const std::string& fileName)
{
    auto pos = fileName.find_last_of("\\:");
    return pos == std::string::npos ? fileName : fileName.substr(pos + 1);
}

std::string AsciiUpper(std::string s)
{
    for (char& c : s)
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    return s;
}

FileOutcome InstallFontFile(const TToShowItem& font, const std::string& rowText, const std::string& group,
                            const std::string& windowsDir, bool& overwriteAll, const std::function<void()>& beforeLoad)
{
    return InstallFontFile(font, rowText, group, InstallTarget{fontplaces::SystemFontsFolder(windowsDir), false},
                           overwriteAll, beforeLoad);
}

FileOutcome InstallFontFile(const TToShowItem& font, const std::string& rowText, const std::string& group,
                            const InstallTarget& target, bool& overwriteAll, const std::function<void()>& beforeLoad)
{
    const std::string bare = InstallFileName(font);
    const std::string& folder = target.folder;
    const std::string dest = folder + "\\" + bare;

    // An existing file of that name: an empty one is replaced without a word, any other only
    // when the user agrees.
    bool replacing = false;
    files::Entry existing;
    if (files::FindEntry(dest, existing)) {
        if (existing.size == 0) {
            files::SetAttributes(dest, FILE_ATTRIBUTE_NORMAL);
        } else {
            if (!overwriteAll) {
                MsgResult answer = AskQuestion(1, dest, {}, MsgButton::Yes | MsgButton::No | MsgButton::All);
                if (answer == MsgResult::No || answer == MsgResult::Cancel) return FileOutcome::Skipped;
                if (answer == MsgResult::All) overwriteAll = true;
            }
            if (files::SetAttributes(dest, FILE_ATTRIBUTE_NORMAL) != 0 && !GoOn(3004, dest)) return FileOutcome::Stop;
            replacing = true;
        }
    }

    if (DriveFree(folder) < static_cast<std::int64_t>(font.Size)) return SkipOrStop(3019, font.FileName);

    // The whole copy first, under a name of its own beside the destination.
    files::TemporaryFile copy(folder);
    if (copy.Path().empty() || files::CopyOver(font.Path, copy.Path()) != 0) return SkipOrStop(3005, font.FileName);

    // The old file steps aside only now, and stays at hand until the new one is loaded.
    std::optional<files::TemporaryFile> aside;
    if (replacing) {
        aside.emplace(folder);
        if (aside->Path().empty() || files::MoveOver(dest, aside->Path()) != 0) {
            if (!GoOn(3004, dest)) return FileOutcome::Stop;
            return FileOutcome::Skipped; // the old file is untouched, and the new one has no place
        }
    }
    if (files::MoveOver(copy.Path(), dest) != 0) {
        if (aside) PutBack(*aside, dest);
        return SkipOrStop(3005, font.FileName);
    }
    copy.Keep();

    if (beforeLoad) beforeLoad();
    // The system finds a file of its fonts folder by its name; a user's font only by its path.
    if (!gdi::AddFontResourceFile(target.forUser ? dest : bare)) {
        files::SetAttributes(dest, FILE_ATTRIBUTE_NORMAL);
        files::Remove(dest);
        if (aside) PutBack(*aside, dest);
        return SkipOrStop(3007, bare);
    }
    // Loaded: the old file, if any, goes with `aside`. One value names every face of the file.
    if (target.forUser)
        WriteUserFont(SystemValueName(font), dest);
    else
        WriteSystemFont(SystemValueName(font), AsciiUpper(bare));
    // Each face joins the group, under the name the installed side will show ("Essai Standard"
    // shows as "Essai" once the family "Essai" is installed), or the next reading would not find it.
    std::vector<std::pair<std::string, std::string>> records;
    if (!font.File || font.File->Faces.size() <= 1) {
        records.emplace_back(InstalledFontName(rowText + " (TrueType)", font.Family), group);
    } else {
        for (const TFontFile::Face& face : font.File->Faces)
            records.emplace_back(InstalledFontName(face.name + " (TrueType)", face.family), group);
    }
    reg::WriteStrings(HKEY_CURRENT_USER, settings::kFontsKey, records);
    return FileOutcome::Installed;
}

void InstallSelectedFonts(const InstallSource& source, std::string groupName, RunUi& ui)
{
    FontRows& list = *source.availableList;
    auto wanted = [&](int row) {
        if (!list.Selected(row)) return false;
        TToShowItem* item = list.Item(row);
        return item && !item->Installed;
    };

    // Without the right to write the system font key, a user of Windows 10 version 1809 or later
    // installs for themself alone; on older systems there is nothing to do without it.
    InstallTarget target{fontplaces::SystemFontsFolder(source.windowsDir), false};
    if (sys::GetOsVersion().platformId == VER_PLATFORM_WIN32_NT && !fontplaces::MayWriteSystemFonts(SystemFontKey())) {
        if (!fontplaces::UserFontsSupported()) {
            ShowError(23, {});
            return;
        }
        target = InstallTarget{fontplaces::UserFontsFolder(), true};
    }

    // A collection is one file: whichever of its faces are chosen, the file goes in once with
    // every face it holds, and so do the counts.
    std::unordered_set<const void*> files;
    int total = 0, faces = 0;
    for (int row = list.Count() - 1; row >= 0; --row) {
        if (!wanted(row)) continue;
        const TToShowItem& item = *list.Item(row);
        if (!files.insert(FileKey(item)).second) continue;
        ++total;
        faces += static_cast<int>(FaceNamesOfFile(item).size());
    }
    if (source.installedCount + faces > kFontWarningLimit &&
        !ui.ConfirmManyFonts(LoadMessage(5031), FormatMessage(5032, {source.installedCount, faces})))
        return;

    if (target.forUser) {
        ShowMessageBox(LoadMessage(kMsgInstalledForUser), MsgKind::Information, MsgButton::OK);
        if (!fontplaces::MakeUserFontsFolder(target.folder)) target.folder.clear(); // every copy then says so
    }

    SetCursor(LoadCursor(nullptr, IDC_WAIT));
    groupName = StoredGroupName(groupName);
    {
        const std::unique_ptr<RunProgress> progress = ui.NewProgress();
        progress->Open(LoadMessage(1043));
        int done = 0;
        bool overwriteAll = false, stopped = false;
        std::unordered_set<const void*> handled;
        for (int row = list.Count() - 1; row >= 0 && !stopped; --row) {
            if (!wanted(row)) continue;
            const std::string text = list.Text(row);
            for (int i = 0; i < source.available->Count() && !stopped; ++i) {
                const TToShowItem& font = *source.available->Item(i);
                if (font.Name != text) continue;
                if (!handled.insert(FileKey(font)).second) continue; // its file went in with another face
                ++done;
                progress->Step(total > 0 ? std::min(done * 100 / total, 100) : 100,
                               FormatMessage(1044, {LowerCase(InstallFileName(font))}));
                if (progress->Cancelled()) {
                    stopped = true;
                    break;
                }
                stopped = InstallFontFile(font, text, groupName, target, overwriteAll, source.unloadPreviewResources) ==
                          FileOutcome::Stop;
            }
            if (stopped) break;
            if (source.unloadPreviewResources) source.unloadPreviewResources();
            list.Remove(row);
        }
        SetCursor(LoadCursor(nullptr, IDC_ARROW));
    }
    shell::BroadcastFontChange();
}

} // namespace typa
