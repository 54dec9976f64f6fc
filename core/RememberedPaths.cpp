#include "RememberedPaths.h"

#include <algorithm>

namespace hgf {

void PutFirst(std::deque<std::string>& paths, const std::string& path, std::size_t limit) {
    auto older = std::find(paths.begin(), paths.end(), path);
    if (older != paths.end()) paths.erase(older);
    paths.push_front(path);
    if (paths.size() > limit) paths.resize(limit);
}

std::optional<std::string> TakeEntry(std::deque<std::string>& paths, int n) {
    if (n < 0 || static_cast<std::size_t>(n) >= paths.size()) return std::nullopt;
    std::string entry = std::move(paths[n]);
    paths.erase(paths.begin() + n);
    return entry;
}

}  // namespace hgf
