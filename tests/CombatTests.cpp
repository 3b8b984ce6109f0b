// The fight: one exchange of blows at a time, and whole encounters from the announcement to
// the kill, the escape or the death.
//
// Every expectation is computed by replaying the generator's draws in the documented order
// with a local engine: initiative (player, then monster), first blow (attack, then defense,
// then the damage of a landed blow), second blow likewise, one draw per pause. A seed is
// chosen by searching for one whose draws take the path a test is about, and after the run the
// game's generator must stand exactly where the replay stands.

#include <gtest/gtest.h>

#include <cstdint>
#include <functional>
#include <iostream>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "characters/Character.h"
#include "characters/Combat.h"
#include "characters/Enemy.h"
#include "items/Inventory.h"
#include "items/Item.h"
#include "platform/Console.h"
#include "platform/Random.h"
#include "support/TestPlatform.h"
#include "weapons/Weapon.h"

namespace {

// The generator as the game should use it, one draw at a time.
class cDraws {
  public:
    explicit cDraws(std::uint32_t seed) : seed(seed), m_engine(seed) {}

    std::uint32_t Next() { return m_engine(); }

    // Three dice a round, each folded into a carry that runs on from round to round.
    int Dice(int count) {
        int total = 0;
        std::uint32_t carry = 0;
        for (int round = 0; round < count; ++round) {
            for (int die = 0; die < 3; ++die) {
                const std::uint32_t r = Next();
                carry = (r % 6 + 1 + carry) / 3;
            }
            total += static_cast<int>(carry);
        }
        return total;
    }

    void Pause() { Next(); }

    // The initiative: the player's dice, then the monster's; only a strictly higher total lets
    // the player strike first.
    bool PlayerStrikesFirst(int playerDice, int monsterDice) {
        const int player = Dice(playerDice);
        const int monster = Dice(monsterDice);
        return player > monster;
    }

    // A first blow: the attacker's dice, then the defender's; it gets through when the attack
    // total plus 4 beats the defense total.
    bool FirstBlowLands(int attackDice, int defenseDice) {
        const int attack = Dice(attackDice);
        const int defense = Dice(defenseDice);
        return attack + 4 > defense;
    }

    // A second blow: the same two rolls; equal totals ward it off.
    bool SecondBlowLands(int attackDice, int defenseDice) {
        const int attack = Dice(attackDice);
        const int defense = Dice(defenseDice);
        return attack > defense;
    }

    int Blow(int damage, int spread) {
        const std::uint32_t r = Next();
        const int dealt =
            damage + static_cast<int>(r % static_cast<std::uint32_t>(spread)) + 1 - spread / 2;
        return dealt < 0 ? 0 : dealt;
    }

    std::uint32_t seed;

  private:
    std::mt19937 m_engine;
};

// The first seed whose draws follow the path that `path` walks; `path` returns false as soon
// as a draw leaves it. Returns the replay as it stands after the path.
cDraws SeedWhere(const std::function<bool(cDraws&)>& path) {
    for (std::uint32_t seed = 1; seed < 3000000; ++seed) {
        cDraws draws(seed);
        if (path(draws)) {
            return draws;
        }
    }
    ADD_FAILURE() << "no seed takes this path";
    return cDraws(0);
}

// Writes '~' into the transcript for every window move, so a shake shows as "~~~~" exactly
// where it happened among the messages.
class cShakeMarkingConsole : public cRecordingConsole {
  public:
    using cRecordingConsole::cRecordingConsole;
    void MoveWindow(const cWindowRect& rect) override {
        cRecordingConsole::MoveWindow(rect);
        std::cout << '~';
    }
};

const std::string kShake = "~~~~";
const std::string kFightPrompt =
    "{10}\nWhat do you want to do?\n{4}(A)ttack\n(R)un\n(I)nventory\n?:{7}";

// A monster of the given kind that reports its own destruction.
template <typename tKind>
class cWatched : public tKind {
  public:
    cWatched(const std::string& name, bool& gone) : tKind(name), m_gone(gone) {}
    ~cWatched() override { m_gone = true; }

