// The captions beside the value labels: a friendly name in Viewing Mode, the
// field's key followed by " =" in Actual Mode.
#pragma once

#include <array>
#include <string_view>

#include "weapon/field_table.h"

namespace qm {

// The caption texts for Viewing Mode (true) or Actual Mode, by slot. The
// bracket name, which has no key line, keeps its Viewing caption.
const std::array<std::string_view, kSlotCount>& captionTexts(bool viewing);

}  // namespace qm
