#include "device/SlotRing.h"

namespace pixora {

int32_t NextWriteSlot(int32_t write, int32_t read, int32_t slotCount) {
    int32_t next = write + 1;
    if (next >= slotCount) {
        next = 0;
    }
    if (next == read) {
        ++next;
        if (next >= slotCount) {
            next = 0;
        }
    }
    return next;
}

int32_t NewestCompleteSlot(int32_t write, int32_t read, int32_t slotCount) {
    int32_t w = write;
    if (w < read) {
        w += slotCount;
    }
    if (w - read < 1) {
        return -1;
    }
    int32_t newest = w - 1;
    if (newest >= slotCount) {
        newest -= slotCount;
    }
    if (newest < 0) {
        newest = slotCount - 1;
    }
    return newest;
}

}  // namespace pixora
