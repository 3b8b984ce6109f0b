// Food and the inventory: healing, stacking, the menus and every message they print.

#include <gtest/gtest.h>

#include <cstdint>
#include <iostream>
#include <memory>
#include <random>
#include <string>

#include "characters/Character.h"
#include "items/GnomeOfAntithesis.h"
#include "items/Inventory.h"
#include "items/Item.h"
#include "platform/Random.h"
#include "support/TestPlatform.h"

namespace {

// Food that counts its own destruction.
class cTrackedFood : public cHealth {
  public:
    cTrackedFood(std::int32_t heal, std::string name, int& destroyed)
        : cHealth(heal, std::move(name)), m_destroyed(destroyed) {}
    ~cTrackedFood() override { ++m_destroyed; }

  private:
    int& m_destroyed;
};

// A companion that counts its own destruction.
class cTrackedCompanion : public cItem {
  public:
    cTrackedCompanion(std::string name, int& destroyed)
        : cItem(std::move(name), 0, 0), m_destroyed(destroyed) {}
    ~cTrackedCompanion() override { ++m_destroyed; }

  private:
    int& m_destroyed;
};

const char* const kMainMenu = "\nWhat do you want to do?\n(D)rop\n(U)se\n(Q)uit\n?:";

std::string UseMenuText(const std::string& entries) {
    return "\nPlease select an Item to use: \n" + entries + "(Q)uit\n\n?:";
}

class InventoryTest : public ::testing::Test {
  protected:
    // Starts the captured session with everything the player will type.
    void Type(const std::string& input) {
        session.reset();  // a session gives the streams back only when it ends
        session = std::make_unique<cSession>(input);
        expected.seed(5489u);
    }

    // Puts food in without keeping its receipt in the transcript.
    void Give(const std::string& name, std::int32_t heal) {
        inventory.Receive(std::make_unique<cHealth>(heal, name));
        expected();  // the receipt's pause
        session->Take();
    }

    void Accompany(const std::string& name) {
        inventory.AddCompanion(std::make_unique<cTrackedCompanion>(name, companionsDestroyed));
        session->Take();
    }

    std::string Transcript() { return session->Take(); }

    // The next character the player typed that no menu has read.
    char NextTyped() {
        char c = 0;
        std::cin >> c;
        return c;
    }

    cScratchDirectory directory;
    std::unique_ptr<cSession> session;
    std::mt19937 expected{5489u};
    cPlayer player{"Player"};
    cInventory inventory{&player};
    int companionsDestroyed = 0;
};

using InventoryReceive = InventoryTest;
using InventoryUse = InventoryTest;
using InventoryMenu = InventoryTest;
using InventoryListing = InventoryTest;

}  // namespace

// ---- food ------------------------------------------------------------------------------------

TEST(ItemFood, HealsInFullBelowTheCapAndNeverAboveOneHundred) {
    struct cCase {
        std::int32_t before, heal, after;
    };
    const cCase cases[] = {
        {90, 50, 100}, {100, 20, 100}, {150, 20, 100}, {30, 20, 50},  {1, 100, 100},
        {80, 20, 100}, {79, 20, 99},   {0, 50, 50},    {-10, 20, 10}, {101, 0, 100},
    };
    for (const cCase& c : cases) {
        cPlayer target("Player");
        target.health = c.before;
        cHealth food(c.heal, "Food");
        food.Use(target);
        EXPECT_EQ(target.health, c.after) << c.before << " + " << c.heal;
        food.Use(target);
        EXPECT_LE(target.health, 100);
    }
}

TEST(ItemFood, BreadOfTheStoryAndBreadOfTheLootAreAlike) {
    cSession session;
    cBread storyBread(20, "Bread");
    cHealth lootBread(20, "Bread");
    cItem* both[] = {&storyBread, &lootBread};
    for (cItem* bread : both) {
        EXPECT_EQ(bread->name, "Bread");
        EXPECT_EQ(bread->value, 20);
        EXPECT_EQ(bread->extra, 0);
        cPlayer eater("Player");
        eater.health = 30;
        bread->Use(eater);
        EXPECT_EQ(eater.health, 50);
        bread->Display();
        bread->TakeTurn();
    }
    EXPECT_EQ(session.Output(), "") << "food has no picture and does nothing between moves";
}

