// The running program's file (the process's main module, not the core library) and the
// files that ship beside it.
#pragma once

#include <string>
#include <string_view>

namespace hgf {

// The program's full path in the ANSI code page; empty when it does not fit 520 bytes.
std::string ProgramPath();

// `fileName` in the program's folder; empty when the program's path is unknown.
std::string BesideProgram(std::string_view fileName);

}  // namespace hgf
