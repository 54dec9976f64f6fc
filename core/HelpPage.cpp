#include "HelpPage.h"

#include "playlist/PathText.h"

namespace hgf {

std::string HelpPagePath(std::string_view programPath) {
    std::size_t separator = FindLastBackslash(programPath);
    std::string page(separator == std::string_view::npos ? std::string_view{}
                                                         : programPath.substr(0, separator + 1));
    page += "Help\\index.html";
    return page;
}

}  // namespace hgf
