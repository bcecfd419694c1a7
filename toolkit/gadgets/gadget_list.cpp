#include "toolkit/gadgets/gadget_list.h"

#include <cwchar>
#include <cstdlib>
#include <cstring>

#include "toolkit/window/property_memo.h"

namespace tessel {
namespace {

constexpr int kStackStep = 10;

struct SavedGadgetList {
    HWND window;
    HWND saved_parent;
    HWND* saved_stack;
    int saved_depth;
    int saved_capacity;
    WNDPROC previous_procedure;
};

GadgetListState& state() {
    static GadgetListState list_state{};
    return list_state;
}

// One property name per module, so that two modules using the toolkit in
// one process keep separate lists.
const wchar_t* saved_list_property() {
    static wchar_t name[48] = {};
    if (!name[0])
        std::swprintf(name, 48, L"ZW_GadgetStack_%lld",
                      static_cast<long long>(reinterpret_cast<std::intptr_t>(
                          GetModuleHandleW(nullptr))));
    return name;
}

PropertyMemo<SavedGadgetList*>& saved_lists() {
    thread_local PropertyMemo<SavedGadgetList*> memo(saved_list_property());
    return memo;
}

SavedGadgetList* saved_list_of(HWND window) { return saved_lists().get(window); }

HWND* allocate_stack(int capacity) {
    return static_cast<HWND*>(std::calloc(static_cast<std::size_t>(capacity), sizeof(HWND)));
}

HWND window_of_current_list() {
    const GadgetListState& s = state();
    return s.depth >= 1 ? s.stack[0] : s.current_parent;
}

LRESULT CALLBACK list_clean_up_procedure(HWND window, UINT message, WPARAM wparam,
                                         LPARAM lparam) {
    SavedGadgetList* saved = saved_list_of(window);
    const LRESULT result =
        saved && saved->previous_procedure
            ? CallWindowProcW(saved->previous_procedure, window, message, wparam, lparam)
            : DefWindowProcW(window, message, wparam, lparam);
    if (message == WM_NCDESTROY && saved) {
        if (window_of_current_list() == window) {
            state().current_parent = nullptr;
            state().depth = 0;
        }
        std::free(saved->saved_stack);
        std::free(saved);
        saved_lists().remove(window);
    }
    return result;
}

void save_current_list(HWND window) {
    SavedGadgetList* saved = saved_list_of(window);
    if (!saved) return;
    GadgetListState& s = state();
    std::free(saved->saved_stack);
    saved->saved_parent = s.current_parent;
    saved->saved_stack = s.stack;
    saved->saved_depth = s.depth;
    saved->saved_capacity = s.capacity;
    s.stack = nullptr;
}

void restore_list(SavedGadgetList& saved) {
    GadgetListState& s = state();
    std::free(s.stack);
    s.current_parent = saved.saved_parent;
    s.stack = saved.saved_stack;
    s.depth = saved.saved_depth;
    s.capacity = saved.saved_capacity;
    saved.saved_stack = nullptr;
}

void begin_list(HWND window) {
    GadgetListState& s = state();
    if (!s.stack) {
        s.stack = allocate_stack(kStackStep);
        s.capacity = s.stack ? kStackStep : 0;
    }
    s.depth = 0;
    s.current_parent = window;
    auto* saved = static_cast<SavedGadgetList*>(std::calloc(1, sizeof(SavedGadgetList)));
    if (!saved) return;
    saved->window = window;
    saved_lists().set(window, saved);
    saved->previous_procedure = reinterpret_cast<WNDPROC>(SetWindowLongPtrW(
        window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(list_clean_up_procedure)));
}

}  // namespace

const GadgetListState& gadget_list_state() { return state(); }
HWND current_gadget_parent() { return state().current_parent; }
HFONT current_gadget_font() { return state().current_font; }
void set_current_gadget_font(HFONT font) { state().current_font = font; }

HWND use_gadget_list(HWND window) {
    const HWND previous = window_of_current_list();
    if (!window) return previous;
    if (previous) save_current_list(previous);
    if (SavedGadgetList* saved = saved_list_of(window)) restore_list(*saved);
    else begin_list(window);
    return previous;
}

void open_gadget_list(HWND parent) {
    GadgetListState& s = state();
    if (s.depth >= s.capacity) {
        const int capacity = s.capacity + kStackStep;
        HWND* grown = allocate_stack(capacity);
        if (!grown) return;
        if (s.stack) std::memcpy(grown, s.stack, sizeof(HWND) * static_cast<std::size_t>(s.depth));
        std::free(s.stack);
        s.stack = grown;
        s.capacity = capacity;
    }
    s.stack[s.depth++] = s.current_parent;
    s.current_parent = parent;
}

void close_gadget_list() {
    GadgetListState& s = state();
    if (s.depth < 1) return;
    s.current_parent = s.stack[--s.depth];
}

void start_gadget_lists(HFONT font) {
    GadgetListState& s = state();
    std::free(s.stack);
    s = GadgetListState{nullptr, font, allocate_stack(kStackStep), 0, 0};
    s.capacity = s.stack ? kStackStep : 0;
}

}  // namespace tessel