  private:
    bool& m_gone;
};

class CombatTest : public ::testing::Test {
  protected:
    CombatTest() : m_record(std::make_shared<cConsoleRecord>()) {
        m_directory.Write("rat.txt", "  (\\_/)\r\n  rat\r\n");
        m_directory.Write("Ogre.txt", "[ogre]\n");
        m_directory.Write("demon.txt", "{demon}\n");
        Sys_InstallConsole(std::make_unique<cShakeMarkingConsole>(m_record));
        InitConsole("combat");
        m_record->moves.clear();
        player.weapon = &sword;
        session.Take();
    }

    void ExpectSameDrawsAs(const cDraws& replay) {
        cDraws rest = replay;
        EXPECT_EQ(gRandom(), rest.Next()) << "the fight made a different number of draws";
    }

    std::string Shown() { return session.Take(); }

    cScratchDirectory m_directory;
    cSession session;
    std::shared_ptr<cConsoleRecord> m_record;
    cWeapon sword{10, 2, "Sword"};
    cPlayer player{"Ann"};
    cInventory inventory{&player};
};

// ---------------------------------------------------------------------------------------------
// One exchange, the player striking first.

using CombatExchangeTest = CombatTest;

TEST_F(CombatExchangeTest, PlayerKillingWithTheFirstBlowGetsNoAnswer) {
    cRat rat("Rat");
    rat.health = 5;
    int dealt = 0;
    const cDraws after = SeedWhere([&](cDraws& d) {
        if (!d.PlayerStrikesFirst(6, 2)) {
            return false;
        }
        if (!d.FirstBlowLands(10, 1)) {
            return false;
        }
        dealt = d.Blow(10, 2);
        d.Pause();
        return true;
    });
    gRandom.seed(after.seed);

    EXPECT_TRUE(ExchangeBlows(rat, player, false));

    EXPECT_EQ(Shown(), "\nAnn won the initiave roll and kills the Rat!\n");
    EXPECT_EQ(rat.health, 5 - dealt);
    EXPECT_EQ(player.health, 100);
    EXPECT_TRUE(m_record->moves.empty());
    ExpectSameDrawsAs(after);
}

TEST_F(CombatExchangeTest, MonsterAnsweringWithDamageShakesTheScreenBeforeItsMessage) {
    cOgre ogre("Ogre");
    int mine = 0;
    int its = 0;
    const cDraws after = SeedWhere([&](cDraws& d) {
        if (!d.PlayerStrikesFirst(6, 5)) {
            return false;
        }
        if (!d.FirstBlowLands(10, 8)) {
            return false;
        }
        mine = d.Blow(10, 2);
        if (!d.PlayerStrikesFirst(10, 8)) {
            return false;
        }
        its = d.Blow(15, 10);
        return true;
    });
    gRandom.seed(after.seed);

    EXPECT_FALSE(ExchangeBlows(ogre, player, false));

    EXPECT_EQ(Shown(), "\nAnn deals " + std::to_string(mine) + " to the Ogre!\n" + kShake +
                           "Ogre attacks second and deals " + std::to_string(its) + " to Ann!\n");
    EXPECT_EQ(ogre.health, 50 - mine);
    EXPECT_EQ(player.health, 100 - its);
    EXPECT_EQ(m_record->moves.size(), 4u);
    ExpectSameDrawsAs(after);
}

TEST_F(CombatExchangeTest, WardedBlowsOnBothSidesReadAsParriesAndDrawNoDamage) {
    cOgre ogre("Ogre");
    player.attack = 2;
    const cDraws after = SeedWhere([&](cDraws& d) {
        if (!d.PlayerStrikesFirst(6, 5)) {
            return false;
        }
        if (d.FirstBlowLands(2, 8)) {
            return false;
        }
        const int answer = d.Dice(10);
        const int guard = d.Dice(8);
        return answer <= guard;
    });
    gRandom.seed(after.seed);

    EXPECT_FALSE(ExchangeBlows(ogre, player, false));

    EXPECT_EQ(Shown(), "Ogre parries the attack!\nAnn parries the attack!\n");
    EXPECT_EQ(ogre.health, 50);
    EXPECT_EQ(player.health, 100);
    EXPECT_TRUE(m_record->moves.empty());
    ExpectSameDrawsAs(after);
}

TEST_F(CombatExchangeTest, LandedBlowOfNoDamageReadsAsAParry) {
    cOgre ogre("Ogre");
    player.weapon = nullptr;  // bare hands: naturalDamage 0, and no damage draw
    const cDraws after = SeedWhere([&](cDraws& d) {
        if (!d.PlayerStrikesFirst(6, 5)) {
            return false;
        }
        if (!d.FirstBlowLands(10, 8)) {
            return false;
        }
        const int answer = d.Dice(10);
        const int guard = d.Dice(8);
        return answer <= guard;
    });
    gRandom.seed(after.seed);

    EXPECT_FALSE(ExchangeBlows(ogre, player, false));

    EXPECT_EQ(Shown(), "Ogre parries the attack!\nAnn parries the attack!\n");
    EXPECT_EQ(ogre.health, 50);
    ExpectSameDrawsAs(after);
}

TEST_F(CombatExchangeTest, MonsterKillingWithTheSecondBlowPrintsItsBlowAndThenTheKill) {
    cOgre ogre("Ogre");
    player.health = 5;
    int mine = 0;
    int its = 0;
    const cDraws after = SeedWhere([&](cDraws& d) {
        if (!d.PlayerStrikesFirst(6, 5)) {
            return false;
        }
        if (!d.FirstBlowLands(10, 8)) {
            return false;
        }
        mine = d.Blow(10, 2);
        if (!d.PlayerStrikesFirst(10, 8)) {
            return false;
        }
        its = d.Blow(15, 10);  // 11 or more: always enough against 5
        d.Pause();
        return true;
    });
    gRandom.seed(after.seed);

    EXPECT_FALSE(ExchangeBlows(ogre, player, false));

    EXPECT_EQ(Shown(), "\nAnn deals " + std::to_string(mine) + " to the Ogre!\n" + kShake +
                           "Ogre attacks second and deals " + std::to_string(its) +
                           " to Ann!\n\nOgre kills Ann!\n");
    EXPECT_EQ(player.health, 5 - its);
    ExpectSameDrawsAs(after);
}

// ---------------------------------------------------------------------------------------------
// One exchange, the monster striking first.

TEST_F(CombatExchangeTest, MonsterKillingWithTheFirstBlowNeitherShakesNorGetsAnAnswer) {
    cOgre ogre("Ogre");
    player.health = 5;
    int its = 0;
    const cDraws after = SeedWhere([&](cDraws& d) {
        const int mine = d.Dice(6);
        const int itsInitiative = d.Dice(5);
        if (mine >= itsInitiative) {
            return false;
        }
        if (!d.FirstBlowLands(10, 8)) {
            return false;
        }
        its = d.Blow(15, 10);
        d.Pause();
        return true;
    });
    gRandom.seed(after.seed);

    EXPECT_FALSE(ExchangeBlows(ogre, player, false));

    EXPECT_EQ(Shown(), "\nOgre kills Ann!\n");
    EXPECT_EQ(player.health, 5 - its);
    EXPECT_EQ(ogre.health, 50);
    EXPECT_TRUE(m_record->moves.empty());
    ExpectSameDrawsAs(after);
}

TEST_F(CombatExchangeTest, EqualInitiativeLetsTheMonsterStrikeFirst) {
    cOgre ogre("Ogre");
    ogre.health = 5;
    int its = 0;
    const cDraws after = SeedWhere([&](cDraws& d) {
        const int mine = d.Dice(6);
        const int itsInitiative = d.Dice(5);
        if (mine != itsInitiative) {
            return false;
        }
        if (!d.FirstBlowLands(10, 8)) {
            return false;
        }
        its = d.Blow(15, 10);
        if (!d.PlayerStrikesFirst(10, 8)) {
            return false;
        }
        d.Blow(10, 2);  // 10 or 11: enough against 5
        d.Pause();
        return true;
    });
    gRandom.seed(after.seed);

    EXPECT_TRUE(ExchangeBlows(ogre, player, false));

    EXPECT_EQ(Shown(), kShake + "\nOgre deals " + std::to_string(its) +
                           " to Ann!\n\nAnn attacks second and kills the Ogre!\n");
    EXPECT_EQ(player.health, 100 - its);
    EXPECT_LE(ogre.health, 0);
    ExpectSameDrawsAs(after);
}

TEST_F(CombatExchangeTest, RatHitsForExactlyItsNaturalDamageAndThePlayerAnswers) {
    cRat rat("Rat");
    player.initiative = 1;  // so that the rat often strikes first
    player.defense = 2;
    int mine = 0;
    const cDraws after = SeedWhere([&](cDraws& d) {
        const int myInitiative = d.Dice(1);
        const int its = d.Dice(2);
        if (myInitiative >= its) {
            return false;
        }
        if (!d.FirstBlowLands(1, 2)) {
            return false;
        }
        // no draw: the rat bites with naturalDamage
        if (!d.PlayerStrikesFirst(10, 1)) {
            return false;
        }
        mine = d.Blow(10, 2);
        return true;
    });
    gRandom.seed(after.seed);

    EXPECT_FALSE(ExchangeBlows(rat, player, false));

    EXPECT_EQ(Shown(), kShake + "\nRat deals 5 to Ann!\nAnn attacks second and deals " +
                           std::to_string(mine) + " to the Rat!\n");
    EXPECT_EQ(player.health, 95);
    EXPECT_EQ(rat.health, 20 - mine);
    EXPECT_EQ(m_record->moves.size(), 4u);
    ExpectSameDrawsAs(after);
}

TEST_F(CombatExchangeTest, MonsterFirstWithBothBlowsWardedPrintsTwoSeparatedParries) {
    cOgre ogre("Ogre");
    ogre.attack = 1;
    const cDraws after = SeedWhere([&](cDraws& d) {
        const int mine = d.Dice(6);
        const int its = d.Dice(5);
        if (mine >= its) {
            return false;
        }
        if (d.FirstBlowLands(1, 8)) {
            return false;
        }
        const int answer = d.Dice(10);
        const int guard = d.Dice(8);
        return answer <= guard;
    });
    gRandom.seed(after.seed);

    EXPECT_FALSE(ExchangeBlows(ogre, player, false));

    EXPECT_EQ(Shown(), "\nAnn parries the attack!\n\nOgre parries the attack!\n");
    EXPECT_EQ(player.health, 100);
    EXPECT_EQ(ogre.health, 50);
    ExpectSameDrawsAs(after);
}

TEST_F(CombatExchangeTest, StalledPlayerRollsNoInitiativeAndTheMonsterStrikesFirst) {
    cOgre ogre("Ogre");
    int its = 0;
    int mine = 0;
    // The player's initiative would win here; a stall must not roll it.
    const cDraws after = SeedWhere([&](cDraws& d) {
        d.Dice(5);
        if (!d.FirstBlowLands(10, 8)) {
            return false;
        }
        its = d.Blow(15, 10);
        if (!d.PlayerStrikesFirst(10, 8)) {
            return false;
        }
        mine = d.Blow(10, 2);
        return true;
    });
    gRandom.seed(after.seed);

    EXPECT_FALSE(ExchangeBlows(ogre, player, true));

    EXPECT_EQ(Shown(), "\nThe player stalled!  The enemy attacks!\n" + kShake + "\nOgre deals " +
                           std::to_string(its) + " to Ann!\nAnn attacks second and deals " +
                           std::to_string(mine) + " to the Ogre!\n");
    EXPECT_EQ(player.health, 100 - its);
    EXPECT_EQ(ogre.health, 50 - mine);
    ExpectSameDrawsAs(after);
}

// ---------------------------------------------------------------------------------------------
// The two kinds of blow.

using CombatBlowTest = CombatTest;

// A seed whose first two dice rolls give these totals.
cDraws SeedForTotals(int attackDice, int attackTotal, int defenseDice, int defenseTotal) {
    return SeedWhere([&](cDraws& d) {
        const int attack = d.Dice(attackDice);
        const int defense = d.Dice(defenseDice);
        return attack == attackTotal && defense == defenseTotal;
    });
}

TEST_F(CombatBlowTest, FirstBlowOfThreeLandsAgainstSixButNotAgainstSeven) {
    cOgre ogre("Ogre");
    ogre.attack = 3;
    player.defense = 6;

    const cDraws landing = SeedForTotals(3, 3, 6, 6);
    cDraws replay = landing;
    const int blow = replay.Blow(15, 10);
    gRandom.seed(landing.seed);
    EXPECT_EQ(FirstStrike(ogre, player), blow);
    EXPECT_EQ(player.health, 100 - blow);
    ExpectSameDrawsAs(replay);

    player.health = 100;
    const cDraws warded = SeedForTotals(3, 3, 6, 7);
    gRandom.seed(warded.seed);
    EXPECT_EQ(FirstStrike(ogre, player), 0);
    EXPECT_EQ(player.health, 100);
    ExpectSameDrawsAs(warded);
}

TEST_F(CombatBlowTest, SecondBlowIsWardedByEqualTotalsAndLandsOnlyAbove) {
    cOgre ogre("Ogre");
    ogre.attack = 4;
    player.defense = 4;

    const cDraws equal = SeedForTotals(4, 5, 4, 5);
    gRandom.seed(equal.seed);
    EXPECT_EQ(SecondStrike(ogre, player), 0);
    EXPECT_EQ(player.health, 100);
    ExpectSameDrawsAs(equal);

    const cDraws above = SeedForTotals(4, 6, 4, 5);
    cDraws replay = above;
    const int blow = replay.Blow(15, 10);
    gRandom.seed(above.seed);
    EXPECT_EQ(SecondStrike(ogre, player), blow);
    EXPECT_EQ(player.health, 100 - blow);
    ExpectSameDrawsAs(replay);
}

TEST_F(CombatBlowTest, BlowMayTakeHealthBelowZero) {
    cDemon demon("Demon");
    player.health = 3;
    const cDraws after = SeedWhere([&](cDraws& d) { return d.SecondBlowLands(9, 8); });
    gRandom.seed(after.seed);
    EXPECT_EQ(SecondStrike(demon, player), 18);
    EXPECT_EQ(player.health, -15);
    ExpectSameDrawsAs(after);
}

// ---------------------------------------------------------------------------------------------
// Whole encounters.

using CombatEncounterTest = CombatTest;

std::string StatusLine(int mine, const std::string& monster, int its) {
    return "{12}\nAnn: " + std::to_string(mine) + "\t" + monster + ": " + std::to_string(its) +
           "\n";
}

TEST_F(CombatEncounterTest, KillWithLootAfterAnIdleAnswerAndSloppyTyping) {
    const std::string picture = "  (\\_/)\r\n  rat\r\n";
    bool gone = false;
    auto rat = std::make_unique<cWatched<cRat>>("Rat", gone);
    rat->health = 15;
    int first = 0;
    const cDraws after = SeedWhere([&](cDraws& d) {
        d.Pause();  // the announcement
        d.Pause();  // turn 1: an answer that is no action
        d.Pause();  // turn 2
        if (!d.PlayerStrikesFirst(6, 2)) {
            return false;
        }
        if (!d.FirstBlowLands(10, 1)) {
            return false;
        }
        first = d.Blow(10, 2);
        if (d.PlayerStrikesFirst(1, 8)) {
            return false;
        }
        d.Pause();  // turn 3
        if (!d.PlayerStrikesFirst(6, 2)) {
            return false;
        }
        const int attack2 = d.Dice(10);
        const int defense2 = d.Dice(1);
        if (attack2 + 4 <= defense2) {
            return false;
        }
        d.Blow(10, 2);  // 10 or 11 against what is left of 15
        d.Pause();      // after the kill
        const int roll = static_cast<int>(d.Next() % 100) + 1;
        if (roll < 16 || roll > 20) {  // Meat, for a luck of 25
            return false;
        }
        d.Pause();  // the receipt
        return true;
    });
    gRandom.seed(after.seed);
    session.input().Add("x\nA\nattack!!\ny\n");

    RunEncounter(player, std::move(rat), inventory);

    const std::string turn = picture;
    EXPECT_EQ(Shown(), "\n\nA Rat approaches.\n" + turn + StatusLine(100, "Rat", 15) +
                           kFightPrompt + turn + StatusLine(100, "Rat", 15) + kFightPrompt +
                           "\nAnn deals " + std::to_string(first) +
                           " to the Rat!\nAnn parries the attack!\n" + turn +
                           StatusLine(100, "Rat", 15 - first) + kFightPrompt +
                           "\nAnn won the initiave roll and kills the Rat!\n"
                           "{13}\nThe Rat dropped some Meat.\nDo you take the Meat(y/n)?\n?:"
                           "{13}\n***Received Meat!***\n{7}");
    EXPECT_TRUE(gone);
    ASSERT_EQ(inventory.items.size(), 1u);
    EXPECT_EQ(inventory.items[0]->item->name, "Meat");
    EXPECT_EQ(gPauseJitter, kStartingPauseJitter);
    EXPECT_TRUE(m_record->moves.empty());
    ExpectSameDrawsAs(after);
}

TEST_F(CombatEncounterTest, FailedRunStallsAndASecondRunEscapes) {
    const std::string picture = "[ogre]\n";
    bool gone = false;
    auto ogre = std::make_unique<cWatched<cOgre>>("Ogre", gone);
    int its = 0;
    int mine = 0;
    const cDraws after = SeedWhere([&](cDraws& d) {
        d.Pause();
        d.Pause();
        const int getaway = d.Dice(8);  // the player's defense, not its initiative
        const int pursuit = d.Dice(10);
        if (pursuit < getaway) {
            return false;
        }
        d.Dice(5);
        if (!d.FirstBlowLands(10, 8)) {
            return false;
        }
        its = d.Blow(15, 10);
        if (!d.PlayerStrikesFirst(10, 8)) {
            return false;
        }
        mine = d.Blow(10, 2);
        d.Pause();
        const int getaway2 = d.Dice(8);
        const int pursuit2 = d.Dice(10);
        return pursuit2 < getaway2;
    });
    gRandom.seed(after.seed);
    std::vector<int> jitterAtPrompts;
    auto noteJitter = [&] { jitterAtPrompts.push_back(gPauseJitter); };
    session.input().AddAction(noteJitter);
    session.input().Add("r\n");
    session.input().AddAction(noteJitter);
    session.input().Add("R\n");

    RunEncounter(player, std::move(ogre), inventory);

    EXPECT_EQ(Shown(), "\n\nA Ogre approaches.\n" + picture + StatusLine(100, "Ogre", 50) +
                           kFightPrompt + "\nThe player stalled!  The enemy attacks!\n" + kShake +
                           "\nOgre deals " + std::to_string(its) +
                           " to Ann!\nAnn attacks second and deals " + std::to_string(mine) +
                           " to the Ogre!\n" + picture + StatusLine(100 - its, "Ogre", 50 - mine) +
                           kFightPrompt + "{10}\nAnn ran from the Ogre!\n{7}");
    EXPECT_TRUE(gone);
    EXPECT_EQ(jitterAtPrompts, (std::vector<int>{250, 230}));
    EXPECT_EQ(gPauseJitter, kStartingPauseJitter);
    EXPECT_EQ(m_record->moves.size(), 4u);
    ExpectSameDrawsAs(after);
}

TEST_F(CombatEncounterTest, ItemUseHealsThenStallsAndEndOfInputEndsTheFight) {
    const std::string picture = "  (\\_/)\r\n  rat\r\n";
    bool gone = false;
    auto rat = std::make_unique<cWatched<cRat>>("Rat", gone);
    player.health = 50;
    inventory.items.push_back(std::make_unique<cItemStack>());
    inventory.items.back()->item = std::make_unique<cBread>(20, "Bread");
    int mine = 0;
    const cDraws after = SeedWhere([&](cDraws& d) {
        d.Pause();
        d.Pause();
        d.Dice(2);  // only the rat rolls initiative
        const int bite = d.Dice(1);
        const int guard = d.Dice(8);
        if (bite + 4 <= guard) {
            return false;
        }
        if (!d.PlayerStrikesFirst(10, 1)) {
            return false;
        }
        mine = d.Blow(10, 2);
        d.Pause();  // turn 2 begins; its prompt finds no more input
        return true;
    });
    gRandom.seed(after.seed);
    session.input().Add("i\n0\n");

    RunEncounter(player, std::move(rat), inventory);

    EXPECT_EQ(Shown(), "\n\nA Rat approaches.\n" + picture + StatusLine(50, "Rat", 20) +
                           kFightPrompt +
                           "{13}\nPlease select an Item to use: \n(0)Bread x1\n(Q)uit\n\n?:"
                           "\n***Ann used Bread!***\n\n{7}"
                           "\nThe player stalled!  The enemy attacks!\n" +
                           kShake + "\nRat deals 5 to Ann!\nAnn attacks second and deals " +
                           std::to_string(mine) + " to the Rat!\n" + picture +
                           StatusLine(65, "Rat", 20 - mine) + kFightPrompt);
    EXPECT_TRUE(gone);
    EXPECT_TRUE(inventory.items.empty());
    EXPECT_EQ(player.health, 65);
    EXPECT_EQ(gPauseJitter, kStartingPauseJitter);
    ExpectSameDrawsAs(after);
}

TEST_F(CombatEncounterTest, PlayerDeathEndsTheFightAndKeepsTheTextFast) {
    const std::string picture = "{demon}\n";
    bool gone = false;
    auto demon = std::make_unique<cWatched<cDemon>>("Demon", gone);
    player.health = 10;
    int mine = 0;
    const cDraws after = SeedWhere([&](cDraws& d) {
        d.Pause();
        d.Pause();
        if (!d.PlayerStrikesFirst(6, 5)) {
            return false;
        }
        if (!d.FirstBlowLands(10, 9)) {
            return false;
        }
        mine = d.Blow(10, 2);
        if (!d.PlayerStrikesFirst(9, 8)) {
            return false;
        }
        d.Pause();  // after the kill; the demon's claws draw nothing
        return true;
    });
    gRandom.seed(after.seed);
    session.input().Add("a\na\n");

    RunEncounter(player, std::move(demon), inventory);

    EXPECT_EQ(Shown(), "\n\nA Demon approaches.\n" + picture + StatusLine(10, "Demon", 50) +
                           kFightPrompt + "\nAnn deals " + std::to_string(mine) +
                           " to the Demon!\n" + kShake +
                           "Demon attacks second and deals 18 to Ann!\n\nDemon kills Ann!\n");
    EXPECT_TRUE(gone);
    EXPECT_EQ(player.health, -8);
    EXPECT_EQ(gPauseJitter, kStartingPauseJitter - 20);
    EXPECT_EQ(std::cin.get(), 'a') << "a dead player is asked nothing more";
    ExpectSameDrawsAs(after);
}

TEST_F(CombatEncounterTest, EveryActionSpeedsTheTextUpToAFloorOfOneAndOtherAnswersDoNot) {
    auto rat = std::make_unique<cRat>("Rat");
    rat->health = 100000;  // never dies
    player.health = 100000;
    player.defense = 0;  // a run is never faster than the rat's pursuit
    gPauseJitter = 45;
    std::vector<int> seen;
    for (const char* answer : {"x\n", "a\n", "i\n", "r\n", "a\n", "a\n"}) {
        session.input().AddAction([&] { seen.push_back(gPauseJitter); });
        session.input().Add(answer);
    }
    session.input().AddAction([&] { seen.push_back(gPauseJitter); });

    RunEncounter(player, std::move(rat), inventory);

    EXPECT_EQ(seen, (std::vector<int>{45, 45, 25, 5, 1, 1, 1}));
    EXPECT_EQ(gPauseJitter, kStartingPauseJitter) << "the player survived";
}

// ---------------------------------------------------------------------------------------------
// The end of input.

TEST_F(CombatEncounterTest, EndOfInputAtTheFightPromptEndsTheEncounterUnharmed) {
    bool gone = false;
    auto ogre = std::make_unique<cWatched<cOgre>>("Ogre", gone);
    gPauseJitter = 90;

    RunEncounter(player, std::move(ogre), inventory);

    EXPECT_EQ(Shown(),
              "\n\nA Ogre approaches.\n[ogre]\n" + StatusLine(100, "Ogre", 50) + kFightPrompt);
    EXPECT_TRUE(gone);
    EXPECT_EQ(player.health, 100);
    EXPECT_EQ(gPauseJitter, kStartingPauseJitter);
}

TEST_F(CombatEncounterTest, EndOfInputInTheItemMenuBringsNoStalledExchange) {
    bool gone = false;
    auto ogre = std::make_unique<cWatched<cOgre>>("Ogre", gone);
    inventory.items.push_back(std::make_unique<cItemStack>());
    inventory.items.back()->item = std::make_unique<cBread>(20, "Bread");
    session.input().Add("i\n");

    RunEncounter(player, std::move(ogre), inventory);

    EXPECT_EQ(Shown(), "\n\nA Ogre approaches.\n[ogre]\n" + StatusLine(100, "Ogre", 50) +
                           kFightPrompt +
                           "{13}\nPlease select an Item to use: \n(0)Bread x1\n(Q)uit\n\n?:{7}");
    EXPECT_TRUE(gone);
    EXPECT_EQ(player.health, 100);
    EXPECT_EQ(inventory.items.size(), 1u);
}

TEST_F(CombatEncounterTest, MonsterMeetingAPlayerWhoseInputHasEndedShowsNothing) {
    char nothing = 0;
    std::cin >> nothing;  // the input is already over, as after a last unanswered question
    bool gone = false;
    auto ogre = std::make_unique<cWatched<cOgre>>("Ogre", gone);

    RunEncounter(player, std::move(ogre), inventory);

    EXPECT_EQ(Shown(), "");
    EXPECT_TRUE(gone);
    EXPECT_EQ(player.health, 100);
}

// ---------------------------------------------------------------------------------------------
// The fight prompt on its own.

TEST(CombatMenuTest, FirstCharacterCountsLowerCasedAndTheRestOfItsLineIsDropped) {
    cSession session("\n  Run away!\ni\n");
    EXPECT_EQ(CombatMenu(), 'r');
    EXPECT_EQ(CombatMenu(), 'i');
    EXPECT_EQ(CombatMenu(), '\0') << "no answer once the input has ended";
    EXPECT_EQ(session.Take(), kFightPrompt + kFightPrompt + kFightPrompt);
}

}  // namespace
