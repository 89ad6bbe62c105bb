#include "fonts/FolderScan.h"

#include "app/Application.h"
#include "app/ErrorBox.h"
#include "app/RunUi.h"
#include "app/Messages.h"
#include "fonts/FontFiles.h"
#include "fonts/NameCompare.h"
#include "fonts/ReadTrueTypeInfo.h"
#include "platform/CodePage.h"
#include "platform/Files.h"
#include "platform/SystemLanguage.h"

#include <algorithm>
#include <climits>
#include <functional>

namespace typa {

namespace {
// A file whose name the code page cannot hold and that has no short name either.
constexpr int kMsgUnreadableFileName = 3042;
} // namespace

bool IsDriveReady(const std::string& path)
{
    if (path.compare(0, 2, "\\\\") == 0) return true;
    if (path.empty()) return false;
    files::FailCriticalErrors();
    DWORD error = files::ForEachEntry(std::string(1, path[0]) + ":\\*.*", [](const files::Entry&) { return false; });
    return error == 0 || error == ERROR_FILE_NOT_FOUND || error == ERROR_NO_MORE_FILES;
}

int CountFolderFiles(const std::string& folder, const std::string& pattern, DWORD mask)
{
    int count = 0;
    files::ForEachEntry(files::WithBackslash(folder) + pattern, [&](const files::Entry& e) {
        if ((e.attributes & ~mask) == 0 && count < INT_MAX) ++count;
        return true;
    });
    return count;
}

void ReadFontsFolderFiles(const std::string& folder, NameList& list, FolderStamps* stamps)
{
    // Thousands of files: gathered first, sorted once.
    std::vector<std::string> names;
    if (stamps) stamps->clear();
    files::ForEachEntry(files::WithBackslash(folder) + "*.*", [&](const files::Entry& e) {
        if (e.name == "." || e.name == ".." || e.size == 0) return true;
        names.push_back(DisplayFileName(e.name));
        if (stamps) (*stamps)[UpperCase(e.name)] = FileStamp{e.size, e.lastWrite};
        return true;
    });
    list.AddAll(std::move(names));
}

namespace {

// The font files of a folder: every entry whose name ends in a font file's extension, whatever
// its attributes, in the order the system returns them.
DWORD ForEachFontFile(const std::string& folder, const std::function<bool(const files::Entry&)>& callback)
{
    return files::ForEachEntry(folder + "*", [&](const files::Entry& e) { return !IsFontFileName(e.name) || callback(e); });
}

std::unique_ptr<TToShowItem> ItemFromFace(const std::string& folder, const std::string& openName,
                                          const files::Entry& entry, TrueTypeInfo& info,
                                          const std::shared_ptr<TFontFile>& file)
{
    auto item = std::make_unique<TToShowItem>();
    item->Name = info.fullName;
    item->Name.erase(std::remove(item->Name.begin(), item->Name.end(), '\0'), item->Name.end());
    item->FileName = DisplayFileName(entry.name);
    item->Path = LowerCase(folder + openName);
    item->Family = info.family;
    item->Size = static_cast<std::int32_t>(std::min<std::uint64_t>(entry.size, INT32_MAX));
    item->LogFont = info.logFont;
    item->File = file;
    item->FaceIndex = info.faceIndex;
    return item;
}

} // namespace

bool ScanFontFolder(const std::string& folderIn, FontCatalogue& catalogue, RunUi& ui, DWORD* heldMs)
{
    if (heldMs) *heldMs = 0;
    const std::string folder = files::WithBackslash(folderIn);
    int total = 0;
    ForEachFontFile(folder, [&](const files::Entry& e) {
        if ((e.attributes & ~kCountedAttributes) == 0 && total < INT_MAX) ++total;
        return true;
    });
    if (total == 0) return false;

    std::unique_ptr<RunProgress> progress = ui.NewProgress();
    const DWORD shownAt = GetTickCount();
    progress->Open(LoadMessage(1040));
    SetCursor(LoadCursor(nullptr, IDC_ARROW));

    const LANGID language = sys::SystemLanguage();
    bool completed = true;
    long long index = 0; // more than 65,535 entries are read on, not wrapped
    ForEachFontFile(folder, [&](const files::Entry& entry) {
        ++index;
        const std::string lowerName = LowerCase(entry.name);
        progress->QuickStep(static_cast<int>(std::min<long long>(index * 100 / total, 100)),
                            FormatMessage(1041, {lowerName}));
        if (progress->Cancelled()) return completed = false;

        // A name the code page cannot hold is opened by its short name, which it always can.
        std::string openName = entry.name;
        if (cp::HasLostCharacters(entry.name)) {
            if (entry.shortName.empty()) {
                if (ShowMessageBox(FormatMessage(kMsgUnreadableFileName, {lowerName}), MsgKind::Error,
                                   MsgButton::Yes | MsgButton::No) != MsgResult::Yes)
                    return completed = false;
                return true;
            }
            openName = entry.shortName;
        }

        FontFileInfo info;
        TrueTypeOutcome outcome = ReadFontFileInfo(folder + openName, info, language);
        if (outcome == TrueTypeOutcome::StopScan) return completed = false;
        if (outcome != TrueTypeOutcome::Usable) {
            MsgResult answer = ShowMessageBox(FormatMessage(3008, {lowerName}), MsgKind::Error,
                                              MsgButton::Yes | MsgButton::No);
            if (answer != MsgResult::Yes) return completed = false;
            return true;
        }
        auto file = std::make_shared<TFontFile>();
        file->Collection = info.collection;
        for (const TrueTypeInfo& face : info.faces) file->Faces.push_back({face.fullName, face.family});
        for (TrueTypeInfo& face : info.faces) {
            auto item = ItemFromFace(folder, openName, entry, face, file);
            const std::string name = item->Name;
            if (catalogue.Add(name, item) < 0) // the first font of that name keeps its place
                ShowError(18, FormatMessage(1050, {item->Name, item->FileName}));
        }
        return true;
    });

    if (completed) {
        progress->ShowKept(); // the last file and the full bar, for the rest of the wait
        // Two seconds at least, so that the dialog is seen and not just a flash.
        DWORD elapsed = GetTickCount() - shownAt;
        if (elapsed < 2000) {
            const DWORD waitFrom = GetTickCount();
            progress->Hold(2000 - elapsed);
            if (heldMs) *heldMs = GetTickCount() - waitFrom;
        }
    }
    progress.reset();
    if (App().mainWindow) UpdateWindow(App().mainWindow);
    SetCursor(LoadCursor(nullptr, IDC_WAIT));
    return completed;
}

int ReadFolderFonts(const std::string& folder, FolderRoot& root, FontCatalogue& catalogue, RunUi& ui)
{
    root.SetCaption(LoadMessage(1060) + " " + LowerCase(root.Path()));
    if (ScanFontFolder(folder, catalogue, ui)) return 0;
    if (IsDriveReady(folder)) return 0; // empty folder, cancelled or stopped

    root.SetFolderRead(false);
    const std::string drive = folder.substr(0, 3);
    switch (files::DriveType(drive)) {
    case DRIVE_REMOVABLE:
    case DRIVE_CDROM: {
        if (ui.AskForMedium(FormatMessage(1070, {UpperCase(folder.substr(0, 2))}))) return -3;
        root.SetCaption(FormatMessage(1080, {LowerCase(root.Path())}));
        break;
    }
    case DRIVE_REMOTE: ShowError(14, folder); break;
    default: ShowError(15, folder); break;
    }
    return 0;
}

} // namespace typa
