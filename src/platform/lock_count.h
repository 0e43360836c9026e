// The folder locks the calling thread holds, by folder: a lock taken again
// by the same thread only counts.
#pragma once

#include <string>

namespace qm::platform {

int& heldLocks(const std::string& key);

}  // namespace qm::platform
