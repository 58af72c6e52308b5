// Index arithmetic of the frame slot ring shared by the stream worker (which owns the write
// index) and the consumer (which owns the read index).
#pragma once

#include <cstdint>

namespace pixora {

// The slot the writer moves to after finishing `write`: the next one, wrapping, stepping
// over the slot the consumer holds at `read`.
int32_t NextWriteSlot(int32_t write, int32_t read, int32_t slotCount);

// The slot that becomes the consumer's when the writer is at `write` and the consumer was
// at `read`: the newest completed slot, write - 1 (wrapped). -1 when nothing was completed
// since the consumer's slot.
int32_t NewestCompleteSlot(int32_t write, int32_t read, int32_t slotCount);

}  // namespace pixora
