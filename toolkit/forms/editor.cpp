#include "toolkit/forms/editor.h"

#include <richedit.h>
#include <uxtheme.h>
#include <vssym32.h>

#include <algorithm>
#include <cwchar>
#include <memory>
#include <new>

#include "toolkit/forms/common_controls.h"
#include "toolkit/forms/fonts.h"
#include "toolkit/gadgets/gadget_list.h"
#include "toolkit/window/event_pump.h"
#include "toolkit/toolkit.h"

namespace tessel {
namespace {

constexpr DWORD kEditorStyle = WS_CHILD | WS_VISIBLE | WS_VSCROLL | WS_HSCROLL | WS_TABSTOP |
                               ES_MULTILINE | ES_AUTOVSCROLL | ES_AUTOHSCROLL | ES_NOHIDESEL |
                               ES_WANTRETURN;
static_assert(kEditorStyle == 0x503111C4);
constexpr wchar_t kClientRectProperty[] = L"ZW_ClientRect";
constexpr wchar_t kWordWrapProperty[] = L"ZW_WordWrap";
constexpr wchar_t kTabNavigationProperty[] = L"ZW_TabNavigation";
constexpr UINT kFrameChanged = SWP_NOSIZE | SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_FRAMECHANGED;
static_assert(kFrameChanged == 0x37);
constexpr UINT kFrameRedraw = RDW_INVALIDATE | RDW_NOCHILDREN | RDW_UPDATENOW | RDW_FRAME;
static_assert(kFrameRedraw == 0x541);
// A disabled rich-edit control lower than this, in device pixels, draws
// nothing at all.
constexpr int kLowestDisabledHeight = 20;
constexpr UINT kUtf8 = 65001;
constexpr int kBorderInset = 1;
// No practical limit on the text. Not EM_LIMITTEXT's -1: Wine's rich edit
// keeps that as a negative limit and refuses every insertion.
constexpr LPARAM kNoPracticalLimit = 0x7FFFFFFE;

// Per-type words.
constexpr int kEmptyLineWord = 0;
constexpr int kBackWord = 1;
constexpr int kFrontWord = 2;
constexpr int kFontWord = 3;

// Empty-line states: an empty line added to an empty editor leaves its
// text empty but is counted; the next line first adds its break.
constexpr int kNoPendingLine = 0;
constexpr int kPendingLine = 1;
constexpr int kPendingLineWritten = 2;

struct EditorModule {
    bool libraries_loaded = false;
    HMODULE msftedit = nullptr;
    HMODULE riched20 = nullptr;
    WNDPROC control_procedure = nullptr;
};

EditorModule& module() {
    static EditorModule editor_module;
    return editor_module;
}

struct Insets {
    std::int32_t left, top, right, bottom;
};

Insets* insets_of(HWND control) { return static_cast<Insets*>(GetPropW(control, kClientRectProperty)); }

bool read_only(HWND control) { return SendMessageW(control, EM_GETOPTIONS, 0, 0) & ECO_READONLY; }

// --- text and lines ---------------------------------------------------------

void replace_selection(const GadgetRecord* r, const wchar_t* text) {
    send_to(r, EM_REPLACESEL, FALSE, reinterpret_cast<LPARAM>(text ? text : L""));
}

// Selection hiding around a change, so that it does not flicker or scroll.
template <typename Change>
void hidden_selection(const GadgetRecord* r, Change change) {
    send_to(r, EM_HIDESELECTION, 1);
    change();
    send_to(r, EM_HIDESELECTION, 0);
}

void select(const GadgetRecord* r, LONG from, LONG to) {
    CHARRANGE range{from, to};
    send_to(r, EM_EXSETSEL, 0, reinterpret_cast<LPARAM>(&range));
}

LONG text_length(const GadgetRecord* r) {
    GETTEXTLENGTHEX how{GTL_NUMCHARS | GTL_PRECISE, 1200};
    return static_cast<LONG>(send_to(r, EM_GETTEXTLENGTHEX, reinterpret_cast<WPARAM>(&how)));
}

LONG line_start(const GadgetRecord* r, int line) { return static_cast<LONG>(send_to(r, EM_LINEINDEX, static_cast<WPARAM>(line))); }

void clear_editor(GadgetRecord* r) {
    SetWindowTextW(r->handle, L"");
    r->words[kEmptyLineWord] = kNoPendingLine;
}

int count_editor_lines(GadgetRecord* r) {
    if (text_length(r) == 0 && r->words[kEmptyLineWord] == kNoPendingLine) return 0;
    return static_cast<int>(send_to(r, EM_GETLINECOUNT));
}

std::wstring get_editor_text(GadgetRecord* r) { return window_text(r->handle); }

void set_editor_text(GadgetRecord* r, const wchar_t* text) {
    if (!text || !*text) {
        clear_editor(r);
        return;
    }
    SetScrollPos(r->handle, SB_HORZ, 0, TRUE);
    if (std::wcscmp(text, L"\r\n") == 0) {
        SetWindowTextW(r->handle, text);
        return;
    }
    // The control reads a text that begins like rich text ("{\\rtf") as
    // markup, even in plain-text mode; every leading brace goes in on its
    // own so that the text shown is the text given.
    const std::size_t braces = std::wcsspn(text, L"{");
    const wchar_t* rest = text + braces;
    const int bytes = WideCharToMultiByte(CP_UTF8, 0, rest, -1, nullptr, 0, nullptr, nullptr);
    if (bytes <= 0) return;
    std::unique_ptr<char[]> utf8(new (std::nothrow) char[static_cast<std::size_t>(bytes)]);
    if (!utf8) return;
    WideCharToMultiByte(CP_UTF8, 0, rest, -1, utf8.get(), bytes, nullptr, nullptr);
    SETTEXTEX how{ST_DEFAULT, kUtf8};
    send_to(r, EM_SETTEXTEX, reinterpret_cast<WPARAM>(&how), reinterpret_cast<LPARAM>(utf8.get()));
    if (braces > 0) {
        select(r, 0, 0);
        replace_selection(r, std::wstring(braces, L'{').c_str());
    }
}

std::intptr_t add_editor_line(GadgetRecord* r, int position, const wchar_t* text, std::intptr_t) {
    if (count_editor_lines(r) == 0) position = -1;
    const LONG lines = static_cast<LONG>(send_to(r, EM_GETLINECOUNT));
    hidden_selection(r, [&] {
        if (position < 0 || position >= lines) {
            const LONG end = text_length(r);
            select(r, end, end);
            if (r->words[kEmptyLineWord] == kPendingLine) {
                replace_selection(r, L"\n");
                r->words[kEmptyLineWord] = kPendingLineWritten;
            }
            if (end > 0) replace_selection(r, L"\n");
            else if ((!text || !*text) && r->words[kEmptyLineWord] == kNoPendingLine)
                r->words[kEmptyLineWord] = kPendingLine;
            replace_selection(r, text);
        } else {
            const LONG start = line_start(r, position);
            select(r, start, start);
            replace_selection(r, text);
            replace_selection(r, L"\n");
        }
    });
    return 0;
}

void remove_editor_line(GadgetRecord* r, int line) {
    const LONG start = line_start(r, line);
    if (start < 0) return;
    const LONG lines = static_cast<LONG>(send_to(r, EM_GETLINECOUNT));
    LONG from = start, to = line + 1 < lines ? line_start(r, line + 1) : text_length(r);
    // The last line, when not also the first, takes the break before it.
    if (line + 1 >= lines && line > 0) --from;
    hidden_selection(r, [&] {
        select(r, from, to);
        replace_selection(r, L"");
    });
    if (text_length(r) == 0) r->words[kEmptyLineWord] = kNoPendingLine;
}

std::wstring get_editor_line(GadgetRecord* r, int line) {
    const LONG start = line_start(r, line);
    if (start < 0) return {};
    const auto length = static_cast<std::size_t>(send_to(r, EM_LINELENGTH, static_cast<WPARAM>(start)));
    // EM_GETLINE reads the buffer size from its first word.
    std::wstring text(std::max<std::size_t>(length + 1, 2), L'\0');
    text[0] = static_cast<wchar_t>(std::min<std::size_t>(text.size(), 0xFFFF));
    const LRESULT copied = send_to(r, EM_GETLINE, static_cast<WPARAM>(line), reinterpret_cast<LPARAM>(text.data()));
    text.resize(static_cast<std::size_t>(std::max<LRESULT>(copied, 0)));
    while (!text.empty() && (text.back() == L'\r' || text.back() == L'\n')) text.pop_back();
    return text;
}

void set_editor_line(GadgetRecord* r, int line, const wchar_t* text) {
    const LONG start = line_start(r, line);
    if (start < 0) return;
    const auto length = static_cast<LONG>(send_to(r, EM_LINELENGTH, static_cast<WPARAM>(start)));
    hidden_selection(r, [&] {
        select(r, start, start + length);
        replace_selection(r, text);
    });
}

// --- attributes, colours, font ------------------------------------------------

std::int64_t get_editor_attribute(GadgetRecord* r, int attribute) {
    if (attribute == kEditorReadOnlyAttribute) return read_only(r->handle) ? 1 : 0;
    if (attribute == kEditorWordWrapAttribute)
        return reinterpret_cast<std::intptr_t>(GetPropW(r->handle, kWordWrapProperty));
    return 0;
}

void set_editor_attribute(GadgetRecord* r, int attribute, std::int32_t low, std::int32_t high) {
    const std::int64_t value = whole_value(low, high);
    const bool on = value != 0;
    if (attribute == kEditorReadOnlyAttribute) {
        send_to(r, EM_SETREADONLY, on ? 1 : 0);
    } else if (attribute == kEditorWordWrapAttribute) {
        // A line width of 1 means "no wrap"; 0 wraps at the window's edge.
        send_to(r, EM_SETTARGETDEVICE, 0, on ? 0 : 1);
        SetPropW(r->handle, kWordWrapProperty,
                 reinterpret_cast<HANDLE>(static_cast<std::intptr_t>(value)));
    }
}

Color get_editor_color(GadgetRecord* r, int kind) {
    if (kind == kColorFront) return static_cast<Color>(r->words[kFrontWord]);
    if (kind == kColorBack) return static_cast<Color>(r->words[kBackWord]);
    return kNoColor;
}

void apply_front_color(HWND control, Color color) {
    CHARFORMATW format{};
    format.cbSize = sizeof format;
    static_assert(sizeof(CHARFORMATW) == 92);
    format.dwMask = CFM_COLOR;
    format.dwEffects = color == kNoColor ? CFE_AUTOCOLOR : 0;
    format.crTextColor = static_cast<COLORREF>(color);
    SendMessageW(control, EM_SETCHARFORMAT, SCF_ALL, reinterpret_cast<LPARAM>(&format));
    SendMessageW(control, EM_SETCHARFORMAT, SCF_DEFAULT, reinterpret_cast<LPARAM>(&format));
}

void set_editor_color(GadgetRecord* r, int kind, Color color) {
    if (kind == kColorBack) {
        send_to(r, EM_SETBKGNDCOLOR, color == kNoColor ? 1 : 0, color == kNoColor ? 0 : static_cast<COLORREF>(color));
        r->words[kBackWord] = color;
    } else if (kind == kColorFront) {
        apply_front_color(r->handle, color);
        r->words[kFrontWord] = color;
    }
}

HFONT get_editor_font(GadgetRecord* r) { return reinterpret_cast<HFONT>(r->words[kFontWord]); }

void set_editor_font(GadgetRecord* r, std::intptr_t font) {
    HFONT handle = font == kDefaultGadgetFont ? default_gadget_font() : reinterpret_cast<HFONT>(font);
    r->words[kFontWord] = reinterpret_cast<std::intptr_t>(handle);
    send_to(r, WM_SETFONT, reinterpret_cast<WPARAM>(handle), TRUE);
}

LRESULT report_editor_change(GadgetRecord* r, HWND, UINT message, WPARAM, LPARAM lparam) {
    if (message != WM_NOTIFY || reinterpret_cast<NMHDR*>(lparam)->code != kEventChange) return kNotHandled;
    notify_gadget_event(r->handle, kEventChange);
    return 0;
}

constexpr GadgetTypeOps kEditorOps{
    .type_code = kEditorKind,
    .table_size = kGadgetOpsSize,
    .message_hook = report_editor_change,
    .get_text = get_editor_text,
    .set_text = set_editor_text,
    .add_item = add_editor_line,
    .remove_item = remove_editor_line,
    .clear_items = clear_editor,
    .count_items = count_editor_lines,
    .get_item_text = get_editor_line,
    .set_item_text = set_editor_line,
    .get_attribute = get_editor_attribute,
    .set_attribute = set_editor_attribute,
    .set_color = set_editor_color,
    .get_color = get_editor_color,
    .get_font = get_editor_font,
    .set_font = set_editor_font,
};

// --- the themed border --------------------------------------------------------

class Theme {
public:
    explicit Theme(HWND control) : theme_(visual_styles_active() ? OpenThemeData(control, L"edit") : nullptr) {}
    ~Theme() {
        if (theme_) CloseThemeData(theme_);
    }
    Theme(const Theme&) = delete;
    Theme& operator=(const Theme&) = delete;
    HTHEME get() const { return theme_; }

private:
    HTHEME theme_;
};

// The client area shrinks to the theme's content rectangle less a pixel,
// leaving room for the border drawn on WM_NCPAINT.
void fit_client_to_theme(HWND control, RECT& client) {
    Theme theme(control);
    Insets* insets = insets_of(control);
    if (!theme.get() || !insets) return;
    HWND parent = GetParent(control);
    HDC dc = GetDC(parent);
    RECT content{};
    const HRESULT found = GetThemeBackgroundContentRect(theme.get(), dc, EP_EDITTEXT, ETS_NORMAL, &client, &content);
    ReleaseDC(parent, dc);
    if (FAILED(found)) return;
    InflateRect(&content, -kBorderInset, -kBorderInset);
    *insets = {content.left - client.left, content.top - client.top, content.right - client.right,
               content.bottom - client.bottom};
    client = content;
}

void paint_themed_border(HWND control) {
    Theme theme(control);
    const Insets* insets = insets_of(control);
    if (!theme.get() || !insets) return;
    HDC dc = GetWindowDC(control);
    if (!dc) return;
    RECT frame{};
    GetWindowRect(control, &frame);
    OffsetRect(&frame, -frame.left, -frame.top);
    RECT inner{frame.left + insets->left, frame.top + insets->top, frame.right + insets->right,
               frame.bottom + insets->bottom};
    ExcludeClipRect(dc, inner.left, inner.top, inner.right, inner.bottom);
    const int state = !IsWindowEnabled(control) ? ETS_DISABLED : read_only(control) ? ETS_READONLY : ETS_NORMAL;
    if (IsThemeBackgroundPartiallyTransparent(theme.get(), EP_EDITTEXT, state))
        DrawThemeParentBackground(control, dc, &frame);
    DrawThemeBackground(theme.get(), dc, EP_EDITTEXT, state, &frame, nullptr);
    ReleaseDC(control, dc);
}

// --- the editor window procedure -----------------------------------------------

LRESULT call_control(HWND control, UINT message, WPARAM wparam, LPARAM lparam) {
    return CallWindowProcW(module().control_procedure, control, message, wparam, lparam);
}

// In device pixels, as the control itself counts them, whatever the scale.
void set_device_height(HWND control, int width, int height) {
    SetWindowPos(control, nullptr, 0, 0, width, height, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    InvalidateRect(control, nullptr, FALSE);
}

LRESULT on_disable(HWND control, WPARAM wparam, LPARAM lparam) {
    RECT area{};
    GetWindowRect(control, &area);
    const int width = area.right - area.left, height = area.bottom - area.top;
    if (!registered_gadget(control, true) || height >= kLowestDisabledHeight)
        return call_control(control, WM_ENABLE, wparam, lparam);
    set_device_height(control, width, kLowestDisabledHeight);
    call_control(control, WM_ENABLE, wparam, lparam);
    set_device_height(control, width, height);
    return 0;
}

LRESULT on_tab(HWND control, WPARAM wparam, LPARAM lparam) {
    HWND parent = GetParent(control);
    if (GetPropW(control, kTabNavigationProperty) && parent)
        if (HWND next = GetNextDlgTabItem(parent, control, GetKeyState(VK_SHIFT) < 0)) {
            SetFocus(next);
            return 1;
        }
    return call_control(control, WM_CHAR, wparam, lparam);
}

// The editor's properties leave with its window; the record is released by
// the gadget subclass procedure in front of this one.
LRESULT on_nc_destroy(HWND control, WPARAM wparam, LPARAM lparam) {
    delete static_cast<Insets*>(RemovePropW(control, kClientRectProperty));
    RemovePropW(control, kWordWrapProperty);
    RemovePropW(control, kTabNavigationProperty);
    return call_control(control, WM_NCDESTROY, wparam, lparam);
}

LRESULT CALLBACK editor_procedure(HWND control, UINT message, WPARAM wparam, LPARAM lparam) {
    switch (message) {
        case WM_SETFOCUS:
            notify_gadget_event(control, kEventFocus);
            break;
        case WM_KILLFOCUS:
            notify_gadget_event(control, kEventFocusLost);
            break;
        case WM_ENABLE:
            if (!wparam) return on_disable(control, wparam, lparam);
            break;
        case WM_SETFONT: {
            // A new font resets the character format; the colour stays.
            call_control(control, message, wparam, lparam);
            const GadgetRecord* r = registered_gadget(control, true);
            apply_front_color(control, r ? static_cast<Color>(r->words[kFrontWord]) : kNoColor);
            return 0;
        }
        case WM_NCDESTROY:
            return on_nc_destroy(control, wparam, lparam);
        case WM_NCCALCSIZE:
            if (wparam) {
                const LRESULT result = call_control(control, message, wparam, lparam);
                if (!visual_styles_active()) return result;
                fit_client_to_theme(control, reinterpret_cast<NCCALCSIZE_PARAMS*>(lparam)->rgrc[0]);
                return WVR_REDRAW;
            }
            break;
        case WM_NCPAINT:
            call_control(control, message, wparam, lparam);
            paint_themed_border(control);
            return 0;
        case WM_CHAR:
            if (wparam == L'\t') return on_tab(control, wparam, lparam);
            break;
        default:
            break;
    }
    return call_control(control, message, wparam, lparam);
}

// The richest class the platform has; the libraries stay loaded.
const wchar_t* load_rich_edit() {
    EditorModule& m = module();
    if (!m.libraries_loaded) {
        m.msftedit = load_system_library(L"MSFTEDIT.DLL");
        m.riched20 = load_system_library(L"RICHED20.DLL");
        if (!m.riched20) load_system_library(L"RICHED32.DLL");
        m.libraries_loaded = true;
    }
    if (m.msftedit) return MSFTEDIT_CLASS;  // "RICHEDIT50W"
    if (m.riched20) return RICHEDIT_CLASSW;  // "RichEdit20W"
    return L"RichEdit";
}

// Events that the creation causes are not the user's; forced ones still go.
class SuppressedEvents {
public:
    SuppressedEvents() { suppress_events(); }
    ~SuppressedEvents() { resume_events(); }
    SuppressedEvents(const SuppressedEvents&) = delete;
    SuppressedEvents& operator=(const SuppressedEvents&) = delete;
};

}  // namespace

std::intptr_t create_editor(ObjectId number, int x, int y, int width, int height, unsigned flags) {
    SuppressedEvents quiet;
    probe_visual_styles();
    const wchar_t* class_name = load_rich_edit();
    const DWORD extended = visual_styles_active() ? 0 : WS_EX_CLIENTEDGE;
    HWND control = create_gadget_window({extended, class_name, nullptr, kEditorStyle, x, y, width, height});
    if (!control) return 0;
    GadgetRecord* record = reserve_gadget(number, control);
    if (!record) return 0;
    record->words[kBackWord] = kNoColor;
    record->words[kFrontWord] = kNoColor;
    record->words[kFontWord] = reinterpret_cast<std::intptr_t>(current_gadget_font());
    SetPropW(control, kClientRectProperty, new (std::nothrow) Insets{});
    SendMessageW(control, EM_EXLIMITTEXT, 0, kNoPracticalLimit);
    SendMessageW(control, EM_SETTEXTMODE, TM_PLAINTEXT, 0);
    const auto previous = reinterpret_cast<WNDPROC>(
        SetWindowLongPtrW(control, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(editor_procedure)));
    if (previous != editor_procedure) module().control_procedure = previous;
    SetWindowPos(control, nullptr, 0, 0, 0, 0, kFrameChanged);
    RedrawWindow(control, nullptr, nullptr, kFrameRedraw);
    SendMessageW(control, EM_SETEVENTMASK, 0, SendMessageW(control, EM_GETEVENTMASK, 0, 0) | ENM_CHANGE);
    if (module().msftedit) SendMessageW(control, EM_SETEDITSTYLEEX, SES_EX_NOTABLE, SES_EX_NOTABLE);
    const std::intptr_t result = register_gadget(number, record, control, &kEditorOps);
    if (flags & kEditorWordWrap) set_editor_attribute(record, kEditorWordWrapAttribute, 1, 0);
    if (flags & kEditorReadOnly) set_editor_attribute(record, kEditorReadOnlyAttribute, 1, 0);
    if (flags & kEditorTabNavigation) SetPropW(control, kTabNavigationProperty, reinterpret_cast<HANDLE>(1));
    return result;
}

}  // namespace tessel
