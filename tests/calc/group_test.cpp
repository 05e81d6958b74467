#include "calc/group.h"
#include "datafiles/group_file.h"

#include <gtest/gtest.h>

namespace orbistan {
namespace {

GroupSlot bearing(double dw, std::string number = "", int standard = 1) {
    return GroupSlot{9, 25, dw, 0, 52, 25, standard, std::move(number)};
}

std::vector<std::string> numbers(const Group& g) {
    std::vector<std::string> out;
    for (const GroupSlot& s : g.slot) {
        if (s.filled()) {
            out.push_back(s.number);
        }
    }
    return out;
}

TEST(GroupUpdate, UnnamedBearingsGetPlaceholderNames) {
    Group g;
    EXPECT_EQ(updateGroup(g, bearing(7)).kind, GroupUpdate::Appended);
    updateGroup(g, bearing(8));
    updateGroup(g, bearing(9));
    EXPECT_EQ(numbers(g), (std::vector<std::string>{"1????", "2????", "3????"}));
    EXPECT_EQ(g.GroupFill, 3);
    // The same values and standard again: found, nothing added, saved again.
    const GroupUpdate again = updateGroup(g, bearing(8));
    EXPECT_EQ(again.kind, GroupUpdate::Found);
    EXPECT_EQ(again.slot, 1);
    EXPECT_TRUE(again.saves());
    EXPECT_EQ(g.GroupFill, 3);
}

TEST(GroupUpdate, ANumberWithOtherValuesOverwritesItsSlotWithoutSaving) {
    Group g;
    updateGroup(g, bearing(7, "6205"));
    updateGroup(g, bearing(5, "6300"));
    const GroupUpdate u = updateGroup(g, bearing(8, "6205", 0));
    EXPECT_EQ(u.kind, GroupUpdate::OverwrittenByNumber);
    EXPECT_FALSE(u.saves());
    EXPECT_EQ(u.slot, 0);
    EXPECT_EQ(g.slot[0].dw, 8);
    EXPECT_EQ(g.slot[0].standard, 0);
    EXPECT_EQ(g.GroupFill, 2);
}

TEST(GroupUpdate, TheSameValuesUnderAnotherNumberAreAppended) {
    Group g;
    updateGroup(g, bearing(7, "6205"));
    EXPECT_EQ(updateGroup(g, bearing(7, "6205K")).kind, GroupUpdate::Appended);
    // Numbers compare exactly, letter case included.
    EXPECT_EQ(updateGroup(g, bearing(7, "6205k")).kind, GroupUpdate::Appended);
    EXPECT_EQ(g.GroupFill, 3);
}

TEST(GroupUpdate, AnUnnamedBearingMatchesAnyNumberWithItsValues) {
    Group g;
    updateGroup(g, bearing(7, "6205"));
    EXPECT_EQ(updateGroup(g, bearing(7)).kind, GroupUpdate::Found);
    EXPECT_EQ(updateGroup(g, bearing(7, "", 0)).kind, GroupUpdate::Appended); // other standard
}

TEST(GroupUpdate, RollOverFromStartNamesOnFromTwentyTwo) {
    Group g;
    for (int i = 1; i <= 21; ++i) {
        updateGroup(g, bearing(i));
    }
    EXPECT_EQ(g.GroupSerial, 21);
    updateGroup(g, bearing(100));
    EXPECT_EQ(g.GroupFill, 21);
    EXPECT_EQ(g.slot[0].number, "2????"); // slot 1's old content is gone
    EXPECT_EQ(g.slot[20].number, "22????");
    EXPECT_EQ(g.slot[20].dw, 100);
    updateGroup(g, bearing(101));
    EXPECT_EQ(g.slot[20].number, "23????");
    EXPECT_EQ(g.slot[19].number, "22????");
}

TEST(GroupUpdate, AfterClearingTheFirstBearingIsSlotOne) {
    Group g;
    for (int i = 1; i <= 5; ++i) {
        updateGroup(g, bearing(i));
    }
    g.slot[2].standard = 0;
    clearGroup(g);
    EXPECT_EQ(g.GroupFill, 0);
    EXPECT_EQ(g.GroupSerial, 21);
    EXPECT_TRUE(numbers(g).empty());
    EXPECT_EQ(g.slot[2].standard, 0); // standards stay
    updateGroup(g, bearing(50));
    EXPECT_EQ(numbers(g), (std::vector<std::string>{"1????"}));
}

TEST(GroupUpdate, AFullGroupLoadedAtStartUpRollsOverToOne) {
    Group g;
    for (int i = 0; i < 21; ++i) {
        g.slot[i] = bearing(i + 1, "n" + std::to_string(i + 1));
    }
    settleLoadedGroup(g);
    EXPECT_EQ(g.GroupFill, 21);
    EXPECT_EQ(g.GroupSerial, 0);
    updateGroup(g, bearing(99));
    EXPECT_EQ(g.slot[20].number, "1????");
}

TEST(GroupFile, WritesTwentyOneLines) {
    Group g;
    updateGroup(g, GroupSlot{9, 15, 0.125, 0, 52, 25, 1, ""});
    const std::string bytes = formatGroup(g.slot);
    EXPECT_EQ(
        bytes.substr(0, bytes.find('\n') + 1),
        " 1.50000000000000E+0001  2.50000000000000E+0001  5.20000000000000E+0001 "
        " 0.00000000000000E+0000  1.25000000000000E-0001  9.00000000000000E+0000 1 1????\r\n");
    const std::string empty =
        " 0.00000000000000E+0000  0.00000000000000E+0000  0.00000000000000E+0000 "
        " 0.00000000000000E+0000  0.00000000000000E+0000  0.00000000000000E+0000 0 \r\n";
    EXPECT_EQ(bytes.substr(bytes.find('\n') + 1, empty.size()), empty);
    EXPECT_EQ(std::count(bytes.begin(), bytes.end(), '\n'), 21);
}

TEST(GroupFile, RoundTripKeepsNumbersOfFiftyCharacters) {
    Group g;
    const std::string fifty(50, 'W');
    updateGroup(g, bearing(7, fifty));
    updateGroup(g, bearing(8, " lead"));
    const auto back = parseGroup(formatGroup(g.slot));
    ASSERT_TRUE(back.has_value());
    EXPECT_EQ((*back)[0].number, fifty);
    EXPECT_EQ((*back)[0].dw, 7);
    EXPECT_EQ((*back)[2].number, "");
    EXPECT_EQ(formatGroup(*back), formatGroup(g.slot));
}

TEST(GroupFile, ReadsGapsShortFilesAndRefusesWords) {
    const std::string line5 = "25 25 52 0 7.938 9 1   6205\r\n";
    const std::string emptyLine = "0 0 0 0 0 0 0 \r\n";
    std::string text;
    for (int i = 0; i < 5; ++i) {
        text += i == 4 ? line5 : emptyLine;
    }
    auto slot = parseGroup(text); // five lines only
    ASSERT_TRUE(slot.has_value());
    Group g;
    g.slot = *slot;
    settleLoadedGroup(g);
    EXPECT_EQ(g.GroupFill, 5);
    EXPECT_EQ(g.slot[4].number, "6205");
    EXPECT_FALSE(g.slot[5].filled());
    EXPECT_FALSE(parseGroup("25 25,5 52 0 7 9 1 x\r\n").has_value());
    EXPECT_FALSE(parseGroup("25 abc 52 0 7 9 1 x\r\n").has_value());
    EXPECT_FALSE(parseGroup("25 25 52 0 7 9 1.5 x\r\n").has_value());
    EXPECT_TRUE(parseGroup("").has_value());
}

} // namespace
} // namespace orbistan
