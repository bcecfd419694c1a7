#include <gtest/gtest.h>

#include "toolkit/forms/fonts.h"

namespace tessel {
namespace {

TEST(Fonts, PointSizesBecomeNegativeCharacterHeights) {
    EXPECT_EQ(font_height_for(12, 96), -16);
    EXPECT_EQ(font_height_for(12, 120), -20);
}

TEST(Fonts, AllocatedFontsGetDistinctNumbersAndHandles) {
    const std::intptr_t first = load_font(kAllocateNumber, L"Arial", 12);
    const std::intptr_t second = load_font(kAllocateNumber, L"Arial", 12);
    ASSERT_NE(first, 0);
    EXPECT_NE(first, second);
    EXPECT_GE(first, static_cast<std::intptr_t>(slot_count(*font_table())));
    HFONT handle = font_handle(first);
    ASSERT_NE(handle, nullptr);
    EXPECT_NE(handle, font_handle(second));
    LOGFONTW described{};
    GetObjectW(handle, sizeof described, &described);
    EXPECT_EQ(described.lfHeight, font_height_for(12, screen_vertical_dpi()));
    EXPECT_STREQ(described.lfFaceName, L"Arial");
    EXPECT_EQ(described.lfWeight, FW_NORMAL);
}

TEST(Fonts, ReloadingANumberDeletesTheFirstFont) {
    HFONT first = reinterpret_cast<HFONT>(load_font(3, L"Arial", 10, kFontBold | kFontItalic));
    ASSERT_NE(first, nullptr);
    LOGFONTW described{};
    GetObjectW(first, sizeof described, &described);
    EXPECT_EQ(described.lfWeight, FW_BOLD);
    EXPECT_TRUE(described.lfItalic);
    HFONT second = reinterpret_cast<HFONT>(load_font(3, L"Arial", 14));
    EXPECT_EQ(font_handle(3), second);
    EXPECT_EQ(GetObjectType(first), 0u);
}

TEST(Fonts, NumbersWithoutAFontAnswerNothing) {
    EXPECT_EQ(font_handle(9), nullptr);
    EXPECT_EQ(font_handle(0x12345678), nullptr);
    EXPECT_EQ(load_font(-9, L"Arial", 12), 0);
}

TEST(Fonts, TheDefaultGadgetFontIsTheMessageFont) {
    ASSERT_NE(default_gadget_font(), nullptr);
    NONCLIENTMETRICSW metrics{};
    metrics.cbSize = 500;
    ASSERT_TRUE(SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, 500, &metrics, 0));
    LOGFONTW described{};
    GetObjectW(default_gadget_font(), sizeof described, &described);
    EXPECT_STREQ(described.lfFaceName, metrics.lfMessageFont.lfFaceName);
}

}  // namespace
}  // namespace tessel
