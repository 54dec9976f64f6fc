// A name for the calling thread, as debuggers and the system's thread lists show it: the
// player's own threads can then be told apart from the platform's.
#pragma once

namespace hgf {

// ASCII; on Linux at most 15 characters are kept.
void NameCurrentThread(const char* name);

}  // namespace hgf
