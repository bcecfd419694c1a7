#include <gtest/gtest.h>

#include "tests/support/platform_support.h"
#include "toolkit/forms/colors.h"
#include "toolkit/forms/button.h"
#include "toolkit/forms/combo_box.h"
#include "toolkit/forms/editor.h"
#include "toolkit/forms/fonts.h"
#include "toolkit/forms/text.h"
#include "toolkit/forms/tree.h"
#include "toolkit/gadgets/container.h"
#include "toolkit/gadgets/gadget_list.h"
#include "toolkit/gadgets/splitter.h"
#include "toolkit/window/event_pump.h"
#include "toolkit/window/window.h"

namespace tessel {
namespace {

int erase_count = 0;
WNDPROC static_procedure = nullptr;
LRESULT CALLBACK counting_procedure(HWND w, UINT m, WPARAM wp, LPARAM lp) {
    if (m == WM_ERASEBKGND) ++erase_count;
    return CallWindowProcW(static_procedure, w, m, wp, lp);
}

// A native control registered as a gadget of a given kind code.
std::intptr_t create_test_gadget(ObjectId number, const GadgetTypeOps* ops) {
    HWND control = create_gadget_window({0, L"STATIC", L"", SS_NOTIFY, 10, 10, 80, 30});
    if (!control) return 0;
    static_procedure = reinterpret_cast<WNDPROC>(SetWindowLongPtrW(
        control, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(counting_procedure)));
    GadgetRecord* record = reserve_gadget(number, control);
    return record ? register_gadget(number, record, control, ops) : 0;
}

constexpr GadgetTypeOps kButtonLike{.type_code = kButtonKind, .table_size = kGadgetOpsSize};
constexpr GadgetTypeOps kPlainKind{.type_code = 99, .table_size = kGadgetOpsSize};

class GadgetTest : public ::testing::Test {
protected:
    void SetUp() override {
        window = as_window(open_window(0, 50, 50, 400, 300, L"Gadgets", 0xCD0000));
        testing::pump_for(30);
        while (take_event(main_event_queue())) {}
    }
    void TearDown() override {
        close_window(0);
        testing::pump_for(10);
        while (take_event(main_event_queue())) {}
    }
    HWND window = nullptr;
};

TEST_F(GadgetTest, EveryKindsTableCarriesItsCodeAndItsSizeInBytes) {
    // Two 32-bit words and forty procedure slots: 168 bytes where a
    // procedure is 4 bytes, 328 where it is 8.
    const std::int32_t bytes = sizeof(void*) == 8 ? 328 : 168;
    create_container(1, 0, 0, 50, 50);
    close_gadget_list();
    create_text(2, 0, 0, 50, 20, L"t");
    create_button(3, 0, 0, 50, 20, L"b");
    create_combo_box(4, 0, 0, 50, 20);
    create_tree(5, 0, 0, 50, 50);
    create_editor(6, 0, 0, 50, 50);
    create_splitter(7, 0, 0, 100, 100, 2, 3, 0);
    const int codes[] = {0, kContainerKind, kTextKind, kButtonKind, kComboBoxKind, kTreeKind,
                         kEditorKind, kSplitterKind};
    for (ObjectId number = 1; number <= 7; ++number) {
        const GadgetRecord* record = find_gadget(number);
        ASSERT_NE(record, nullptr) << number;
        EXPECT_EQ(record->ops->type_code, codes[number]) << number;
        EXPECT_EQ(record->ops->table_size, bytes) << number;
    }
}

TEST_F(GadgetTest, ReusingANumberDestroysTheOldControlAndItsEventsAndRunsItsTeardown) {
    HWND old_container = as_window(create_container(1, 0, 0, 100, 100));
    close_gadget_list();
    set_gadget_color(1, kColorBack, 0x123456);
    const std::size_t brushes = brush_cache_entries();
    post_event(gadget_event, 1, 0, 0);
    post_event(gadget_event, 2, 0, 0);
    HWND new_container = as_window(create_container(1, 0, 0, 100, 100));
    close_gadget_list();
    EXPECT_FALSE(IsWindow(old_container));
    EXPECT_EQ(brush_cache_entries(), brushes - 1);  // release gave the brush back
    EXPECT_EQ(gadget_handle(1), new_container);
    int left_for_one = 0, left_for_two = 0;
    for (const QueuedEvent* e = main_event_queue().head; e; e = e->next) {
        left_for_one += e->code == gadget_event && e->object == 1;
        left_for_two += e->code == gadget_event && e->object == 2;
    }
    EXPECT_EQ(left_for_one, 0);
    EXPECT_EQ(left_for_two, 1);
}

TEST_F(GadgetTest, AllocatedNumbersAndExplicitNumbersAnswerDifferently) {
    const std::intptr_t number = create_container(kAllocateNumber, 0, 0, 50, 50);
    close_gadget_list();
    EXPECT_GE(number, static_cast<std::intptr_t>(slot_count(*gadget_table())));
    ASSERT_NE(gadget_handle(number), nullptr);
    EXPECT_EQ(GetWindowLongPtrW(gadget_handle(number), GWLP_ID), number);
    const std::intptr_t handle = create_container(3, 0, 0, 50, 50);
    close_gadget_list();
    EXPECT_EQ(as_window(handle), gadget_handle(3));
    EXPECT_EQ(reinterpret_cast<std::intptr_t>(GetPropW(gadget_handle(3), L"ZW_ID")), 3);
    DestroyWindow(gadget_handle(number));
    EXPECT_EQ(gadget_handle(number), nullptr);
}

TEST_F(GadgetTest, KeptValuesComeFromThePlaceInTheCurrentParent) {
    HWND outer = as_window(create_container(1, 40, 30, 300, 200));
    create_container(2, 15, 25, 100, 80);  // inside 1
    close_gadget_list();
    close_gadget_list();
    ASSERT_EQ(GetParent(gadget_handle(2)), outer);
    resize_gadget(2, kKeepCurrent, kKeepCurrent, 150, kKeepCurrent);
    const RECT placed = testing::rect_in(outer, gadget_handle(2));
    EXPECT_EQ(placed.left, 15);
    EXPECT_EQ(placed.top, 25);
    EXPECT_EQ(placed.right - placed.left, 150);
    EXPECT_EQ(placed.bottom - placed.top, 80);
    place_gadget(2, kKeepCurrent, 30, kKeepCurrent, kKeepCurrent);  // likewise in pixels
    const RECT moved = testing::rect_in(outer, gadget_handle(2)), want{15, 30, 165, 110};
    EXPECT_TRUE(EqualRect(&moved, &want));
}

TEST_F(GadgetTest, AButtonIsErasedAndRedrawnInFullOtherKindsOnlyInvalidate) {
    ASSERT_NE(create_test_gadget(5, &kButtonLike), 0);
    UpdateWindow(window);
    erase_count = 0;
    resize_gadget(5, 10, 10, 80, 30);  // same place: only the redraw can erase
    UpdateWindow(gadget_handle(5));
    EXPECT_EQ(erase_count, 1);
    ASSERT_NE(create_test_gadget(6, &kPlainKind), 0);
    UpdateWindow(window);
    erase_count = 0;
    resize_gadget(6, 10, 10, 80, 30);
    UpdateWindow(gadget_handle(6));
    EXPECT_EQ(erase_count, 0);
}

TEST_F(GadgetTest, StateOnAKindWithoutStateDoesNothingAndLeavesSuppressionAlone) {
    create_container(1, 0, 0, 50, 50);
    close_gadget_list();
    testing::pump_for(20);
    const std::size_t queued = queued_event_count(main_event_queue());
    set_gadget_state(1, 42);
    EXPECT_EQ(main_event_queue().suppression, 0);
    // Nothing moved and nothing was posted.
    EXPECT_EQ(queued_event_count(main_event_queue()), queued);
    EXPECT_EQ(gadget_width(1), 50);
    EXPECT_EQ(gadget_state(1), 0);
}

TEST_F(GadgetTest, ClosingTheListAfterAContainerCreatesTheNextBesideIt) {
    create_container(1, 0, 0, 50, 50);
    close_gadget_list();
    create_container(2, 0, 0, 50, 50);
    close_gadget_list();
    EXPECT_EQ(GetParent(gadget_handle(1)), window);
    EXPECT_EQ(GetParent(gadget_handle(2)), window);
    create_container(3, 0, 0, 50, 50);
    create_container(4, 0, 0, 50, 50);  // without the close: inside 3
    EXPECT_EQ(GetParent(gadget_handle(4)), gadget_handle(3));
    close_gadget_list();
    close_gadget_list();
    close_gadget_list();  // once more than opened: harmless
    EXPECT_EQ(current_gadget_parent(), window);
}

TEST_F(GadgetTest, DestroyingTheCurrentListsWindowLeavesNoParent) {
    close_window(0);
    EXPECT_EQ(current_gadget_parent(), nullptr);
    EXPECT_EQ(create_container(1, 0, 0, 50, 50), 0);
    EXPECT_EQ(gadget_handle(1), nullptr);
    window = as_window(open_window(0, 50, 50, 400, 300, L"Gadgets", 0xCD0000));
    EXPECT_NE(create_container(1, 0, 0, 50, 50), 0);
}

TEST_F(GadgetTest, EachWindowKeepsItsOwnListWhileAnotherIsCurrent) {
    HWND second = as_window(open_window(1, 500, 50, 200, 200, L"Other", 0xCD0000));
    EXPECT_EQ(current_gadget_parent(), second);
    EXPECT_EQ(use_gadget_list(window), second);
    create_container(1, 0, 0, 50, 50);  // list of window 0, one deep
    EXPECT_EQ(use_gadget_list(second), window);
    EXPECT_EQ(current_gadget_parent(), second);
    use_gadget_list(window);
    EXPECT_EQ(current_gadget_parent(), gadget_handle(1));  // depth restored
    EXPECT_EQ(use_gadget_list(nullptr), window);
    close_window(1);
}

TEST_F(GadgetTest, SizesAreOuterSizesAndNumbersNamingNothingAreHarmless) {
    create_container(1, 0, 0, 120, 70, kContainerBorder);
    close_gadget_list();
    EXPECT_EQ(gadget_width(1), 120);
    EXPECT_EQ(gadget_height(1), 70);
    EXPECT_LT(testing::client_rect(gadget_handle(1)).right, 120);
    EXPECT_EQ(gadget_width(1, kRequiredSize), 0);
    EXPECT_EQ(gadget_width(77), 0);
    EXPECT_EQ(gadget_height(0x7FFF0000), 0);
    resize_gadget(0x7FFF0000, 1, 1, 1, 1);
    set_gadget_state(-5, 1);
    set_gadget_color(77, kColorBack, 0);
    set_gadget_font(77, kDefaultGadgetFont);
}

TEST_F(GadgetTest, AFontForAKindWithoutAFontSlotArrivesAsAMessage) {
    create_test_gadget(5, &kPlainKind);
    set_gadget_font(5, kDefaultGadgetFont);
    EXPECT_EQ(reinterpret_cast<HFONT>(SendMessageW(gadget_handle(5), WM_GETFONT, 0, 0)),
              default_gadget_font());
    const std::intptr_t font = load_font(kAllocateNumber, L"Arial", 12);
    set_gadget_font(kAllocateNumber, as_native(font_handle(font)));
    create_test_gadget(6, &kPlainKind);
    EXPECT_EQ(reinterpret_cast<HFONT>(SendMessageW(gadget_handle(6), WM_GETFONT, 0, 0)),
              font_handle(font));
    set_gadget_font(kAllocateNumber, kDefaultGadgetFont);
    EXPECT_EQ(current_gadget_font(), default_gadget_font());
}

}  // namespace
}  // namespace tessel