TEST(ItemFood, APlainItemDoesNothingWhenUsed) {
    cItem stone("Stone", 40, 0);
    cPlayer target("Player");
    target.health = 10;
    stone.Use(target);
    EXPECT_EQ(target.health, 10);
}

TEST(ItemPicture, DisplayWritesThePictureBytesExactly) {
    cSession session;
    cItem item("Portrait", 0, 0);
    item.Display();
    EXPECT_EQ(session.Take(), "") << "no picture, no output";

    const std::string bytes("  /\\\r\n {o}\0 x\n", 14);
    item.art.data = std::make_unique<char[]>(bytes.size());
    bytes.copy(item.art.data.get(), bytes.size());
    item.art.length = static_cast<std::int32_t>(bytes.size());
    item.Display();
    EXPECT_EQ(session.Take(), bytes);
}

// ---- receiving -------------------------------------------------------------------------------

TEST_F(InventoryReceive, FoodIsAnnouncedAfterABlankLineAndFollowedByAPauseOfASecond) {
    Type("");
    const std::uint32_t before = session->clock().Peek();
    inventory.Receive(std::make_unique<cBread>(20, "Bread"));
    const std::uint32_t waited = session->clock().Peek() - before;
    EXPECT_EQ(Transcript(), "{13}\n***Received Bread!***\n{7}");
    const std::uint32_t r = expected();
    const std::uint32_t limit = 1000 + 1 + r % 250 - 125;
    EXPECT_GT(waited, limit);
    EXPECT_LE(waited, limit + 5);
    EXPECT_EQ(gRandom(), expected()) << "the pause draws exactly once";
}

TEST_F(InventoryReceive, FoodOfTheSameNameStacksOnTheFirstArrival) {
    Type("");
    int destroyed = 0;
    inventory.Receive(std::make_unique<cTrackedFood>(20, "Bread", destroyed));
    const cItem* first = inventory.items.at(0)->item.get();
    inventory.Receive(std::make_unique<cTrackedFood>(35, "Bread", destroyed));
    EXPECT_EQ(Transcript(), "{13}\n***Received Bread!***\n{7}{13}\n***Received Bread!***\n{7}");
    ASSERT_EQ(inventory.items.size(), 1u);
    EXPECT_EQ(inventory.items[0]->count, 2u);
    EXPECT_EQ(inventory.items[0]->item.get(), first);
    EXPECT_EQ(destroyed, 1) << "the second loaf is destroyed at once";
    EXPECT_TRUE(inventory.companions.empty());

    // Every unit heals by the first loaf's value.
    player.health = 10;
    inventory.UseItem(0);
    inventory.UseItem(0);
    EXPECT_EQ(player.health, 50);
    EXPECT_EQ(destroyed, 2);
    EXPECT_TRUE(inventory.items.empty());
}

TEST_F(InventoryReceive, EntriesKeepTheOrderOfFirstArrivalAndNamesAreCaseSensitive) {
    Type("q\n");
    Give("Bread", 20);
    Give("Meat", 50);
    Give("Bread", 20);
    Give("bread", 20);
    inventory.UseMenu();
    EXPECT_EQ(Transcript(), "{13}" + UseMenuText("(0)Bread x2\n(1)Meat x1\n(2)bread x1\n") + "{7}");
}

TEST_F(InventoryReceive, ACompanionIsAnnouncedInItsOwnWordsWithoutAPause) {
    Type("");
    const std::uint32_t before = session->clock().Peek();
    inventory.AddCompanion(
        std::make_unique<cTrackedCompanion>("Gnome of Antithesis", companionsDestroyed));
    EXPECT_LT(session->clock().Peek() - before, 5u);
    EXPECT_EQ(Transcript(), "{13}\n\n***Recieved Gnome of Antithesis!***\n\n{7}");
    EXPECT_EQ(gRandom(), expected()) << "no pause, no draw";
    ASSERT_EQ(inventory.companions.size(), 1u);
    EXPECT_EQ(inventory.companions[0]->count, 1u);
    EXPECT_TRUE(inventory.items.empty());
}

