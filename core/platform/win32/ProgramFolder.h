// The running program's file (the process's main module, not the core library), files of
// ours beside it, and loading our DLLs from there. Only the program's folder is looked at,
// never the current folder or the search path, so a file of the same name elsewhere is never
// taken instead. File names are plain ASCII names such as "VBMP3.dll".
#pragma once

#include <windows.h>

#include <string>

namespace hgf {

// The program's full path in code page 932 (its short path where code page 932 lacks a
// character of it); empty when it does not fit 520 bytes or has no such path.
std::string ProgramPath();

// The existing file or folder `path` for the functions that still take paths in the system's
// ANSI code page (the INI and version functions): itself where every character has a form of
// its own there, else its short path; empty when neither converts.
std::string AnsiCodePagePath(const std::wstring& path);

// Loads the DLL `fileName` from the running program's folder; the DLLs that it imports are
// looked for in that folder first as well. Null when the file is missing or does not load;
// no message box is shown. The caller frees the module.
HMODULE LoadProgramFolderLibrary(const char* fileName);

}  // namespace hgf
