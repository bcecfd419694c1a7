#include "host/slots.h"

namespace tessel::host {

SlotTable& slot_table() {
    static SlotTable slots{};
    return slots;
}

void fill_slot_table() {
    SlotTable& slots = slot_table();
    slots = SlotTable{};
    slots[1].name = L"Cobaltpane";
    slots[2].name = L"Emberpane";
    slots[3].name = L"Saffronpane";
}

}  // namespace tessel::host
