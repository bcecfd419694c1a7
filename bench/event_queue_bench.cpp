// The toolkit's event queue against the platform's own message queue: one
// post_event + take_event per event, against one PostMessageW +
// PeekMessageW round trip on the same thread; and heap allocations per
// event once the node pool is warm.
#include <windows.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <new>

#include "toolkit/window/event_queue.h"

namespace {

std::size_t allocations = 0;

using Clock = std::chrono::steady_clock;

double nanoseconds_per(Clock::duration elapsed, long count) {
    return std::chrono::duration<double, std::nano>(elapsed).count() / static_cast<double>(count);
}

double queue_round_trips(tessel::EventQueue& queue, long count) {
    const auto start = Clock::now();
    for (long i = 0; i < count; ++i) {
        tessel::post_event(queue, tessel::gadget_event, i & 7, 0, 0);
        tessel::take_event(queue);
    }
    return nanoseconds_per(Clock::now() - start, count);
}

double platform_round_trips(HWND window, long count) {
    MSG message;
    const auto start = Clock::now();
    for (long i = 0; i < count; ++i) {
        PostMessageW(window, WM_APP, static_cast<WPARAM>(i), 0);
        PeekMessageW(&message, window, 0, 0, PM_REMOVE);
    }
    return nanoseconds_per(Clock::now() - start, count);
}

}  // namespace

void* operator new(std::size_t size) {
    ++allocations;
    if (void* p = std::malloc(size ? size : 1)) return p;
    throw std::bad_alloc();
}
void* operator new[](std::size_t size) { return operator new(size); }
void operator delete(void* p) noexcept { std::free(p); }
void operator delete[](void* p) noexcept { std::free(p); }
void operator delete(void* p, std::size_t) noexcept { std::free(p); }
void operator delete[](void* p, std::size_t) noexcept { std::free(p); }

int wmain() {
    constexpr long kQueueEvents = 2'000'000;
    constexpr long kPlatformEvents = 200'000;
    HWND window = CreateWindowExW(0, L"STATIC", L"", 0, 0, 0, 1, 1, HWND_MESSAGE, nullptr,
                                  GetModuleHandleW(nullptr), nullptr);

    tessel::EventQueue queue;
    queue_round_trips(queue, 10'000);  // warm the pool
    const std::size_t before = allocations;
    const double queue_ns = queue_round_trips(queue, kQueueEvents);
    const double allocations_per_event =
        static_cast<double>(allocations - before) / static_cast<double>(kQueueEvents);
    // A burst deeper than one node, then steady state again.
    for (int i = 0; i < 1000; ++i) tessel::post_event(queue, tessel::gadget_event, i, 0, 0);
    while (tessel::take_event(queue)) {}
    const std::size_t burst_before = allocations;
    for (int round = 0; round < 1000; ++round) {
        for (int i = 0; i < 1000; ++i) tessel::post_event(queue, tessel::gadget_event, i, 0, 0);
        while (tessel::take_event(queue)) {}
    }
    const std::size_t burst_allocations = allocations - burst_before;

    platform_round_trips(window, 10'000);
    const double platform_ns = platform_round_trips(window, kPlatformEvents);

    std::printf("event queue: post_event + take_event      %10.1f ns/event\n", queue_ns);
    std::printf("baseline:    PostMessageW + PeekMessageW  %10.1f ns/event\n", platform_ns);
    std::printf("ratio (baseline / queue)                  %10.1f x  (target >= 20)\n",
                platform_ns / queue_ns);
    std::printf("heap allocations per event, warm pool     %10.4f    (target 0)\n",
                allocations_per_event);
    std::printf("heap allocations, 1000 bursts of 1000     %10zu\n", burst_allocations);
    tessel::free_event_queue(queue);
    DestroyWindow(window);
    return 0;
}
