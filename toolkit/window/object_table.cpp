#include "toolkit/window/object_table.h"

#include <cstdlib>
#include <cstring>
#include <new>

namespace tessel {
namespace {

bool in_slot_range(const ObjectTable& table, ObjectId number) {
    return number >= 0 && static_cast<std::size_t>(number) < table.slots.size();
}

void* record_of(AllocatedLink* link) { return link + 1; }

AllocatedLink* link_of(ObjectId number) {
    return reinterpret_cast<AllocatedLink*>(number) - 1;
}

ObjectId number_of(AllocatedLink* link) {
    return reinterpret_cast<ObjectId>(record_of(link));
}

void* allocate_record(ObjectTable& table) {
    auto* link = static_cast<AllocatedLink*>(
        std::calloc(1, sizeof(AllocatedLink) + table.record_size));
    if (!link) return nullptr;
    ObjectId number = number_of(link);
    try {
        table.allocated_numbers.insert(number);
    } catch (const std::bad_alloc&) {
        std::free(link);
        return nullptr;
    }
    link->next = table.allocated;
    if (table.allocated) table.allocated->previous = link;
    table.allocated = link;
    return record_of(link);
}

bool grow_slots(ObjectTable& table, ObjectId number) {
    try {
        table.slots.resize(static_cast<std::size_t>(number) + table.growth_step, nullptr);
    } catch (const std::bad_alloc&) {
        return false;
    }
    return true;
}

}  // namespace

ObjectTable* create_object_table(std::size_t record_size, std::size_t growth_step,
                                 DestroyProcedure destroy) {
    auto* table = new (std::nothrow) ObjectTable;
    if (!table) return nullptr;
    table->record_size = record_size < sizeof(std::uintptr_t) ? sizeof(std::uintptr_t)
                                                              : record_size;
    table->growth_step = growth_step ? growth_step : 1;
    table->destroy = destroy;
    try {
        table->slots.assign(table->growth_step, nullptr);
    } catch (const std::bad_alloc&) {
        delete table;
        return nullptr;
    }
    return table;
}

void free_object_table(ObjectTable* table) {
    if (!table) return;
    for (void* slot : table->slots) std::free(slot);
    while (AllocatedLink* link = table->allocated) {
        table->allocated = link->next;
        std::free(link);
    }
    delete table;
}

std::size_t slot_count(const ObjectTable& table) { return table.slots.size(); }

std::uintptr_t record_handle(const void* record) {
    std::uintptr_t handle = 0;
    if (record) std::memcpy(&handle, record, sizeof handle);
    return handle;
}

void* reserve_object(ObjectTable& table, ObjectId number) {
    if (number == kAllocateNumber) return allocate_record(table);
    if (number < 0 || number > kLargestNumber) return nullptr;
    if (!in_slot_range(table, number) && !grow_slots(table, number)) return nullptr;

    void*& slot = table.slots[static_cast<std::size_t>(number)];
    if (slot) {
        if (record_handle(slot) != 0 && table.destroy) table.destroy(number);
        std::memset(slot, 0, table.record_size);
        return slot;
    }
    slot = std::calloc(1, table.record_size);
    return slot;
}

void* find_object(const ObjectTable& table, ObjectId number) {
    void* record = nullptr;
    if (in_slot_range(table, number)) {
        record = table.slots[static_cast<std::size_t>(number)];
    } else if (table.allocated_numbers.count(number)) {
        record = reinterpret_cast<void*>(number);
    }
    return record_handle(record) != 0 ? record : nullptr;
}

void release_object(ObjectTable& table, ObjectId number) {
    if (in_slot_range(table, number)) {
        if (void* slot = table.slots[static_cast<std::size_t>(number)])
            std::memset(slot, 0, table.record_size);
        return;
    }
    if (!table.allocated_numbers.erase(number)) return;
    AllocatedLink* link = link_of(number);
    if (link->previous) link->previous->next = link->next;
    else table.allocated = link->next;
    if (link->next) link->next->previous = link->previous;
    std::free(link);
}

ObjectId number_of_record(const ObjectTable& table, const void* record) {
    if (!record) return kAllocateNumber;
    for (std::size_t i = 0; i < table.slots.size(); ++i)
        if (table.slots[i] == record) return static_cast<ObjectId>(i);
    auto number = reinterpret_cast<ObjectId>(record);
    return table.allocated_numbers.count(number) ? number : kAllocateNumber;
}

void reset_object_cursor(ObjectTable& table) { table.cursor = 0; }

NextObject next_object(ObjectTable& table) {
    while (table.cursor < table.slots.size()) {
        std::size_t index = table.cursor++;
        void* record = table.slots[index];
        if (record_handle(record) != 0) return {record, static_cast<ObjectId>(index)};
    }
    // Past the slots the head of the allocated list is yielded on every call:
    // the caller is expected to release what it is given.
    if (AllocatedLink* head = table.allocated) return {record_of(head), number_of(head)};
    return {nullptr, 0};
}

std::vector<NextObject> live_objects(const ObjectTable& table) {
    std::vector<NextObject> live;
    for (std::size_t index = 0; index < table.slots.size(); ++index)
        if (record_handle(table.slots[index]) != 0)
            live.push_back({table.slots[index], static_cast<ObjectId>(index)});
    for (AllocatedLink* link = table.allocated; link; link = link->next)
        if (record_handle(record_of(link)) != 0) live.push_back({record_of(link), number_of(link)});
    return live;
}

void destroy_all_objects(ObjectTable& table) {
    if (!table.destroy) return;
    reset_object_cursor(table);
    for (NextObject next = next_object(table); next.record; next = next_object(table)) {
        bool from_list = !in_slot_range(table, next.number);
        table.destroy(next.number);
        // A destroy procedure that left an allocated record in place would
        // make this loop endless; release it here instead.
        if (from_list && table.allocated && number_of(table.allocated) == next.number)
            release_object(table, next.number);
    }
}

}  // namespace tessel
