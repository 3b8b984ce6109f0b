// The Gnome of Antithesis: what its creation and its drop do to the owner, what it says, and
// what its spells take.

#include <gtest/gtest.h>

#include <cstdint>
#include <iostream>
#include <memory>
#include <random>
#include <string>

#include "characters/Character.h"
#include "characters/Enemy.h"
#include "items/GnomeOfAntithesis.h"
#include "items/Inventory.h"
#include "platform/Random.h"
#include "support/TestPlatform.h"
#include "weapons/Weapon.h"

namespace {

// The first seed whose first draw makes the gnome say `choice`.
std::uint32_t SeedForChoice(std::uint32_t choice) {
    for (std::uint32_t seed = 1;; ++seed) {
        std::mt19937 engine(seed);
        if (engine() % 20 == choice) {
            return seed;
        }
    }
}

const std::string kSpeechStart = "{7}\nThe Gnome Speaks:\n\n{12}";
const std::string kSpeechEnd = "\n{7}";
const std::string kChant =
    "OHMMMMMMMMMMMMMMMMM.\nOHMMMMMMMMMMMMMMMMM.\nOHMMMMMMMMMMMMMMMMM.\nIt has been done.\n";

class GnomeTest : public ::testing::Test {
  protected:
    GnomeTest() {
        directory.Write("gnomeofantithesis.txt", "  o\r\n /|\\\r\n");
        player.weapon = &sword;
    }

    // The gnome says `choice`; returns what it printed.
    std::string Say(cGnomeOfAntithesis& gnome, std::uint32_t choice) {
        session.Take();
        gRandom.seed(SeedForChoice(choice));
        gnome.Speak();
        return session.Take();
    }

