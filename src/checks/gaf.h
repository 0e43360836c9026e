// The sequence names inside an animation file (.gaf): all the reference
// checks need of it. The pictures are never decoded.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace qm {

// Reads the names of the sequences of the .gaf file `bytes`, in file order.
// A damaged file (another version, counts or offsets past its end, a name
// without its zero byte) gives false and says why in `reason`.
bool readGafSequenceNames(std::string_view bytes, std::vector<std::string>& names, std::string& reason);

}  // namespace qm
