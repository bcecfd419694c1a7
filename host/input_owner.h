// Which add-on shares "Split"'s input: pure rules, for testing without a
// screen (the platform's side is host/shared_input.cpp).
#pragma once

#include <cstdint>

namespace tessel::host {

// One add-on's answers to the host's pings, on one millisecond clock.
struct Pings {
    std::uint64_t sent = 0;      // the last ping; 0: none yet
    std::uint64_t answered = 0;  // its answer, once it came
};

// An add-on that owes an answer for longer than this counts as stopped.
constexpr std::uint64_t kAnswerLimit = 1500;

// Whether an add-on answers: it owes no ping, or owes one younger than the
// limit.
bool answers(const Pings& pings, std::uint64_t now);

// What just happened: the host's regular look, a mouse button pressed over
// a pane (`pane`, a slot) or over anything else, or "Split" no longer in
// front.
enum class InputEvent { look, press_on_pane, press_elsewhere, left_front };

// The slot whose add-on shares the input after the event (0: none). Only
// the add-on the user works in does, and only while it answers, so that
// a focus change is never a message between two add-ons and no action on
// "Split" waits on one that stopped. `answering` is indexed by slot.
int input_owner(int owner, InputEvent event, int pane, const bool* answering);

}  // namespace tessel::host