    cScratchDirectory directory;
    cSession session;
    cWeapon sword{10, 2, "Sword"};
    cPlayer player{"Ann"};
};

// ---------------------------------------------------------------------------------------------
// Creation and drop.

TEST_F(GnomeTest, CreationTakesOneAttackAndKeepsTheEncounterChanceOfThatMoment) {
    gEncounterChance = 45;
    cGnomeOfAntithesis gnome(&player);

    EXPECT_EQ(player.attack, 9);
    EXPECT_EQ(gnome.name, "Gnome of Antithesis");
    EXPECT_EQ(gnome.value, 1);
    EXPECT_EQ(gnome.extra, 3);
    EXPECT_EQ(gnome.owner, &player);
    EXPECT_EQ(gnome.savedLuck, 0);
    EXPECT_EQ(gnome.savedEncounterChance, 45);
    EXPECT_EQ(std::string(gnome.art.data.get(), gnome.art.length), "  o\r\n /|\\\r\n");
    EXPECT_EQ(session.Take(), "");
}

TEST_F(GnomeTest, DropBeforeAnySpellGivesBackTheAttackAndLeavesTheLuckAlone) {
    gEncounterChance = 45;
    auto gnome = std::make_unique<cGnomeOfAntithesis>(&player);
    player.luck = 17;
    gEncounterChance = 12;

    gnome.reset();

    EXPECT_EQ(player.attack, 10);
    EXPECT_EQ(player.luck, 17);
    EXPECT_EQ(gEncounterChance, 45);
}

TEST_F(GnomeTest, DropAfterTheLuckSpellGivesTheLuckBack) {
    auto gnome = std::make_unique<cGnomeOfAntithesis>(&player);
    Say(*gnome, 16);
    EXPECT_EQ(player.luck, 0);
    EXPECT_EQ(gnome->savedLuck, 25);

    gnome.reset();

    EXPECT_EQ(player.luck, 25);
    EXPECT_EQ(player.attack, 10);
    EXPECT_EQ(gEncounterChance, kStartingEncounterChance);
}

TEST_F(GnomeTest, SecondLuckSpellDoesNotOverwriteTheLuckKeptByTheFirst) {
    auto gnome = std::make_unique<cGnomeOfAntithesis>(&player);
    Say(*gnome, 16);
    Say(*gnome, 16);
    EXPECT_EQ(player.luck, 0);
    EXPECT_EQ(gnome->savedLuck, 25);

    gnome.reset();

    EXPECT_EQ(player.luck, 25);
}

TEST_F(GnomeTest, DroppingItFromTheInventoryRunsTheSameRestoration) {
    cInventory inventory(&player);
    inventory.AddCompanion(std::make_unique<cGnomeOfAntithesis>(&player));
    Say(static_cast<cGnomeOfAntithesis&>(*inventory.companions[0]->item), 16);
    session.input().Add("d\n0\n");

    inventory.InventoryMenu();

    EXPECT_TRUE(inventory.companions.empty());
    EXPECT_EQ(player.luck, 25);
    EXPECT_EQ(player.attack, 10);
}

// ---------------------------------------------------------------------------------------------
// The picture.

TEST_F(GnomeTest, PictureIsShownInBlueExactlyAsLoaded) {
    cGnomeOfAntithesis gnome(&player);
    gnome.Display();
    EXPECT_EQ(session.Take(), "{9}  o\r\n /|\\\r\n{7}");
}

TEST_F(GnomeTest, MissingPictureIsReportedOnceAndShowsNothing) {
    directory.Remove("gnomeofantithesis.txt");
    cGnomeOfAntithesis gnome(&player);
    EXPECT_EQ(session.Take(), "File gnomeofantithesis.txt is not valid.\n");
    EXPECT_EQ(player.attack, 9);

    gnome.Display();
    EXPECT_EQ(session.Take(), "");
}

// ---------------------------------------------------------------------------------------------
// What it says.

struct cSpeech {
    std::uint32_t choice;
    const char* lines;
};

void PrintTo(const cSpeech& speech, std::ostream* out) {
    *out << "choice " << speech.choice;
}

class GnomeSpeechTest : public GnomeTest, public ::testing::WithParamInterface<cSpeech> {};

TEST_P(GnomeSpeechTest, SaysItsLinesByteForByte) {
    cGnomeOfAntithesis gnome(&player);
    session.input().Add("n\n");
    EXPECT_EQ(Say(gnome, GetParam().choice), kSpeechStart + GetParam().lines + kSpeechEnd);
}

const std::string kConfession =
    "There actually is no invasion. The old man lied to you.\nIts been me the whole time.\n";

INSTANTIATE_TEST_SUITE_P(
    GnomeEveryChoiceButTheStory, GnomeSpeechTest,
    ::testing::Values(
        cSpeech{0, "Are you sure you want to go that way? (y/n): Well, whatever."},
        cSpeech{1,
                "Do you know what you are doing?\nBecause it looks like you don't. (y/n): Then "
                "why did you go that way?"},
        cSpeech{2, "Trust me. The exit is behind you."},
        cSpeech{3,
                "That thing you are using is called an Sword.\nIts hand crafted and is used to "
                "dispatch enemies.\nWould you like me to show you how to use it? (y/n): Maybe "
                "some other time."},
        cSpeech{4,
                "Does that thing on your head actually do anything,\nOr is it used to cushin your "
                "mouth? (y/n): Whatever.  Nobody cares."},
        cSpeech{5, "You're an idiot.  The exit is to your left.\n"},
        cSpeech{6,
                "I've been on this planet for many moons,\nand have never met anybody more "
                "stupid then you.\n"},
        cSpeech{7, kConfession.c_str()}, cSpeech{19, kConfession.c_str()},
        cSpeech{8, "Why did you ever sign up for this anyway?\n"},
        cSpeech{9,
                "See that thing to your left?\nIts called a wall.  I can go through it "
                "because\nI'm magical.  You can't because you're a loser.\n"},
        cSpeech{10, "Why do you insist on going this way?\nTheres nothing there but you.\n"},
        cSpeech{11, "Idiot.\n"}, cSpeech{12, "I should leave you.  I'd get there faster.\n"},
        cSpeech{13, "Fool.\n"}, cSpeech{14, "Quasi-Munchkin.\n"},
        cSpeech{15, "Can I use your brain to make a table?  It would be just as affective.\n"},
        cSpeech{16,
                "I think it would be wise for me to cast my\nspell aufero hostis at this "
                "time.\nThis should lower the enemy population\nin this dungeon.\n"
                "OHMMMMMMMMMMMMMMMMM.\nOHMMMMMMMMMMMMMMMMM.\nOHMMMMMMMMMMMMMMMMM.\n"
                "It has been done.\n"},
        cSpeech{17,
                "Hey Buddy.  Looks like you need some help.\nLet me cast a spell that will help "
                "you.\nOHMMMMMMMMMMMMMMMMM.\nOHMMMMMMMMMMMMMMMMM.\nOHMMMMMMMMMMMMMMMMM.\n"
                "It has been done.\n"}),
    [](const ::testing::TestParamInfo<cSpeech>& info) {
        return "Choice" + std::to_string(info.param.choice);
    });

TEST_F(GnomeTest, ConfessionReadsTheSameFromBothOfItsChoices) {
    cGnomeOfAntithesis gnome(&player);
    EXPECT_EQ(Say(gnome, 7), Say(gnome, 19));
}

TEST_F(GnomeTest, WeaponSpeechNamesTheWeaponHeldAtThatMoment) {
    cGnomeOfAntithesis gnome(&player);
    cWeapon axe(12, 6, "Axe");
    player.weapon = &axe;
    session.input().Add("n\n");
    EXPECT_NE(Say(gnome, 3).find("That thing you are using is called an Axe.\n"),
              std::string::npos);
}

TEST_F(GnomeTest, WeaponSpeechToAnUnarmedOwnerNamesNoWeapon) {
    cGnomeOfAntithesis gnome(&player);
    player.weapon = nullptr;
    session.input().Add("n\n");

    const std::string said = Say(gnome, 3);

    EXPECT_EQ(said.find("called an"), std::string::npos) << said;
    EXPECT_EQ(said.rfind(kSpeechStart, 0), 0u);
    EXPECT_NE(said.find("(y/n): Maybe some other time.\n{7}"), std::string::npos) << said;
}

TEST_F(GnomeTest, QuestionTakesOneCharacterAndLeavesTheRestOfTheLine) {
    cGnomeOfAntithesis gnome(&player);
    session.input().Add("  yes\n");
    Say(gnome, 0);
    EXPECT_EQ(std::cin.get(), 'e');
}

TEST_F(GnomeTest, QuestionAtTheEndOfInputGetsTheSameReplyAndDoesNotWait) {
    cGnomeOfAntithesis gnome(&player);
    EXPECT_EQ(Say(gnome, 4), kSpeechStart +
                                 "Does that thing on your head actually do anything,\nOr is it "
                                 "used to cushin your mouth? (y/n): Whatever.  Nobody cares." +
                                 kSpeechEnd);
}

// ---------------------------------------------------------------------------------------------
// The spells.

TEST_F(GnomeTest, LuckSpellKeepsTheLuckAndTheEncounterChanceButChangesNeitherElse) {
    cGnomeOfAntithesis gnome(&player);
    gEncounterChance = 64;
    player.health = 80;

    Say(gnome, 16);

    EXPECT_EQ(player.luck, 0);
    EXPECT_EQ(gnome.savedLuck, 25);
    EXPECT_EQ(gnome.savedEncounterChance, 64);
    EXPECT_EQ(gEncounterChance, 64);
    EXPECT_EQ(player.health, 80);
}

TEST_F(GnomeTest, HelpingSpellTakesAQuarterOfTheHealthRoundedTowardZero) {
    cGnomeOfAntithesis gnome(&player);
    const std::pair<int, int> cases[] = {{1, 1}, {2, 2}, {3, 3}, {4, 3}, {7, 6}, {100, 75}};
    for (const auto& c : cases) {
        player.health = c.first;
        Say(gnome, 17);
        EXPECT_EQ(player.health, c.second) << "from " << c.first;
    }
    EXPECT_EQ(player.luck, 25);
}

TEST_F(GnomeTest, SpeechDrawsItsChoiceThenOneDrawPerPause) {
    cGnomeOfAntithesis gnome(&player);
    // choice, the pause before the words, the three pauses of the chant, the pause after
    const std::pair<std::uint32_t, int> cases[] = {{11, 3}, {16, 6}, {17, 6}, {18, 26}};
    for (const auto& c : cases) {
        Say(gnome, c.first);
        std::mt19937 replay(SeedForChoice(c.first));
        replay.discard(static_cast<unsigned long long>(c.second));
        EXPECT_EQ(gRandom(), replay()) << "choice " << c.first;
    }
}

TEST_F(GnomeTest, GentlemanStoryKeepsItsRhythm) {
    cGnomeOfAntithesis gnome(&player);
    gPauseJitter = 1;  // every pause then lasts exactly its nominal length and three ticks
    const std::uint32_t before = session.clock().Peek();

    const std::string said = Say(gnome, 18);

    const std::uint32_t storyPauses = 4000 + 4000 + 3000 + 2000 + 3000 + 4000 + 2000 + 2000 +
                                      3000 * 7 + 4000 + 3000 + 5000 + 2000 + 1000 + 3000 + 2000 +
                                      2000;
    const std::uint32_t pauses = 3000 + storyPauses + 2000;
    EXPECT_EQ(session.clock().Peek() - before, pauses + 3 * 25);
    EXPECT_EQ(said.rfind(kSpeechStart, 0), 0u);
    EXPECT_EQ(said.substr(said.size() - kSpeechEnd.size()), kSpeechEnd);
}

}  // namespace

