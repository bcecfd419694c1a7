// The event queue: what the pump and the window procedures post and what
// wait_event hands back to the program, with the queueing rules
// (coalescing, suppression, forcing, removal). Platform-free.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace tessel {

enum EventCode : int {
    gadget_event = 13100,
    menu_event = 13101,
    tray_event = 13102,
    window_activated = 13104,
    window_minimized = 13107,
    window_maximized = 13108,
    window_restored = 13109,
    timer_event = 13110,
    right_click = 13111,
    left_click = 13112,
    left_double_click = 13113,
    window_deactivated = 13114,
    repaint = 13115,
    close_request = 13116,
    window_moved = 13117,
    window_resized = 13118,
};

// post_event flags.
constexpr unsigned kPostForce = 0x1;       // queue even while suppressed
constexpr unsigned kPostDefer = 0x2;       // offer to handlers when taken
constexpr unsigned kPostMainThread = 0x4;  // into the main thread's queue

constexpr std::intptr_t kAnyField = -1;  // remove_events wildcard

using ReleaseProcedure = void (*)(std::intptr_t data);

struct QueuedEvent {
    QueuedEvent* next;
    int code;
    unsigned flags;
    std::intptr_t object;
    std::intptr_t window;
    std::intptr_t type;
    std::intptr_t data;
    ReleaseProcedure release;
};

// Recycles QueuedEvent records: nodes come from chunks that live as long as
// the pool, so a queue in steady state allocates nothing.
struct NodePool {
    QueuedEvent* free = nullptr;
    std::vector<QueuedEvent*> chunks;
    std::size_t chunk_allocations = 0;
};

struct EventQueue {
    NodePool pool;
    QueuedEvent* head = nullptr;
    QueuedEvent* tail = nullptr;
    int suppression = 0;
    int current_code = 0;
    std::intptr_t current_window = 0;
    std::intptr_t current_object = 0;
    std::intptr_t current_type = -1;
    std::intptr_t current_data = 0;
    ReleaseProcedure current_release = nullptr;
};

// Bound handlers: procedures bound to a code, window and object (with an
// optional type filter; -1 matches anything). They see the event through
// the queue's current fields while they run.
using EventHandler = void (*)(EventQueue& queue);

struct BoundHandler {
    int code;
    std::intptr_t window;
    std::intptr_t object;
    std::intptr_t type;
    EventHandler handler;
};

void free_event_queue(EventQueue& queue);  // drops events and the pool

void post_event(EventQueue& queue, int code, std::intptr_t object, std::intptr_t window,
                std::intptr_t type, std::intptr_t data = 0, ReleaseProcedure release = nullptr,
                unsigned flags = 0);
int take_event(EventQueue& queue);
void remove_events(EventQueue& queue, int code, std::intptr_t object, std::intptr_t window,
                   std::intptr_t type);
std::size_t queued_event_count(const EventQueue& queue);

void suppress_events(EventQueue& queue);
void resume_events(EventQueue& queue);

void bind_event_handler(const BoundHandler& bound);
void unbind_window_handlers(std::intptr_t window);
void unbind_gadget_handlers(std::intptr_t gadget);
std::size_t bound_handler_count();

}  // namespace tessel
