#include "toolkit/window/object_table.h"

#include <gtest/gtest.h>

#include <cstdint>

#include <vector>

namespace tessel {
namespace {

struct Record {
    std::uintptr_t handle;
    int payload;
};

ObjectTable* destroying = nullptr;
std::vector<ObjectId> destroyed;

// Like the real kinds: destroys the native object and gives the number up.
void destroy_record(ObjectId number) {
    destroyed.push_back(number);
    release_object(*destroying, number);
}

class ObjectTableTest : public ::testing::Test {
protected:
    void SetUp() override {
        table = create_object_table(sizeof(Record), 16, destroy_record);
        destroying = table;
        destroyed.clear();
    }
    void TearDown() override { free_object_table(table); }

    Record* make(ObjectId number, std::uintptr_t handle) {
        auto* record = static_cast<Record*>(reserve_object(*table, number));
        if (record) record->handle = handle;
        return record;
    }

    ObjectTable* table = nullptr;
};

TEST_F(ObjectTableTest, GrowsByItsStepBeyondTheNewNumber) {
    EXPECT_EQ(slot_count(*table), 16u);
    make(5, 1);
    EXPECT_EQ(slot_count(*table), 16u);
    make(40, 2);
    EXPECT_EQ(slot_count(*table), 56u);
    EXPECT_NE(find_object(*table, 5), nullptr);
    EXPECT_NE(find_object(*table, 40), nullptr);
}

TEST_F(ObjectTableTest, AllocatedNumbersLieAboveTheSlotsAndAreDistinct) {
    Record* first = make(kAllocateNumber, 7);
    Record* second = make(kAllocateNumber, 8);
    ObjectId a = number_of_record(*table, first);
    ObjectId b = number_of_record(*table, second);
    EXPECT_NE(a, b);
    EXPECT_GE(a, static_cast<ObjectId>(slot_count(*table)));
    EXPECT_GE(b, static_cast<ObjectId>(slot_count(*table)));
    EXPECT_EQ(find_object(*table, a), first);
    EXPECT_EQ(find_object(*table, b), second);
}

TEST_F(ObjectTableTest, ReusingANumberDestroysTheOldObjectAndHandsBackItsRecordZeroed) {
    Record* old_record = make(3, 11);
    old_record->payload = 42;
    Record* new_record = static_cast<Record*>(reserve_object(*table, 3));
    ASSERT_EQ(destroyed, std::vector<ObjectId>{3});
    EXPECT_EQ(new_record, old_record);
    EXPECT_EQ(new_record->handle, 0u);
    EXPECT_EQ(new_record->payload, 0);
}

TEST_F(ObjectTableTest, ARecordWithoutHandleCountsAsAbsent) {
    reserve_object(*table, 2);
    EXPECT_EQ(find_object(*table, 2), nullptr);
    make(2, 5);
    EXPECT_NE(find_object(*table, 2), nullptr);
    release_object(*table, 2);
    EXPECT_EQ(find_object(*table, 2), nullptr);
}

TEST_F(ObjectTableTest, NumbersNoAllocationProducedAreNeverDereferenced) {
    // Would be wild pointer reads if taken for record addresses.
    EXPECT_EQ(find_object(*table, 16), nullptr);
    EXPECT_EQ(find_object(*table, 0x12345678), nullptr);
    EXPECT_EQ(find_object(*table, -2), nullptr);
    EXPECT_EQ(find_object(*table, -1), nullptr);
    release_object(*table, 0x12345678);  // ignored, no crash
    Record* allocated = make(kAllocateNumber, 1);
    ObjectId number = number_of_record(*table, allocated);
    release_object(*table, number);
    EXPECT_EQ(find_object(*table, number), nullptr);  // freed: no longer a record
}

TEST_F(ObjectTableTest, InvalidOrHugeNumbersAreRefused) {
    EXPECT_EQ(reserve_object(*table, -2), nullptr);
    EXPECT_EQ(reserve_object(*table, kLargestNumber + 1), nullptr);
    for (const ObjectId far : {INTPTR_MAX, INTPTR_MIN, INTPTR_MIN + 1}) {
        EXPECT_EQ(reserve_object(*table, far), nullptr);
        EXPECT_EQ(find_object(*table, far), nullptr);
        release_object(*table, far);
    }
    EXPECT_EQ(slot_count(*table), 16u);
}

TEST_F(ObjectTableTest, IterationVisitsSlotsInOrderThenTheAllocatedList) {
    make(4, 1);
    make(1, 1);
    reserve_object(*table, 2);  // empty: skipped
    Record* allocated = make(kAllocateNumber, 1);
    reset_object_cursor(*table);
    EXPECT_EQ(next_object(*table).number, 1);
    EXPECT_EQ(next_object(*table).number, 4);
    NextObject listed = next_object(*table);
    EXPECT_EQ(listed.record, allocated);
    // The head is yielded again until someone releases it.
    EXPECT_EQ(next_object(*table).record, allocated);
    // The listing sees the same objects, every allocated one once.
    Record* newer = make(kAllocateNumber, 1);
    const std::vector<NextObject> live = live_objects(*table);
    ASSERT_EQ(live.size(), 4u);
    EXPECT_EQ(live[0].number, 1);
    EXPECT_EQ(live[2].record, newer);
    EXPECT_EQ(live[3].record, allocated);
}

TEST_F(ObjectTableTest, DestroyAllReachesEveryObjectOfEveryRange) {
    make(0, 1);
    make(9, 1);
    make(kAllocateNumber, 1);
    make(kAllocateNumber, 1);
    destroy_all_objects(*table);
    EXPECT_EQ(destroyed.size(), 4u);
    reset_object_cursor(*table);
    EXPECT_EQ(next_object(*table).record, nullptr);
}

void leave_record_in_place(ObjectId) {}

TEST(ObjectTableDestroy, ADestroyProcedureThatKeepsAllocatedRecordsCannotLoopForever) {
    ObjectTable* table = create_object_table(sizeof(Record), 16, leave_record_in_place);
    static_cast<Record*>(reserve_object(*table, kAllocateNumber))->handle = 1;
    destroy_all_objects(*table);
    EXPECT_EQ(table->allocated, nullptr);
    free_object_table(table);
}

}  // namespace
}  // namespace tessel