namespace {

// ---------------------------------------------------------------------------------------------
// In a whole game.

TEST(GnomeGameTest, EndOfInputAtTheGnomesQuestionEndsTheGameBeforeAnyMonster) {
    cGameOptions options;
    // The walk to the gnome's cell, with no monster on the way, and the gnome taken.
    options.input = "Ann\ns\ns\ns\ns\ns\nw\ns\ns\ns\ne\ns\ns\ny\n";
    options.prepare = [](cSession& session) {
        gEncounterChance = 0;
        // On the next step back north the gnome asks a question, and a monster is sure to come.
        session.input().AddAction([] {
            gRandom.seed(SeedForChoice(0));
            gEncounterChance = 100;
        });
        session.input().Add("n\n");
    };

    const cGameResult result = RunGame(options);

    const std::string plain = StripColours(result.transcript);
    const std::size_t speech = plain.find("The Gnome Speaks:");
    ASSERT_NE(speech, std::string::npos) << plain;
    const std::string after = plain.substr(speech);
    EXPECT_NE(after.find("(y/n): Well, whatever.\n"), std::string::npos) << after;
    EXPECT_EQ(after.find("approaches"), std::string::npos) << after;
    EXPECT_EQ(after.find("?:"), std::string::npos) << after;
    EXPECT_EQ(result.status, 0);
}

}  // namespace
