#include "toolkit/forms/colors.h"

#include <cwchar>
#include <new>
#include <utility>
#include <vector>

#include "toolkit/gadgets/gadget.h"
#include "toolkit/window/window.h"

namespace tessel {
namespace {

struct BrushEntry {
    BrushEntry* next;
    Color color;
    HBRUSH brush;
    int count;
};

struct BrushCache {
    CRITICAL_SECTION lock;
    bool lock_ready = false;
    BrushEntry* head = nullptr;  // newest first
};

BrushCache& cache() {
    static BrushCache brush_cache;
    return brush_cache;
}

class CacheLock {
public:
    CacheLock() {
        if (cache().lock_ready) EnterCriticalSection(&cache().lock);
    }
    ~CacheLock() {
        if (cache().lock_ready) LeaveCriticalSection(&cache().lock);
    }
    CacheLock(const CacheLock&) = delete;
    CacheLock& operator=(const CacheLock&) = delete;
};

// Kinds that draw their own background over the fill: combo boxes, and
// three kinds of other toolkits sharing these codes.
bool left_in_fill(HWND child) {
    if (GadgetRecord* gadget = registered_gadget(child)) {
        const int code = gadget->ops->type_code;
        if (code == 2 || code == 7 || code == kComboBoxKind || code == 9) return true;
    }
    wchar_t name[64] = {};
    GetClassNameW(child, name, 64);
    return _wcsicmp(name, L"ToolbarWindow32") == 0;
}

void cut_out(HDC dc, const RECT& area) {
    if (HRGN region = CreateRectRgnIndirect(&area)) {
        ExtSelectClipRgn(dc, region, RGN_DIFF);
        DeleteObject(region);
    }
}

// The shown children the fill leaves out, in the window's client pixels.
// Their rectangles are mapped in one call, not one per child: for a window
// embedded in another process each mapping is a round trip to Wine's server.
std::vector<RECT> children_cut_out(HWND window) {
    std::vector<RECT> areas;
    for (HWND child = GetWindow(window, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
        // The child's own style: the window being painted is shown, and
        // IsWindowVisible would ask every ancestor, each a round trip too.
        const bool shown = (GetWindowLongW(child, GWL_STYLE) & WS_VISIBLE) != 0;
        RECT area{};
        if (shown && !left_in_fill(child) && GetWindowRect(child, &area)) areas.push_back(area);
    }
    if (areas.empty()) return areas;
    MapWindowPoints(nullptr, window, reinterpret_cast<POINT*>(areas.data()),
                    static_cast<UINT>(areas.size() * 2));
    // A mirrored window's points come back right to left, and only a
    // single rectangle is put back in order by the mapping.
    for (RECT& area : areas)
        if (area.left > area.right) std::swap(area.left, area.right);
    return areas;
}

// Only the window's own DC leaves its children's places out. A child
// drawing what lies behind it (a themed button's corners) hands the window
// its own DC, or a buffer's memory DC, moved to the window's coordinates:
// the cut-outs would be taken in the wrong pixels there, and the child's
// own place is exactly what it asks for, so such a DC is filled whole.
bool is_other_than_own_dc(HDC dc, HWND window) { return WindowFromDC(dc) != window; }

}  // namespace

void start_brush_cache() {
    BrushCache& c = cache();
    if (c.lock_ready) return;
    InitializeCriticalSection(&c.lock);  // lives as long as the process
    c.lock_ready = true;
}

HBRUSH acquire_brush(Color color) {
    CacheLock held;
    BrushCache& c = cache();
    for (BrushEntry* entry = c.head; entry; entry = entry->next) {
        if (entry->color != color) continue;
        ++entry->count;
        if (entry->brush) return entry->brush;
        break;
    }
    HBRUSH brush = CreateSolidBrush(static_cast<COLORREF>(color));
    if (!brush) return nullptr;
    auto* entry = new (std::nothrow) BrushEntry{c.head, color, brush, 1};
    if (!entry) {
        DeleteObject(brush);
        return nullptr;
    }
    c.head = entry;
    return brush;
}

void release_brush(HBRUSH brush) {
    if (!brush) return;
    CacheLock held;
    BrushEntry** link = &cache().head;
    for (BrushEntry* entry = *link; entry; link = &entry->next, entry = *link) {
        if (entry->brush != brush) continue;
        if (--entry->count <= 0) {
            DeleteObject(entry->brush);
            *link = entry->next;
            delete entry;
        }
        return;
    }
}

std::size_t brush_cache_entries() {
    CacheLock held;
    std::size_t count = 0;
    for (BrushEntry* entry = cache().head; entry; entry = entry->next) ++count;
    return count;
}

void set_window_color(ObjectId window, Color color) {
    WindowRecord* record = find_window_record(window);
    if (!record || record->background_color == color) return;
    if (record->background_brush) DeleteObject(record->background_brush);
    record->background_painter = paint_window_background;
    record->background_brush =
        color == kNoColor ? nullptr : CreateSolidBrush(static_cast<COLORREF>(color));
    record->background_color = color;
    InvalidateRect(record->handle, nullptr, TRUE);
}

int paint_window_background(HDC dc, HWND window, HBRUSH brush) {
    RECT client{};
    GetClientRect(window, &client);
    HRGN saved = CreateRectRgnIndirect(&client);
    const bool had_clip = saved && GetClipRgn(dc, saved) == 1;
    if (!is_other_than_own_dc(dc, window))
        for (const RECT& area : children_cut_out(window)) cut_out(dc, area);
    FillRect(dc, &client, brush);
    SelectClipRgn(dc, had_clip ? saved : nullptr);
    if (saved) DeleteObject(saved);
    return 0;
}

void set_gadget_color(ObjectId gadget, int kind, Color color) {
    GadgetRecord* record = find_gadget(gadget);
    if (record && record->ops->set_color) record->ops->set_color(record, kind, color);
}

}  // namespace tessel
