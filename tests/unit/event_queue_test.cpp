#include "toolkit/window/event_queue.h"

#include <gtest/gtest.h>

#include <vector>

namespace tessel {
namespace {

class EventQueueTest : public ::testing::Test {
protected:
    void TearDown() override { free_event_queue(queue); }
    EventQueue queue;
};

TEST_F(EventQueueTest, IdenticalEventsBackToBackCoalesceUnlessDeferredOrForMainThread) {
    post_event(queue, gadget_event, 3, 0, 768);
    post_event(queue, gadget_event, 3, 0, 768);
    EXPECT_EQ(queued_event_count(queue), 1u);
    post_event(queue, gadget_event, 3, 0, 768, 0, nullptr, kPostDefer);
    post_event(queue, gadget_event, 3, 0, 768, 0, nullptr, kPostDefer);
    EXPECT_EQ(queued_event_count(queue), 3u);
    post_event(queue, gadget_event, 3, 0, 768, 0, nullptr, kPostMainThread);
    EXPECT_EQ(queued_event_count(queue), 4u);
}

TEST_F(EventQueueTest, OnlyTheTailCoalescesAndCodesAboveSixteenBitsNever) {
    post_event(queue, gadget_event, 1, 0, 0);
    post_event(queue, gadget_event, 2, 0, 0);
    post_event(queue, gadget_event, 1, 0, 0);
    EXPECT_EQ(queued_event_count(queue), 3u);
    post_event(queue, 0x10000, 0, 0, 0);
    post_event(queue, 0x10000, 0, 0, 0);
    EXPECT_EQ(queued_event_count(queue), 5u);
}

TEST_F(EventQueueTest, SuppressionDropsAllButForcedEvents) {
    suppress_events(queue);
    post_event(queue, gadget_event, 1, 0, 0);
    EXPECT_EQ(queued_event_count(queue), 0u);
    post_event(queue, gadget_event, 1, 0, 6, 0, nullptr, kPostForce);
    EXPECT_EQ(queued_event_count(queue), 1u);
    resume_events(queue);
    resume_events(queue);  // an extra resume must not leave it negative
    EXPECT_EQ(queue.suppression, 0);
    post_event(queue, gadget_event, 2, 0, 0);
    EXPECT_EQ(queued_event_count(queue), 2u);
}

TEST_F(EventQueueTest, TakeEventIsFirstInFirstOutAndFillsTheCurrentFields) {
    post_event(queue, window_resized, 0, 4, 0);
    post_event(queue, close_request, 4, 4, 0);
    EXPECT_EQ(take_event(queue), window_resized);
    EXPECT_EQ(queue.current_window, 4);
    EXPECT_EQ(take_event(queue), close_request);
    EXPECT_EQ(queue.current_object, 4);
    EXPECT_EQ(queue.current_type, 0);
    EXPECT_EQ(take_event(queue), 0);
    EXPECT_EQ(queue.current_type, -1);
    EXPECT_EQ(queue.current_object, 4);  // the last event's object stays
}

TEST_F(EventQueueTest, RemoveEventsMatchesWithWildcardsAndKeepsTheTailRight) {
    post_event(queue, gadget_event, 1, 0, 0);
    post_event(queue, window_resized, 0, 7, 0);
    post_event(queue, gadget_event, 1, 0, 6);
    post_event(queue, gadget_event, 2, 0, 6);
    remove_events(queue, gadget_event, 1, kAnyField, kAnyField);
    EXPECT_EQ(queued_event_count(queue), 2u);
    remove_events(queue, -1, kAnyField, kAnyField, 6);
    EXPECT_EQ(queued_event_count(queue), 1u);
    // The tail moved back: a new event must follow the remaining one.
    post_event(queue, repaint, 0, 7, 0);
    EXPECT_EQ(take_event(queue), window_resized);
    EXPECT_EQ(take_event(queue), repaint);
    EXPECT_EQ(take_event(queue), 0);
}

std::vector<std::intptr_t> released;
void record_release(std::intptr_t data) { released.push_back(data); }

TEST_F(EventQueueTest, ReleaseProcedureRunsWhenTheEventStopsBeingCurrent) {
    released.clear();
    post_event(queue, gadget_event, 1, 0, 0, 99, record_release);
    take_event(queue);
    EXPECT_TRUE(released.empty());
    take_event(queue);
    EXPECT_EQ(released, std::vector<std::intptr_t>{99});
}

TEST_F(EventQueueTest, TheNodePoolStopsAllocatingOnceWarm) {
    for (int i = 0; i < 200; ++i) post_event(queue, gadget_event, i, 0, 0);
    while (take_event(queue)) {}
    const std::size_t warm = queue.pool.chunk_allocations;
    for (int round = 0; round < 50; ++round) {
        for (int i = 0; i < 200; ++i) post_event(queue, gadget_event, i, 0, 0);
        while (take_event(queue)) {}
    }
    EXPECT_EQ(queue.pool.chunk_allocations, warm);
}

int offered = 0;
std::intptr_t offered_object = 0;
void count_offer(EventQueue& q) {
    ++offered;
    offered_object = q.current_object;
}

TEST_F(EventQueueTest, BoundHandlersSeeEventsAtPostOrWhenDeferredAtTake) {
    offered = 0;
    bind_event_handler({gadget_event, 5, kAnyField, kAnyField, count_offer});
    post_event(queue, gadget_event, 8, 5, 0);
    EXPECT_EQ(offered, 1);
    EXPECT_EQ(offered_object, 8);
    EXPECT_EQ(queue.current_object, 0);  // restored after the offer
    post_event(queue, gadget_event, 9, 5, 0, 0, nullptr, kPostDefer);
    EXPECT_EQ(offered, 1);
    take_event(queue);  // the first one: not deferred, not offered again
    take_event(queue);
    EXPECT_EQ(offered, 2);
    unbind_window_handlers(5);
    EXPECT_EQ(bound_handler_count(), 0u);
}

}  // namespace
}  // namespace tessel
