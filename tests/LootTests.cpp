// Food after a kill: one draw d = (r mod 100) + 1 against the player's luck, the offer, and
// what taking or refusing it does to the inventory.

#include <gtest/gtest.h>

#include <cstdint>
#include <iostream>
#include <random>
#include <string>

#include "characters/Character.h"
#include "items/Inventory.h"
#include "items/Item.h"
#include "items/Loot.h"
#include "platform/Random.h"
#include "support/TestPlatform.h"

namespace {

// The first seed whose first draw gives this loot roll (1 to 100).
std::uint32_t SeedForRoll(int roll) {
    for (std::uint32_t seed = 1;; ++seed) {
        std::mt19937 engine(seed);
        if (static_cast<int>(engine() % 100) + 1 == roll) {
            return seed;
        }
    }
}

// The generator as it should stand after `draws` draws from `seed`.
std::uint32_t DrawAfter(std::uint32_t seed, int draws) {
    std::mt19937 engine(seed);
    engine.discard(static_cast<unsigned long long>(draws));
    return engine();
}

class LootTest : public ::testing::Test {
  protected:
    // Rolls the loot with a draw of `roll`; the player answers `answer`.
    void Kill(int roll, const std::string& answer) {
        seed = SeedForRoll(roll);
        gRandom.seed(seed);
        session.input().Add(answer);
        DropLoot(rat, player, inventory);
    }

    cSession session;
    cPlayer player{"Ann"};
    cCharacter rat{20, 1, 1, 2, 5, "Rat"};
    cInventory inventory{&player};
    std::uint32_t seed = 0;
};

struct cLootCase {
    int luck;
    int roll;
    const char* food;  // empty: nothing drops
};

void PrintTo(const cLootCase& c, std::ostream* out) {
    *out << "luck " << c.luck << " roll " << c.roll;
}

std::string LootCaseName(const ::testing::TestParamInfo<cLootCase>& info) {
    const cLootCase& c = info.param;
    return (c.luck < 0 ? "LuckMinus" : "Luck") + std::to_string(c.luck < 0 ? -c.luck : c.luck) +
           "Roll" + std::to_string(c.roll);
}

class LootTableTest : public LootTest, public ::testing::WithParamInterface<cLootCase> {};

TEST_P(LootTableTest, RollAgainstLuckDecidesTheFood) {
    const cLootCase& c = GetParam();
    player.luck = c.luck;

    Kill(c.roll, "n\n");

    const std::string shown = session.Take();
    const std::string food = c.food;
    if (food.empty()) {
        EXPECT_EQ(shown, "") << "nothing drops: no text, no colour, no question";
        EXPECT_EQ(std::cin.get(), 'n') << "the answer is left unread";
    } else {
        EXPECT_NE(shown.find("The Rat dropped some " + food + ".\nDo you take the " + food +
                             "(y/n)?\n?:{7}"),
                  std::string::npos)
            << shown;
    }
    EXPECT_EQ(gRandom(), DrawAfter(seed, 1)) << "the loot takes exactly one draw";
    EXPECT_TRUE(inventory.items.empty());
}

INSTANTIATE_TEST_SUITE_P(LootWithLuck25, LootTableTest,
                         ::testing::Values(cLootCase{25, 25, "Bacon"}, cLootCase{25, 21, "Bacon"},
                                           cLootCase{25, 20, "Meat"}, cLootCase{25, 16, "Meat"},
                                           cLootCase{25, 15, "Bread"}, cLootCase{25, 6, "Bread"},
                                           cLootCase{25, 5, ""}, cLootCase{25, 1, ""},
                                           cLootCase{25, 26, ""}, cLootCase{25, 100, ""}),
                         LootCaseName);
INSTANTIATE_TEST_SUITE_P(LootWithLuck3, LootTableTest,
                         ::testing::Values(cLootCase{3, 1, "Bacon"}, cLootCase{3, 3, "Bacon"},
                                           cLootCase{3, 4, ""}, cLootCase{3, 100, ""}),
                         LootCaseName);
INSTANTIATE_TEST_SUITE_P(LootWithoutLuck, LootTableTest,
                         ::testing::Values(cLootCase{0, 1, ""}, cLootCase{0, 50, ""},
                                           cLootCase{-5, 1, ""}),
                         LootCaseName);

TEST_F(LootTest, BaconIsAnnouncedAfterTwoLineBreaks) {
    Kill(25, "n\n");
    EXPECT_EQ(session.Take(),
              "{13}\n\nThe Rat dropped some Bacon.\nDo you take the Bacon(y/n)?\n?:{7}");
}

TEST_F(LootTest, MeatAndBreadAreAnnouncedAfterOneLineBreak) {
    Kill(20, "n\n");
    EXPECT_EQ(session.Take(),
              "{13}\nThe Rat dropped some Meat.\nDo you take the Meat(y/n)?\n?:{7}");
    Kill(15, "n\n");
    EXPECT_EQ(session.Take(),
              "{13}\nThe Rat dropped some Bread.\nDo you take the Bread(y/n)?\n?:{7}");
}

TEST_F(LootTest, UpperCaseYesTakesTheFoodAndTheRestOfTheLineWaits) {
    Kill(21, "  Yes\n");

    EXPECT_EQ(session.Take(),
              "{13}\n\nThe Rat dropped some Bacon.\nDo you take the Bacon(y/n)?\n?:"
              "{13}\n***Received Bacon!***\n{7}");
    ASSERT_EQ(inventory.items.size(), 1u);
    EXPECT_EQ(inventory.items[0]->item->name, "Bacon");
    EXPECT_EQ(inventory.items[0]->item->value, 100);
    EXPECT_EQ(std::cin.get(), 'e');
}

TEST_F(LootTest, TakenFoodHealsByItsKind) {
    player.health = 1;
    Kill(16, "y\n");  // Meat
    ASSERT_EQ(inventory.items.size(), 1u);
    inventory.items[0]->item->Use(player);
    EXPECT_EQ(player.health, 51);

    Kill(10, "y\n");  // Bread
    ASSERT_EQ(inventory.items.size(), 2u);
    inventory.items[1]->item->Use(player);
    EXPECT_EQ(player.health, 71);
}

TEST_F(LootTest, AnyAnswerButYesOrNoAnswerAtAllThrowsTheFoodAway) {
    for (const char* answer : {"n\n", "x\n", ""}) {
        Kill(6, answer);
        EXPECT_EQ(session.Take(),
                  "{13}\nThe Rat dropped some Bread.\nDo you take the Bread(y/n)?\n?:{7}")
            << "answer " << answer;
        EXPECT_TRUE(inventory.items.empty());
    }
}

TEST_F(LootTest, TakenBreadJoinsTheBreadAlreadyCarried) {
    inventory.items.push_back(std::make_unique<cItemStack>());
    inventory.items.back()->item = std::make_unique<cBread>(20, "Bread");

    Kill(8, "y\n");

    ASSERT_EQ(inventory.items.size(), 1u);
    EXPECT_EQ(inventory.items[0]->count, 2u);
}

}  // namespace
