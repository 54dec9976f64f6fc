// The record every notification of the main window's tray icon hands the shell.
#pragma once

#include <windows.h>

#include <shellapi.h>

#include <string>

namespace hgf {

// The version-2 layout of the wide structure, which every supported Windows takes, with
// `tooltip` (code-page-932 text of at most 63 bytes, so it fits the record's 128 characters).
NOTIFYICONDATAW TrayRecord(HWND window, HICON icon, const std::string& tooltip);

}  // namespace hgf
