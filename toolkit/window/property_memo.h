// A thread's memory of a window property that the toolkit sets and reads
// on every message of a window (the procedure a subclass calls on with).
// The property stays the record; the memory only spares the lookup, which
// under Wine is a round trip to its server. A window set up on another
// thread is not remembered here and is read from its property.
#pragma once

#include <windows.h>

#include <unordered_map>

namespace tessel {

template <class Value>
class PropertyMemo {
public:
    explicit PropertyMemo(const wchar_t* property) : property_(property) {}

    // Remembered only where the property holds it.
    void set(HWND window, Value value) {
        if (SetPropW(window, property_, reinterpret_cast<HANDLE>(value))) values_[window] = value;
        else values_.erase(window);
    }

    Value get(HWND window) const {
        const auto found = values_.find(window);
        if (found != values_.end()) return found->second;
        return reinterpret_cast<Value>(GetPropW(window, property_));
    }

    void remove(HWND window) {
        RemovePropW(window, property_);
        values_.erase(window);
    }

private:
    const wchar_t* property_;
    std::unordered_map<HWND, Value> values_;
};

}  // namespace tessel
