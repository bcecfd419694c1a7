#include "host/input_owner.h"

#include <gtest/gtest.h>

namespace tessel::host {
namespace {

// Only the pane clicked into owns the input, and only while it answers: a
// ping owed for the limit counts as a stop.
TEST(InputOwner, OnlyThePaneClickedIntoOwnsTheInputWhileItAnswers) {
    EXPECT_TRUE(answers(Pings{}, 100) && answers(Pings{1000, 1200}, 9000));
    EXPECT_TRUE(answers(Pings{1000, 0}, 1000 + kAnswerLimit - 1));
    EXPECT_FALSE(answers(Pings{3000, 1200}, 3000 + kAnswerLimit));  // answered an older one only
    const bool all[] = {false, true, true, true}, second_stopped[] = {false, true, false, true};
    EXPECT_EQ(input_owner(1, InputEvent::press_on_pane, 2, all), 2);
    EXPECT_EQ(input_owner(1, InputEvent::press_on_pane, 2, second_stopped), 0);
    EXPECT_EQ(input_owner(2, InputEvent::press_elsewhere, 0, all), 2);  // a bar keeps the keyboard
    EXPECT_EQ(input_owner(2, InputEvent::look, 0, second_stopped), 0);
    EXPECT_EQ(input_owner(3, InputEvent::left_front, 0, all), 0);
}

}  // namespace
}  // namespace tessel::host
