// Owners of the Win32 objects the launcher creates: each releases its object once.
#pragma once

#include <windows.h>

#include <commctrl.h>

#include <memory>
#include <type_traits>

#include "IHarrowgladeforteCore.h"

namespace hgf::launcher {

struct IconDeleter {
    void operator()(HICON icon) const { DestroyIcon(icon); }
};
struct ImageListDeleter {
    void operator()(HIMAGELIST list) const { ImageList_Destroy(list); }
};
struct GdiObjectDeleter {
    void operator()(HGDIOBJ object) const { DeleteObject(object); }
};
struct KernelHandleDeleter {
    void operator()(HANDLE handle) const { CloseHandle(handle); }
};
struct CoreReleaser {
    void operator()(IHarrowgladeforteCore* core) const { core->Release(); }
};

using UniqueIcon = std::unique_ptr<std::remove_pointer_t<HICON>, IconDeleter>;
using UniqueImageList = std::unique_ptr<std::remove_pointer_t<HIMAGELIST>, ImageListDeleter>;
using UniqueFont = std::unique_ptr<std::remove_pointer_t<HFONT>, GdiObjectDeleter>;
using UniqueKernelHandle = std::unique_ptr<void, KernelHandleDeleter>;
using CorePtr = std::unique_ptr<IHarrowgladeforteCore, CoreReleaser>;

}  // namespace hgf::launcher
