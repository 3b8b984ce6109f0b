// The files the game writes, as the system it runs on expects them: the save and the logs end
// their lines as the system's text files do (CR LF on Windows, LF elsewhere) and the save loads
// back either way; file names match in any case where the system's names do (Windows).

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "characters/Character.h"
#include "platform/TextArt.h"
#include "support/TestPlatform.h"
#include "weapons/Weapon.h"

namespace {

const std::string kLineEnd = VAULTREACH_CRLF_TEXT ? "\r\n" : "\n";
constexpr bool kCaseBlindNames = VAULTREACH_CASE_BLIND_NAMES != 0;

std::string WithLineEnds(const std::string& text) {
    std::string out;
    for (const char c : text) {
        if (c == '\n') {
            out += kLineEnd;
        } else {
            out += c;
        }
    }
    return out;
}

void MakeAnn(cCharacter& ann, cWeapon* sword) {
    ann.name = "Ann";
    ann.health = 57;
    ann.attack = 10;
    ann.weapon = sword;
    ann.row = 9;
    ann.column = 7;
}

void ExpectSameRecord(const cCharacter& loaded, const cCharacter& saved) {
    EXPECT_EQ(loaded.health, saved.health);
    EXPECT_EQ(loaded.attack, saved.attack);
    EXPECT_EQ(loaded.defense, saved.defense);
    EXPECT_EQ(loaded.initiative, saved.initiative);
    EXPECT_EQ(loaded.luck, saved.luck);
    EXPECT_EQ(loaded.name, saved.name);
    EXPECT_EQ(loaded.naturalDamage, saved.naturalDamage);
    EXPECT_EQ(loaded.row, saved.row);
    EXPECT_EQ(loaded.column, saved.column);
}

}  // namespace

TEST(TextFiles, TheSaveEndsItsLinesAsTheSystemDoesAndLoadsBack) {
    cScratchDirectory directory;
    cSession session;
    cWeapon sword{10, 2, "Sword"};
    cPlayer ann("Player");
    MakeAnn(ann, &sword);
    ASSERT_TRUE(ann.Save("Player.txt"));
    EXPECT_EQ(directory.Read("Player.txt"), WithLineEnds("57\n10\n8\n6\n25\nAnn\nSword\n0\n9 7\n"));

    // Saving again replaces the file whole, where rename alone could not (Windows).
    ann.health = 12;
    ASSERT_TRUE(ann.Save("Player.txt"));
    cCharacter loaded("Fresh");
    ASSERT_TRUE(loaded.Load("Player.txt"));
    ExpectSameRecord(loaded, ann);
    EXPECT_EQ(session.Output(), "");
}

TEST(TextFiles, TheLogsEndTheirLinesAsTheSystemDoes) {
    cGameOptions options;
    options.input = "Ann\ns\nq\n\n";
    const cGameResult game = RunGame(options);
    EXPECT_EQ(game.status, 0);
    const std::string log = game.directory->Read("log.txt");
    EXPECT_EQ(log.rfind(WithLineEnds("Exiting with return code 0\nThanks for playing.\n")),
              log.size() - WithLineEnds("Exiting with return code 0\nThanks for playing.\n").size())
        << log;
    std::size_t lineEnds = 0;
    for (std::size_t at = log.find(kLineEnd); at != std::string::npos;
         at = log.find(kLineEnd, at + kLineEnd.size())) {
        ++lineEnds;
    }
    EXPECT_EQ(lineEnds, 9u) << log;
}

TEST(TextFiles, NamesMatchInAnyCaseOnlyWhereTheSystemsNamesDo) {
    cScratchDirectory directory;
    cSession session;
    directory.Write("Ogre.txt", "grr");
    cTextArt art;
    EXPECT_EQ(LoadTextArt("OGRE.TXT", art), kCaseBlindNames);

    cPlayer player("Player");
    ASSERT_TRUE(player.Save("Player.txt"));
    ASSERT_TRUE(player.Save("PLAYER.TXT"));
    EXPECT_EQ(directory.Exists("player.txt"), kCaseBlindNames);
}

// The save of a real game (tests/windows/smoke.sh names it): the game's own loader reads it.
TEST(RealSave, LoadsBack) {
    const char* path = std::getenv("VAULTREACH_SAVE_TO_LOAD");
    if (path == nullptr) {
        GTEST_SKIP() << "VAULTREACH_SAVE_TO_LOAD names no save";
    }
    cSession session;
    cCharacter loaded("Fresh");
    loaded.health = -1;
    ASSERT_TRUE(loaded.Load(path)) << session.Output();
    EXPECT_EQ(loaded.name, "Ann");
    EXPECT_EQ(loaded.health, 100);
    EXPECT_EQ(loaded.row, 0);
    EXPECT_EQ(loaded.column, 1);
}
