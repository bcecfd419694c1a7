#include "host/input_owner.h"

namespace tessel::host {

bool answers(const Pings& pings, std::uint64_t now) {
    return pings.answered >= pings.sent || now - pings.sent < kAnswerLimit;
}

int input_owner(int owner, InputEvent event, int pane, const bool* answering) {
    switch (event) {
        case InputEvent::press_on_pane:
            return answering[pane] ? pane : 0;
        case InputEvent::left_front:
            return 0;
        case InputEvent::look:
        case InputEvent::press_elsewhere:
            break;
    }
    return owner && answering[owner] ? owner : 0;
}

}  // namespace tessel::host
