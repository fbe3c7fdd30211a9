#include "batch/StartCheck.h"

#include <gtest/gtest.h>
#include <vector>

namespace tessoly {
namespace {

StartState Ready() {
    StartState s;
    s.rowCount = 3;
    s.checkedCount = 2;
    s.textMode = true;
    s.caption = "\u00A9 Tessoly";
    return s;
}

TEST(StartCheck, TheFirstMatchingCaseWins) {
    struct Case {
        const char* name;
        StartState state;
        StartDecision expected;
    };
    std::vector<Case> cases;
    auto add = [&](const char* name, auto change, StartDecision expected) {
        StartState s = Ready();
        change(s);
        cases.push_back({name, s, expected});
    };
    add(
        "ready", [](StartState&) {}, StartDecision::Start);
    add(
        "batch running beats everything",
        [](StartState& s) {
            s.batchRunning = true;
            s.readingInProgress = true;
            s.rowCount = 0;
        },
        StartDecision::AskCancelBatch);
    add(
        "reading stops at once",
        [](StartState& s) {
            s.readingInProgress = true;
            s.rowCount = 0;
        },
        StartDecision::StopReading);
    add(
        "empty list beats an empty caption",
        [](StartState& s) {
            s.rowCount = 0;
            s.checkedCount = 0;
            s.caption = "";
        },
        StartDecision::EmptyList);
    add(
        "nothing checked",
        [](StartState& s) {
            s.checkedCount = 0;
            s.caption = "";
        },
        StartDecision::NothingChecked);
    add(
        "caption of three blanks", [](StartState& s) { s.caption = "   "; }, StartDecision::MissingCaption);
    add(
        "caption of control characters", [](StartState& s) { s.caption = "\t\r\n"; },
        StartDecision::MissingCaption);
    add(
        "image mode with an empty path",
        [](StartState& s) {
            s.textMode = false;
            s.caption = "";
        },
        StartDecision::MissingPicture);
    add(
        "image mode ignores the caption",
        [](StartState& s) {
            s.textMode = false;
            s.caption = "";
            s.picturePath = "/gone.png";
        },
        StartDecision::Start);
    add(
        "text mode ignores the picture", [](StartState& s) { s.picturePath = ""; }, StartDecision::Start);
    add(
        "overwrite asks last", [](StartState& s) { s.overwritePolicy = true; }, StartDecision::AskOverwrite);
    add(
        "overwrite after the caption check",
        [](StartState& s) {
            s.overwritePolicy = true;
            s.caption = " ";
        },
        StartDecision::MissingCaption);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(DecideStart(c.state), c.expected);
    }
}

TEST(StartCheck, TrimBlanksTakesBlanksAndControlCharactersFromBothEnds) {
    EXPECT_EQ(TrimBlanks("  Photo \t"), "Photo");
    EXPECT_EQ(TrimBlanks("\x01 a b \x1f"), "a b");
    EXPECT_EQ(TrimBlanks("   "), "");
    EXPECT_EQ(TrimBlanks(QString::fromUtf8("\u00A0x\u00A0")), QString::fromUtf8("\u00A0x\u00A0"));
}

} // namespace
} // namespace tessoly