TEST_F(InventoryReceive, CompanionsOfTheSameNameDoNotStack) {
    Type("");
    Accompany("Gnome of Antithesis");
    Accompany("Gnome of Antithesis");
    ASSERT_EQ(inventory.companions.size(), 2u);
    EXPECT_EQ(inventory.companions[0]->count, 1u);
    EXPECT_EQ(inventory.companions[1]->count, 1u);
    EXPECT_EQ(companionsDestroyed, 0);
}

// ---- using -----------------------------------------------------------------------------------

TEST_F(InventoryUse, UsingOneUnitHealsTheOwnerAndNamesOwnerThenItem) {
    Type("");
    Give("Bread", 20);
    Give("Bread", 20);
    player.health = 30;
    inventory.UseItem(0);
    EXPECT_EQ(Transcript(), "\n***Player used Bread!***\n\n") << "no colour of its own";
    EXPECT_EQ(player.health, 50);
    ASSERT_EQ(inventory.items.size(), 1u);
    EXPECT_EQ(inventory.items[0]->count, 1u);
}

TEST_F(InventoryUse, UsingTheLastUnitRemovesTheEntryAndLaterEntriesMoveUp) {
    Type("q\n");
    int destroyed = 0;
    inventory.Receive(std::make_unique<cTrackedFood>(20, "Bread", destroyed));
    Give("Meat", 50);
    Give("Bacon", 100);
    session->Take();
    inventory.UseItem(0);
    EXPECT_EQ(destroyed, 1);
    session->Take();
    inventory.UseMenu();
    EXPECT_EQ(Transcript(), "{13}" + UseMenuText("(0)Meat x1\n(1)Bacon x1\n") + "{7}");
}

TEST_F(InventoryUse, FoodIsUsedUpEvenWhenTheOwnerIsAlreadyHealthy) {
    Type("0\n0\n");
    Give("Meat", 50);
    Give("Meat", 50);
    player.health = 90;
    inventory.UseMenu();
    EXPECT_EQ(player.health, 100);
    inventory.UseMenu();
    EXPECT_EQ(player.health, 100);
    EXPECT_TRUE(inventory.items.empty());
}

TEST_F(InventoryUse, TheMenuListsEntriesAndUsesTheChosenDigit) {
    Type("1\n");
    Give("Bread", 20);
    Give("Bread", 20);
    Give("Meat", 50);
    player.health = 10;
    inventory.UseMenu();
    EXPECT_EQ(Transcript(), "{13}" + UseMenuText("(0)Bread x2\n(1)Meat x1\n") +
                                "\n***Player used Meat!***\n\n{7}");
    EXPECT_EQ(player.health, 60);
    EXPECT_EQ(inventory.items.size(), 1u);
}

TEST_F(InventoryUse, ALetterOtherThanQUsesTheFirstEntry) {
    Type("x\n");
    Give("Bread", 20);
    Give("Meat", 50);
    player.health = 10;
    inventory.UseMenu();
    EXPECT_EQ(Transcript(), "{13}" + UseMenuText("(0)Bread x1\n(1)Meat x1\n") +
                                "\n***Player used Bread!***\n\n{7}");
    EXPECT_EQ(player.health, 30);
}

TEST_F(InventoryUse, QInEitherCaseUsesNothing) {
    Type("  \n Q\nq\n");
    Give("Bread", 20);
    player.health = 10;
    inventory.UseMenu();
    inventory.UseMenu();
    const std::string menu = "{13}" + UseMenuText("(0)Bread x1\n") + "{7}";
    EXPECT_EQ(Transcript(), menu + menu);
    EXPECT_EQ(player.health, 10);
    EXPECT_EQ(inventory.items.size(), 1u);
}

