// Numbered objects: the one mechanism that maps a program's numbers to the
// toolkit's records, shared by windows, gadgets, fonts and menus.
//
// Numbers 0 and up index a slot array that grows on demand. Passing -1 makes
// the table allocate a record outside the array; the record's address is
// then its number, which always lies at or above the slot count.
//
// Platform-free: the record's first field is the object's native handle,
// stored as a pointer-sized integer, and 0 there means "no object".
#pragma once

#include <cstddef>
#include <cstdint>
#include <unordered_set>
#include <vector>

namespace tessel {

using ObjectId = std::intptr_t;
constexpr ObjectId kAllocateNumber = -1;

// Numbers beyond this are refused rather than growing the slot array to
// gigabytes on a stray value.
constexpr ObjectId kLargestNumber = 1 << 20;

using DestroyProcedure = void (*)(ObjectId number);

struct AllocatedLink {
    AllocatedLink* next;
    AllocatedLink* previous;
};

struct ObjectTable {
    std::size_t record_size = 0;
    std::size_t growth_step = 0;
    std::vector<void*> slots;      // slot count is slots.size()
    AllocatedLink* allocated = nullptr;  // newest first; record follows link
    DestroyProcedure destroy = nullptr;
    std::size_t cursor = 0;        // slot index, then the allocated list
    // Numbers handed out for -1, so that a number no allocation produced is
    // never taken for a record address.
    std::unordered_set<ObjectId> allocated_numbers;
};

ObjectTable* create_object_table(std::size_t record_size, std::size_t growth_step,
                                 DestroyProcedure destroy);
// Frees every record without calling the destroy procedure.
void free_object_table(ObjectTable* table);

std::size_t slot_count(const ObjectTable& table);

// Reserves a zeroed record for number (or allocates one for -1). A number in
// use is destroyed first and its record handed back zeroed. Null when the
// number is invalid or memory cannot be had.
void* reserve_object(ObjectTable& table, ObjectId number);
void* find_object(const ObjectTable& table, ObjectId number);
void release_object(ObjectTable& table, ObjectId number);
ObjectId number_of_record(const ObjectTable& table, const void* record);

void reset_object_cursor(ObjectTable& table);
struct NextObject {
    void* record;
    ObjectId number;
};
NextObject next_object(ObjectTable& table);
void destroy_all_objects(ObjectTable& table);
// Every live object, slots in order then the allocated list, without
// touching the cursor: for a caller that releases only some of them.
std::vector<NextObject> live_objects(const ObjectTable& table);

std::uintptr_t record_handle(const void* record);

template <typename Record>
Record* find_record(const ObjectTable* table, ObjectId number) {
    return table ? static_cast<Record*>(find_object(*table, number)) : nullptr;
}

}  // namespace tessel
