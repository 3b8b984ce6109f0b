// The title screen and the opening story: the banner, the name and weapon prompts, the gift of
// bread, the colours, the start of the clock, and what the rest of a typed line does next.

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <iostream>
#include <memory>
#include <string>
#include <vector>

#include "characters/Character.h"
#include "game/AudioManager.h"
#include "game/Intro.h"
#include "items/Inventory.h"
#include "items/Item.h"
#include "platform/Random.h"
#include "platform/null/SilentAudio.h"
#include "support/TestPlatform.h"
#include "weapons/WeaponManager.h"

namespace {

// ---------------------------------------------------------------------------------------------
// The banner.

TEST(IntroBannerTest, BoxIsFourteenLinesOfSeventyNineWithAFrameAroundFiftySevenColumns) {
    const std::vector<std::string> lines = BannerLines();
    ASSERT_EQ(lines.size(), 14u);
    for (const std::string& line : lines) {
        EXPECT_EQ(line.size(), 79u) << line;
    }
    EXPECT_EQ(lines[0], std::string(11, ' ') + std::string(57, '_') + std::string(11, ' '));
    for (std::size_t i = 1; i < lines.size(); ++i) {
        const std::string& line = lines[i];
        EXPECT_EQ(line.substr(0, 10), std::string(10, ' ')) << "line " << i + 1;
        EXPECT_EQ(line[10], '|') << "line " << i + 1;
        EXPECT_EQ(line[68], '|') << "line " << i + 1;
        EXPECT_EQ(line.substr(69), std::string(10, ' ')) << "line " << i + 1;
    }
    EXPECT_EQ(lines[1].substr(11, 57), std::string(57, ' '));
    EXPECT_EQ(lines[7].substr(11, 57), std::string(57, ' '));
    EXPECT_EQ(lines[13].substr(11, 57), std::string(57, '_'));
}

TEST(IntroBannerTest, LetteringIsMadeOfHashesStartingOneOrTwoColumnsInsideTheFrame) {
    const std::vector<std::string> lines = BannerLines();
    for (const std::size_t first : {2u, 8u}) {
        std::size_t leftmost = 57;
        for (std::size_t i = first; i < first + 5; ++i) {
            const std::string inner = lines[i].substr(11, 57);
            EXPECT_EQ(inner.find_first_not_of("# "), std::string::npos) << inner;
            leftmost = std::min(leftmost, inner.find('#'));
        }
        EXPECT_TRUE(leftmost == 1 || leftmost == 2) << "band from line " << first + 1;
    }
}

// ---------------------------------------------------------------------------------------------
// The story, run on its own.

// The colour changes of a transcript, in order.
std::string ColourMarks(const std::string& transcript) {
    std::string marks;
    for (std::size_t at = transcript.find('{'); at != std::string::npos;
         at = transcript.find('{', at + 1)) {
        marks += transcript.substr(at, transcript.find('}', at) - at + 1);
    }
    return marks;
}

class IntroTest : public ::testing::Test {
  protected:
    // The story needs an audio manager, not a sound device: the silent backend runs on every
    // system (the browser build's tests run under node, which has no audio at all).
    IntroTest() {
        Sys_InstallAudioBackend(std::make_unique<cSilentAudio>(std::make_shared<cAudioRecord>()));
        directory.CopyGameData();
        weapons = std::make_unique<cWeaponManager>();
        weapons->LoadWeapons("Weapons.txt");
        audio = std::make_unique<cAudioManager>();
        session.Take();
    }
    ~IntroTest() override {
        audio.reset();
        Sys_InstallAudioBackend(nullptr);
    }

    bool Run(const std::string& input) {
        session.input().Add(input);
        return RunIntro(player, *weapons, *audio, inventory, startTick);
    }