TEST_F(InventoryUse, OnlyTheFirstCharacterIsReadAndTheRestWaits) {
    Type("12\n");
    Give("Bread", 20);
    Give("Meat", 50);
    player.health = 10;
    inventory.UseMenu();
    EXPECT_EQ(player.health, 60) << "12 uses entry 1";
    EXPECT_EQ(NextTyped(), '2');
}

TEST_F(InventoryUse, ADigitThatNamesNoEntryUsesAndPrintsNothing) {
    Type("2\n9\n");
    Give("Bread", 20);
    Give("Meat", 50);
    player.health = 10;
    inventory.UseMenu();
    inventory.UseMenu();
    const std::string menu = "{13}" + UseMenuText("(0)Bread x1\n(1)Meat x1\n") + "{7}";
    EXPECT_EQ(Transcript(), menu + menu);
    EXPECT_EQ(player.health, 10);
    EXPECT_EQ(inventory.items.size(), 2u);
    inventory.UseItem(7);
    EXPECT_EQ(Transcript(), "");
    EXPECT_EQ(player.health, 10);
}

TEST_F(InventoryUse, AnEmptyInventorySaysSoAndReadsNothing) {
    Type("1\n");
    inventory.UseMenu();
    EXPECT_EQ(Transcript(), "{13}There are no items in your inventory.\n{7}");
    EXPECT_EQ(NextTyped(), '1');
}

TEST_F(InventoryUse, TheEndOfInputUsesNothing) {
    Type("");
    Give("Bread", 20);
    player.health = 10;
    inventory.UseMenu();
    EXPECT_EQ(Transcript(), "{13}" + UseMenuText("(0)Bread x1\n") + "{7}");
    EXPECT_EQ(player.health, 10);
}

// ---- the inventory menu ----------------------------------------------------------------------

TEST_F(InventoryMenu, AnyAnswerButDropOrUseLeaves) {
    Type("q\nQ\nz\n7\n");
    Give("Bread", 20);
    for (int answer = 0; answer < 4; ++answer) {
        inventory.InventoryMenu();
        EXPECT_EQ(Transcript(), std::string("{13}") + kMainMenu + "{7}") << answer;
    }
    EXPECT_EQ(inventory.items.size(), 1u);
}

TEST_F(InventoryMenu, UseOpensTheUseMenu) {
    Type("U\n0\n");
    Give("Bread", 20);
    player.health = 10;
    inventory.InventoryMenu();
    EXPECT_EQ(Transcript(), std::string("{13}") + kMainMenu + "{13}" +
                                UseMenuText("(0)Bread x1\n") + "\n***Player used Bread!***\n\n{7}");
    EXPECT_EQ(player.health, 30);
}

TEST_F(InventoryMenu, UseWithNothingCarriedSaysSo) {
    Type("u\n");
    inventory.InventoryMenu();
    EXPECT_EQ(Transcript(),
              std::string("{13}") + kMainMenu + "{13}There are no items in your inventory.\n{7}");
}

TEST_F(InventoryMenu, FoodCannotBeDropped) {
    Type("d\n0\n");
    Give("Bread", 20);
    inventory.InventoryMenu();
    EXPECT_EQ(Transcript(), std::string("{13}") + kMainMenu + "\nYou have no items to drop.\n{7}");
    EXPECT_EQ(inventory.items.size(), 1u);
    EXPECT_EQ(NextTyped(), '0') << "no drop answer is read";
}

TEST_F(InventoryMenu, DroppingTheGnomeGivesBackItsAttackAndForgetsIt) {
    Type("D\n0\n");
    const std::int32_t attackBefore = player.attack;
    auto gnome = std::make_unique<cGnomeOfAntithesis>(&player);
    ASSERT_EQ(player.attack, attackBefore - 1);
    inventory.AddCompanion(std::move(gnome));
    session->Take();
    inventory.InventoryMenu();
    EXPECT_EQ(Transcript(), std::string("{13}") + kMainMenu +
                                "\nWhich item do you want to drop?\n"
                                "(0)Gnome of Antithesis\n"
                                "?:\n***Dropped Gnome of Antithesis!***\n{7}");
    EXPECT_TRUE(inventory.companions.empty());
    EXPECT_EQ(player.attack, attackBefore);
    inventory.ShowInventory();
    EXPECT_EQ(Transcript(), "{13}\n{7}");
}

