#pragma once
// One move-only owner for every kind of Windows handle, so that nothing leaks on any path.
#include <windows.h>
#include <commctrl.h>
#include <winspool.h>
#include <utility>

namespace typa {

template <class Traits>
class UniqueHandle {
public:
    using Handle = typename Traits::Handle;

    UniqueHandle() noexcept = default;
    explicit UniqueHandle(Handle h) noexcept : m_h(h) {}
    UniqueHandle(UniqueHandle&& o) noexcept : m_h(o.Release()) {}
    UniqueHandle& operator=(UniqueHandle&& o) noexcept
    {
        if (this != &o) Reset(o.Release());
        return *this;
    }
    UniqueHandle(const UniqueHandle&) = delete;
    UniqueHandle& operator=(const UniqueHandle&) = delete;
    ~UniqueHandle() { Reset(); }

    Handle Get() const noexcept { return m_h; }
    explicit operator bool() const noexcept { return Traits::IsValid(m_h); }
    Handle Release() noexcept { return std::exchange(m_h, Traits::Invalid()); }
    void Reset(Handle h = Traits::Invalid()) noexcept
    {
        if (Traits::IsValid(m_h)) Traits::Close(m_h);
        m_h = h;
    }
    // For APIs that return the handle through an out-parameter.
    Handle* Put() noexcept
    {
        Reset();
        return &m_h;
    }

private:
    Handle m_h = Traits::Invalid();
};

struct KeyTraits {
    using Handle = HKEY;
    static HKEY Invalid() noexcept { return nullptr; }
    static bool IsValid(HKEY h) noexcept { return h != nullptr; }
    static void Close(HKEY h) noexcept { RegCloseKey(h); }
};

// Kernel objects that use INVALID_HANDLE_VALUE for "none" (files, find handles use FindTraits).
struct FileTraits {
    using Handle = HANDLE;
    static HANDLE Invalid() noexcept { return INVALID_HANDLE_VALUE; }
    static bool IsValid(HANDLE h) noexcept { return h != INVALID_HANDLE_VALUE && h != nullptr; }
    static void Close(HANDLE h) noexcept { CloseHandle(h); }
};

// Kernel objects that use NULL for "none" (semaphores, processes, threads).
struct KernelTraits {
    using Handle = HANDLE;
    static HANDLE Invalid() noexcept { return nullptr; }
    static bool IsValid(HANDLE h) noexcept { return h != nullptr && h != INVALID_HANDLE_VALUE; }
    static void Close(HANDLE h) noexcept { CloseHandle(h); }
};

struct FindTraits {
    using Handle = HANDLE;
    static HANDLE Invalid() noexcept { return INVALID_HANDLE_VALUE; }
    static bool IsValid(HANDLE h) noexcept { return h != INVALID_HANDLE_VALUE; }
    static void Close(HANDLE h) noexcept { FindClose(h); }
};

template <class T>
struct GdiTraits {
    using Handle = T;
    static T Invalid() noexcept { return nullptr; }
    static bool IsValid(T h) noexcept { return h != nullptr; }
    static void Close(T h) noexcept { DeleteObject(h); }
};

struct MemoryDcTraits {
    using Handle = HDC;
    static HDC Invalid() noexcept { return nullptr; }
    static bool IsValid(HDC h) noexcept { return h != nullptr; }
    static void Close(HDC h) noexcept { DeleteDC(h); }
};

struct IconTraits {
    using Handle = HICON;
    static HICON Invalid() noexcept { return nullptr; }
    static bool IsValid(HICON h) noexcept { return h != nullptr; }
    static void Close(HICON h) noexcept { DestroyIcon(h); }
};

struct MenuTraits {
    using Handle = HMENU;
    static HMENU Invalid() noexcept { return nullptr; }
    static bool IsValid(HMENU h) noexcept { return h != nullptr; }
    static void Close(HMENU h) noexcept { DestroyMenu(h); }
};

struct ImageListTraits {
    using Handle = HIMAGELIST;
    static HIMAGELIST Invalid() noexcept { return nullptr; }
    static bool IsValid(HIMAGELIST h) noexcept { return h != nullptr; }
    static void Close(HIMAGELIST h) noexcept { ImageList_Destroy(h); }
};

// A printer opened with OpenPrinterA.
struct PrinterTraits {
    using Handle = HANDLE;
    static HANDLE Invalid() noexcept { return nullptr; }
    static bool IsValid(HANDLE h) noexcept { return h != nullptr; }
    static void Close(HANDLE h) noexcept { ClosePrinter(h); }
};

// A global memory block (the device-mode records printers keep).
struct GlobalTraits {
    using Handle = HGLOBAL;
    static HGLOBAL Invalid() noexcept { return nullptr; }
    static bool IsValid(HGLOBAL h) noexcept { return h != nullptr; }
    static void Close(HGLOBAL h) noexcept { GlobalFree(h); }
};

// A module loaded with LoadLibraryA.
struct ModuleTraits {
    using Handle = HMODULE;
    static HMODULE Invalid() noexcept { return nullptr; }
    static bool IsValid(HMODULE h) noexcept { return h != nullptr; }
    static void Close(HMODULE h) noexcept { FreeLibrary(h); }
};

using UniqueKey = UniqueHandle<KeyTraits>;
using UniqueFile = UniqueHandle<FileTraits>;
using UniqueKernelHandle = UniqueHandle<KernelTraits>;
using UniqueFind = UniqueHandle<FindTraits>;
using UniqueFont = UniqueHandle<GdiTraits<HFONT>>;
using UniqueBrush = UniqueHandle<GdiTraits<HBRUSH>>;
using UniquePen = UniqueHandle<GdiTraits<HPEN>>;
using UniqueBitmap = UniqueHandle<GdiTraits<HBITMAP>>;
using UniqueMemoryDc = UniqueHandle<MemoryDcTraits>;
using UniqueIcon = UniqueHandle<IconTraits>;
using UniqueMenu = UniqueHandle<MenuTraits>;
using UniqueImageList = UniqueHandle<ImageListTraits>;
using UniquePrinter = UniqueHandle<PrinterTraits>;
using UniqueGlobal = UniqueHandle<GlobalTraits>;
using UniqueModule = UniqueHandle<ModuleTraits>;
// Printer device contexts are deleted like memory ones.
using UniquePrinterDc = UniqueHandle<MemoryDcTraits>;

// A device context borrowed from a window with GetDC/GetDCEx, given back on every path.
class WindowDc {
public:
    WindowDc(HWND wnd, HDC dc) noexcept : m_wnd(wnd), m_dc(dc) {}
    explicit WindowDc(HWND wnd) noexcept : m_wnd(wnd), m_dc(GetDC(wnd)) {}
    WindowDc(WindowDc&& o) noexcept : m_wnd(o.m_wnd), m_dc(std::exchange(o.m_dc, nullptr)) {}
    WindowDc(const WindowDc&) = delete;
    WindowDc& operator=(const WindowDc&) = delete;
    WindowDc& operator=(WindowDc&&) = delete;
    ~WindowDc()
    {
        if (m_dc) ReleaseDC(m_wnd, m_dc);
    }
    HDC Get() const noexcept { return m_dc; }
    explicit operator bool() const noexcept { return m_dc != nullptr; }

private:
    HWND m_wnd;
    HDC m_dc;
};

// Selects a GDI object into a DC for one scope and puts the previous one back, so that an
// object is never deleted while it is still selected.
class ScopedSelect {
public:
    ScopedSelect(HDC dc, HGDIOBJ obj) noexcept : m_dc(dc), m_old(SelectObject(dc, obj)) {}
    ScopedSelect(const ScopedSelect&) = delete;
    ScopedSelect& operator=(const ScopedSelect&) = delete;
    ~ScopedSelect()
    {
        if (m_old && m_old != HGDI_ERROR) SelectObject(m_dc, m_old);
    }

private:
    HDC m_dc;
    HGDIOBJ m_old;
};

} // namespace typa