    cScratchDirectory directory;
    cSession session;
    std::unique_ptr<cWeaponManager> weapons;
    std::unique_ptr<cAudioManager> audio;
    cPlayer player{"Player"};
    cInventory inventory{&player};
    std::uint32_t startTick = 0;
};

TEST_F(IntroTest, TitleScreenShowsTheVersionTheGreyBannerAndBandThenTheCall) {
    ASSERT_TRUE(Run("Ann\ns\n"));
    const std::string shown = session.Take();

    std::string banner = "{128}";
    for (const std::string& line : BannerLines()) {
        banner += line + "\n";
    }
    banner += std::string(79, ' ') + "\n\n";

    ASSERT_EQ(shown.rfind("Vaultreach v1.2\n", 0), 0u) << "no colour before the version line";
    const std::size_t box = shown.find("{128}");
    ASSERT_NE(box, std::string::npos);
    EXPECT_EQ(shown.find('{'), box) << "the version and credit lines keep the console's colour";
    EXPECT_EQ(shown.substr(box - 8, 8), std::string(8, '\n'));
    const std::string after = "{7}\nVaultreach awaits.\n{15}\nYOU!\nOVER THERE!\nCOME HERE!";
    EXPECT_EQ(shown.substr(box, banner.size() + after.size()), banner + after);
}

TEST_F(IntroTest, StoryTellsItsLinesInWhiteWithTheWeaponChoiceInGreen) {
    ASSERT_TRUE(Run("Ann\na\n"));
    const std::string shown = session.Take();

    const std::size_t call = shown.find("{15}\nYOU!\n");
    ASSERT_NE(call, std::string::npos);
    const std::string story = shown.substr(call);
    EXPECT_EQ(
        story.rfind("{15}\nYOU!\nOVER THERE!\nCOME HERE!\nWhat is your name? \nThere is evil afoot "
                    "Ann.  The castle Tovashal is being\n",
                    0),
        0u)
        << story;
    const std::size_t weapon = story.find(
        "\n\nYou will need a weapon.\n{10}(S)word\n(A)xe\n?:{15}\nVery good selection Ann. The "
        "choice of the true hero of Tovashal!\n\nEver since that fool Helmsley opened the Tomb,");
    EXPECT_NE(weapon, std::string::npos) << story;
    EXPECT_NE(story.find("\nWE ARE RUNNING OUT OF FOOD AND SUPPLIES!\n\nAnn"), std::string::npos);
    EXPECT_NE(story.find("\nHere is what little food we have.\n{13}\n***Received Bread!***\n{7}"
                         "{15}\nNow Go!  Bring Help!  SAVE TOVASHAL!\n{7}\n\nAs you walk down "
                         "the musty corridor\n"),
              std::string::npos)
        << story;
    // White from the call to the last order, except the weapon choice and the receipt.
    EXPECT_EQ(ColourMarks(story), "{15}{10}{15}{13}{7}{15}{7}");
    EXPECT_EQ(story.substr(story.size() - 1), "\n");
}

TEST_F(IntroTest, EmptyNameLeavesNothingBetweenTheWords) {
    ASSERT_TRUE(Run("\na\n"));
    EXPECT_EQ(player.name, "");
    EXPECT_NE(session.Take().find("There is evil afoot .  The castle Tovashal is being\n"),
              std::string::npos);
}

TEST_F(IntroTest, OverlongNameKeepsTheFirst255CharactersAndDropsTheRestOfItsLine) {
    const std::string name(255, 'n');
    ASSERT_TRUE(Run(name + "sssss\na\n"));
    EXPECT_EQ(player.name, name);
    ASSERT_NE(player.weapon, nullptr);
    EXPECT_EQ(player.weapon->name, "Axe") << "the dropped end of the name is no weapon answer";
}

TEST_F(IntroTest, NameOfExactly255CharactersIsKeptWhole) {
    const std::string name = std::string(254, 'n') + "!";
    ASSERT_TRUE(Run(name + "\na\n"));
    EXPECT_EQ(player.name, name);
    EXPECT_EQ(player.weapon->name, "Axe");
}

TEST_F(IntroTest, AnOverlongNameIsCutAfterItsLastWholeCharacter) {
    const std::string e = "\xc3\xa9";        // é, two bytes
    const std::string han = "\xe6\xbc\xa2";  // 漢, three bytes
    std::string accents;
    for (int i = 0; i < 200; ++i) {
        accents += e;
    }
    struct cCase {
        std::string line;
        std::string name;
    };
    const cCase cases[] = {
        {"a" + accents, "a" + accents.substr(0, 254)},
        {"aa" + accents, "aa" + accents.substr(0, 252)},
        {std::string(254, 'n') + han, std::string(254, 'n')},
        {std::string(253, 'n') + han + "x", std::string(253, 'n')},
        {std::string(252, 'n') + han + "x", std::string(252, 'n') + han},
        // Not UTF-8: cut at 255 bytes as before.
        {std::string(254, 'n') + "\xc3\xc3x", std::string(254, 'n') + "\xc3"},
    };
    for (const cCase& c : cases) {
        ASSERT_TRUE(Run(c.line + "\na"));
        EXPECT_EQ(player.name, c.name) << c.line.size();
        EXPECT_LE(player.name.size(), 255u);
        EXPECT_EQ(player.weapon->name, "Axe");
    }
}

TEST_F(IntroTest, NameKeepsItsBlanks) {
    ASSERT_TRUE(Run("  Ann of Tovashal \nA\n"));
    EXPECT_EQ(player.name, "  Ann of Tovashal ");
}

TEST_F(IntroTest, SwordAddsOnePointOfAttackAndTheAxeNone) {
    ASSERT_TRUE(Run("Ann\ns"));
    EXPECT_EQ(player.weapon, weapons->GetWeapon("Sword"));
    EXPECT_EQ(player.attack, 11);

    player.attack = 10;
    ASSERT_TRUE(Run("Ann\na"));
    EXPECT_EQ(player.weapon, weapons->GetWeapon("Axe"));
    EXPECT_EQ(player.attack, 10);
}

TEST_F(IntroTest, UpperCaseAnswersGiveNoWeaponAndKeepTheOneAlreadyHeld) {
    ASSERT_TRUE(Run("Ann\nS"));
    EXPECT_EQ(player.weapon, nullptr);
    EXPECT_EQ(player.attack, 10);
    ASSERT_TRUE(Run("Ann\nA"));
    EXPECT_EQ(player.weapon, nullptr);
    EXPECT_NE(session.Take().find("{15}\nVery good selection Ann."), std::string::npos);

    ASSERT_TRUE(Run("Ann\na"));
    ASSERT_TRUE(Run("Bo\nx"));
    EXPECT_EQ(player.weapon, weapons->GetWeapon("Axe"));
    EXPECT_EQ(player.name, "Bo");
}

TEST_F(IntroTest, WholeWordAnswerTakesItsFirstLetterAndLeavesTheRest) {
    ASSERT_TRUE(Run("Ann\n  sword\n"));
    EXPECT_EQ(player.weapon->name, "Sword");
    std::string rest;
    std::getline(std::cin, rest);
    EXPECT_EQ(rest, "word");
}

TEST_F(IntroTest, EveryStoryGivesOneBread) {
    ASSERT_TRUE(Run("Ann\ns"));
    ASSERT_EQ(inventory.items.size(), 1u);
    const cItem& bread = *inventory.items[0]->item;
    EXPECT_EQ(bread.name, "Bread");
    EXPECT_EQ(bread.value, 20);
    EXPECT_NE(dynamic_cast<const cBread*>(&bread), nullptr);
    EXPECT_EQ(inventory.items[0]->count, 1u);

    ASSERT_TRUE(Run("Ann\ns"));
    ASSERT_EQ(inventory.items.size(), 1u);
    EXPECT_EQ(inventory.items[0]->count, 2u);
}

TEST_F(IntroTest, ClockStartsAfterTheTitleScreen) {
    gPauseJitter = 1;  // every pause lasts exactly its nominal length and three ticks
    const std::uint32_t before = session.clock().Peek();
    ASSERT_TRUE(Run("Ann\ns\n"));
    EXPECT_EQ(startTick - before, (4900 + 3) + (9000 + 3) + (4000 + 3));
}

TEST_F(IntroTest, EndOfInputAtTheNameEndsTheStoryThere) {
    EXPECT_FALSE(Run(""));
    const std::string shown = session.Take();
    EXPECT_EQ(shown.substr(shown.size() - 20), "\nWhat is your name? ");
    EXPECT_TRUE(inventory.items.empty());
}

TEST_F(IntroTest, EndOfInputAtTheWeaponEndsTheStoryThere) {
    EXPECT_FALSE(Run("Ann\n"));
    const std::string shown = session.Take();
    EXPECT_EQ(shown.substr(shown.size() - 20), "{10}(S)word\n(A)xe\n?:");
    EXPECT_EQ(player.weapon, nullptr);
    EXPECT_TRUE(inventory.items.empty());
}

// ---------------------------------------------------------------------------------------------
// The story inside a whole game.

TEST(IntroGameTest, RestOfAWholeWordWeaponAnswerIsTheFirstMoveIntoTheWall) {
    cGameOptions options;
    options.input = "Ann\nsword\nq\n";
    const cGameResult result = RunGame(options);

    const std::string plain = StripColours(result.transcript);
    const std::size_t story = plain.find("its dim light");
    ASSERT_NE(story, std::string::npos);
    const std::size_t prompt = plain.find("?:", story);
    const std::size_t wall = plain.find("There is a wall there.", story);
    const std::size_t second = plain.find("?:", prompt + 2);
    ASSERT_NE(wall, std::string::npos) << plain;
    EXPECT_LT(prompt, wall);
    EXPECT_LT(wall, second) << "the wall comes from the first prompt's answer";
    EXPECT_EQ(plain.find("There is a wall there.", wall + 1), std::string::npos)
        << "the rest of the word was discarded with its line";
}

TEST(IntroGameTest, EndOfInputAtTheNameEndsTheGameWithoutAnotherPrompt) {
    cGameOptions options;
    options.input = "";
    const cGameResult result = RunGame(options);
    const std::string plain = StripColours(result.transcript);
    EXPECT_EQ(plain.find("?:"), std::string::npos) << plain;
    EXPECT_EQ(result.status, 0);
}

TEST(IntroGameTest, EndOfInputAtTheWeaponEndsTheGameWithoutAnotherPrompt) {
    cGameOptions options;
    options.input = "Ann\n";
    const cGameResult result = RunGame(options);
    const std::string plain = StripColours(result.transcript);
    const std::size_t weapon = plain.find("(A)xe\n?:");
    ASSERT_NE(weapon, std::string::npos);
    EXPECT_EQ(plain.find("?:", weapon + 8), std::string::npos) << plain.substr(weapon);
    EXPECT_EQ(plain.find("Which way"), std::string::npos);
}

}  // namespace