TEST_F(InventoryMenu, TheDropNumberChoosesAmongSeveralCompanions) {
    Type("d\n1\n");
    Accompany("First");
    Accompany("Second");
    Accompany("Third");
    inventory.InventoryMenu();
    EXPECT_EQ(Transcript(), std::string("{13}") + kMainMenu +
                                "\nWhich item do you want to drop?\n(0)First\n(1)Second\n(2)Third\n"
                                "?:\n***Dropped Second!***\n{7}");
    EXPECT_EQ(companionsDestroyed, 1);
    ASSERT_EQ(inventory.companions.size(), 2u);
    EXPECT_EQ(inventory.companions[0]->item->name, "First");
    EXPECT_EQ(inventory.companions[1]->item->name, "Third");
}

TEST_F(InventoryMenu, ADropAnswerThatIsNotANumberIsDiscardedWithItsLineAndAskedAgain) {
    Type("d\nthe first one\nx 0\n1\n");
    Accompany("First");
    Accompany("Second");
    inventory.InventoryMenu();
    const std::string again = "\nWhich item do you want to drop?\n?:";
    EXPECT_EQ(Transcript(), std::string("{13}") + kMainMenu +
                                "\nWhich item do you want to drop?\n(0)First\n(1)Second\n?:" +
                                again + again + "\n***Dropped Second!***\n{7}");
    ASSERT_EQ(inventory.companions.size(), 1u);
    EXPECT_EQ(inventory.companions[0]->item->name, "First");
}

TEST_F(InventoryMenu, ADropNumberThatNamesNoEntryDropsAndPrintsNothing) {
    const char* answers[] = {"1", "-1", "7", "99999999999999999999", "-99999999999999999999"};
    for (const char* answer : answers) {
        Type(std::string("d\n") + answer + "\n");
        Accompany("Gnome of Antithesis");
        inventory.InventoryMenu();
        EXPECT_EQ(Transcript(), std::string("{13}") + kMainMenu +
                                    "\nWhich item do you want to drop?\n(0)Gnome of Antithesis\n"
                                    "?:{7}")
            << answer;
        EXPECT_EQ(inventory.companions.size(), 1u) << answer;
        inventory.companions.clear();
    }
}

TEST_F(InventoryMenu, TheEndOfInputEndsEveryPromptAtOnce) {
    Type("");
    Accompany("Gnome of Antithesis");
    inventory.InventoryMenu();
    EXPECT_EQ(Transcript(), std::string("{13}") + kMainMenu + "{7}");

    Type("d\n");
    inventory.InventoryMenu();
    EXPECT_EQ(Transcript(), std::string("{13}") + kMainMenu +
                                "\nWhich item do you want to drop?\n(0)Gnome of Antithesis\n?:{7}");

    // The rest of the line was all there was: nothing more to ask.
    Type("d\nnone");
    inventory.InventoryMenu();
    EXPECT_EQ(Transcript(), std::string("{13}") + kMainMenu +
                                "\nWhich item do you want to drop?\n(0)Gnome of Antithesis\n?:{7}");
    EXPECT_EQ(inventory.companions.size(), 1u);
}

// ---- the listing -----------------------------------------------------------------------------

TEST_F(InventoryListing, NothingCarriedIsOneEmptyLine) {
    Type("");
    inventory.ShowInventory();
    EXPECT_EQ(Transcript(), "{13}\n{7}");
}

TEST_F(InventoryListing, FoodWithQuantitiesThenABlankLineThenCompanions) {
    Type("");
    Give("Bread", 20);
    Give("Meat", 50);
    Give("Bread", 20);
    Accompany("Gnome of Antithesis");
    inventory.ShowInventory();
    EXPECT_EQ(Transcript(), "{13}Bread Qty: 2\nMeat Qty: 1\n\nGnome of Antithesis\n{7}");
}
