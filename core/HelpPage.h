// Where the help page lives: "Help\index.html" in the folder of the host program.
#pragma once

#include <string>
#include <string_view>

namespace hgf {

// `programPath` (code page 932) cut after its last "\" with "Help\index.html" appended.
std::string HelpPagePath(std::string_view programPath);

}  // namespace hgf
