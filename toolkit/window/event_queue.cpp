#include "toolkit/window/event_queue.h"

#include <algorithm>
#include <new>

namespace tessel {
namespace {

constexpr std::size_t kNodesPerChunk = 64;

std::vector<BoundHandler>& bound_handlers() {
    static std::vector<BoundHandler> handlers;
    return handlers;
}

QueuedEvent* take_node(NodePool& pool) {
    if (!pool.free) {
        auto* chunk = new (std::nothrow) QueuedEvent[kNodesPerChunk];
        if (!chunk) return nullptr;
        try {
            pool.chunks.push_back(chunk);
        } catch (const std::bad_alloc&) {
            delete[] chunk;
            return nullptr;
        }
        ++pool.chunk_allocations;
        for (std::size_t i = 0; i < kNodesPerChunk; ++i) {
            chunk[i].next = pool.free;
            pool.free = &chunk[i];
        }
    }
    QueuedEvent* node = pool.free;
    pool.free = node->next;
    return node;
}

void recycle_node(NodePool& pool, QueuedEvent* node) {
    node->next = pool.free;
    pool.free = node;
}

bool matches(std::intptr_t wanted, std::intptr_t value) {
    return wanted == kAnyField || wanted == value;
}

// Runs the handlers bound to the queue's current event.
void offer_current_event(EventQueue& queue) {
    auto& handlers = bound_handlers();
    if (handlers.empty()) return;
    // A handler may bind or unbind; work from a copy.
    const std::vector<BoundHandler> snapshot = handlers;
    for (const BoundHandler& bound : snapshot) {
        if ((bound.code == -1 || bound.code == queue.current_code) &&
            matches(bound.window, queue.current_window) &&
            matches(bound.object, queue.current_object) &&
            matches(bound.type, queue.current_type))
            bound.handler(queue);
    }
}

struct CurrentFields {
    int code;
    std::intptr_t window, object, type, data;
    ReleaseProcedure release;
};

CurrentFields save_current(const EventQueue& q) {
    return {q.current_code, q.current_window, q.current_object,
            q.current_type, q.current_data, q.current_release};
}

void restore_current(EventQueue& q, const CurrentFields& f) {
    q.current_code = f.code;
    q.current_window = f.window;
    q.current_object = f.object;
    q.current_type = f.type;
    q.current_data = f.data;
    q.current_release = f.release;
}

void offer_now(EventQueue& queue, int code, std::intptr_t object, std::intptr_t window,
               std::intptr_t type, std::intptr_t data, ReleaseProcedure release) {
    if (bound_handlers().empty()) return;
    const CurrentFields saved = save_current(queue);
    restore_current(queue, {code, window, object, type, data, release});
    offer_current_event(queue);
    restore_current(queue, saved);
}

}  // namespace

void free_event_queue(EventQueue& queue) {
    queue.head = queue.tail = nullptr;
    for (QueuedEvent* chunk : queue.pool.chunks) delete[] chunk;
    queue.pool = NodePool{};
}

void post_event(EventQueue& queue, int code, std::intptr_t object, std::intptr_t window,
                std::intptr_t type, std::intptr_t data, ReleaseProcedure release,
                unsigned flags) {
    if (queue.suppression != 0 && !(flags & kPostForce)) return;

    const QueuedEvent* tail = queue.tail;
    bool coalesced = tail && tail->code == code && tail->object == object &&
                     tail->window == window && tail->type == type && code <= 0xFFFF &&
                     !(flags & (kPostDefer | kPostMainThread));
    if (!coalesced) {
        if (QueuedEvent* node = take_node(queue.pool)) {
            *node = {nullptr, code, flags, object, window, type, data, release};
            if (queue.tail) queue.tail->next = node;
            else queue.head = node;
            queue.tail = node;
        }
    }
    if (!(flags & kPostDefer)) offer_now(queue, code, object, window, type, data, release);
}

int take_event(EventQueue& queue) {
    queue.current_code = 0;
    if (queue.current_data && queue.current_release) {
        ReleaseProcedure release = queue.current_release;
        std::intptr_t data = queue.current_data;
        queue.current_data = 0;
        queue.current_release = nullptr;
        release(data);
    }
    queue.current_type = -1;

    if (QueuedEvent* node = queue.head) {
        queue.head = node->next;
        if (!queue.head) queue.tail = nullptr;
        restore_current(queue, {node->code, node->window, node->object, node->type,
                                node->data, node->release});
        unsigned flags = node->flags;
        recycle_node(queue.pool, node);
        if (flags & kPostDefer) offer_current_event(queue);
    }
    return queue.current_code;
}

void remove_events(EventQueue& queue, int code, std::intptr_t object, std::intptr_t window,
                   std::intptr_t type) {
    QueuedEvent* previous = nullptr;
    QueuedEvent* node = queue.head;
    while (node) {
        QueuedEvent* next = node->next;
        if ((code == -1 || node->code == code) && matches(object, node->object) &&
            matches(window, node->window) && matches(type, node->type)) {
            if (previous) previous->next = next;
            else queue.head = next;
            if (queue.tail == node) queue.tail = previous;
            recycle_node(queue.pool, node);
        } else {
            previous = node;
        }
        node = next;
    }
}

std::size_t queued_event_count(const EventQueue& queue) {
    std::size_t count = 0;
    for (const QueuedEvent* node = queue.head; node; node = node->next) ++count;
    return count;
}

void suppress_events(EventQueue& queue) { ++queue.suppression; }

void resume_events(EventQueue& queue) {
    if (queue.suppression > 0) --queue.suppression;
}

void bind_event_handler(const BoundHandler& bound) {
    if (!bound.handler) return;
    try {
        bound_handlers().push_back(bound);
    } catch (const std::bad_alloc&) {
    }
}

void unbind_window_handlers(std::intptr_t window) {
    std::erase_if(bound_handlers(), [&](const BoundHandler& b) { return b.window == window; });
}

void unbind_gadget_handlers(std::intptr_t gadget) {
    std::erase_if(bound_handlers(), [&](const BoundHandler& b) {
        return b.object == gadget && b.code == gadget_event;
    });
}

std::size_t bound_handler_count() { return bound_handlers().size(); }

}  // namespace tessel
