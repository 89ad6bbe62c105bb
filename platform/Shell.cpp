#include "platform/Shell.h"
#include "platform/Handles.h"
#include <shellapi.h>
#include <shlobj.h>
#include <bitset>
#include <cstring>

namespace typa::shell {

// The original, 88-byte NOTIFYICONDATAA: understood by every shell since Windows 95.
static constexpr DWORD kNotifyIconDataV1Size = 88;

bool AddNotifyIcon(HWND wnd, UINT id, UINT callbackMessage, HICON icon, const std::string& tip)
{
    NOTIFYICONDATAA nid{};
    nid.cbSize = kNotifyIconDataV1Size;
    nid.hWnd = wnd;
    nid.uID = id;
    nid.uFlags = NIF_MESSAGE | NIF_ICON | NIF_TIP;
    nid.uCallbackMessage = callbackMessage;
    nid.hIcon = icon;
    std::strncpy(nid.szTip, tip.c_str(), 63);
    return Shell_NotifyIconA(NIM_ADD, &nid) != FALSE;
}

bool DeleteNotifyIcon(HWND wnd, UINT id)
{
    NOTIFYICONDATAA nid{};
    nid.cbSize = kNotifyIconDataV1Size;
    nid.hWnd = wnd;
    nid.uID = id;
    return Shell_NotifyIconA(NIM_DELETE, &nid) != FALSE;
}

namespace {

bool Exists(const std::string& path) { return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

DWORD LinkCount(const std::string& path)
{
    UniqueFile file(CreateFileA(path.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                OPEN_EXISTING, 0, nullptr));
    BY_HANDLE_FILE_INFORMATION info{};
    return file && GetFileInformationByHandle(file.Get(), &info) ? info.nNumberOfLinks : 0;
}

// Items in the Recycle Bin of the drive of `path`, or -1 when the bin cannot tell.
long long BinItems(const std::string& path)
{
    const std::string root = path.substr(0, 3);
    SHQUERYRBINFO info{};
    info.cbSize = sizeof info;
    return SUCCEEDED(SHQueryRecycleBinA(root.c_str(), &info)) ? info.i64NumItems : -1;
}

// A second name for the file beside it, for the time of the move.
std::string KeeperPath(const std::string& path)
{
    const auto slash = path.find_last_of('\\');
    const std::string folder = slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
    for (unsigned n = 0; n < 100; ++n) {
        std::string keeper = folder + "~TYPA" + std::to_string(GetCurrentProcessId() % 1000) + "-" +
                             std::to_string(n) + ".KEEP";
        if (!Exists(keeper)) return keeper;
    }
    return {};
}

// Drives (A to Z) on which a file moved to the bin was seen to keep its second name: their bin
// is on the same volume, so the link count alone tells a move from an erasure there, and the
// bin need not be counted (which reads every item it holds) before and after each file.
std::bitset<26>& LinkCountTells()
{
    static std::bitset<26> drives;
    return drives;
}

int DriveIndex(char letter)
{
    const char upper = static_cast<char>(letter & ~0x20);
    return upper >= 'A' && upper <= 'Z' ? upper - 'A' : -1;
}

} // namespace

DWORD MoveToRecycleBin(const std::string& fullPath)
{
    if (fullPath.size() < 3 || fullPath.size() >= MAX_PATH || fullPath[1] != ':') return ERROR_INVALID_NAME;
    if (!Exists(fullPath)) return ERROR_FILE_NOT_FOUND;

    // The shell erases a file for good, and still reports success, when it cannot put it into the
    // bin (the bin switched off or full, the file too large for it, a drive without one). So the
    // file gets a second name first: a hard link where the drive has them, else a copy. Moved to
    // the bin, the file still has two links, or the bin holds one item more; otherwise it was
    // erased, and the second name gives it back.
    const std::string keeper = KeeperPath(fullPath);
    if (keeper.empty()) return ERROR_ALREADY_EXISTS;
    const bool linked = CreateHardLinkA(keeper.c_str(), fullPath.c_str(), nullptr) != FALSE;
    if (!linked && !CopyFileA(fullPath.c_str(), keeper.c_str(), TRUE)) {
        const DWORD error = GetLastError();
        DeleteFileA(keeper.c_str());
        return error ? error : ERROR_CANNOT_MAKE; // without a way back the file is not handed over
    }
    const int drive = DriveIndex(fullPath[0]);
    const bool countBin = !linked || drive < 0 || !LinkCountTells()[drive];
    const long long itemsBefore = countBin ? BinItems(fullPath) : -1;

    // The list of files ends with an empty name: two NULs.
    std::string from = fullPath;
    from.append(2, '\0');
    SHFILEOPSTRUCTA op{};
    op.wFunc = FO_DELETE;
    op.pFrom = from.c_str();
    op.fFlags = FOF_ALLOWUNDO | FOF_NOCONFIRMATION | FOF_SILENT | FOF_NOERRORUI;
    int rc = SHFileOperationA(&op);
    DWORD result = rc != 0 ? static_cast<DWORD>(rc) : op.fAnyOperationsAborted ? ERROR_CANCELLED : 0;

    if (Exists(fullPath)) {
        // Not moved: the file is where it was, the second name goes.
        DeleteFileA(keeper.c_str());
        return result ? result : ERROR_CANCELLED;
    }
    const bool linkKept = linked && LinkCount(keeper) >= 2;
    if (linkKept && drive >= 0) LinkCountTells().set(drive);
    const long long itemsAfter = countBin && !linkKept ? BinItems(fullPath) : -1;
    const bool inBin = linkKept || (itemsBefore >= 0 && itemsAfter > itemsBefore);
    if (inBin && result == 0) {
        DeleteFileA(keeper.c_str());
        return 0;
    }
    // Erased, or gone where nobody can restore it from: the file comes back to its place.
    if (!MoveFileA(keeper.c_str(), fullPath.c_str())) return GetLastError() ? GetLastError() : ERROR_CANCELLED;
    return result ? result : ERROR_CANCELLED;
}

void BroadcastFontChange()
{
    DWORD_PTR result = 0;
    SendMessageTimeoutA(HWND_BROADCAST, WM_FONTCHANGE, 0, 0, SMTO_ABORTIFHUNG | SMTO_NORMAL, 5000, &result);
}

} // namespace typa::shell
