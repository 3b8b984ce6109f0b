// The character record: its blows, its condition display and its save file.

#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <random>
#include <set>
#include <string>
#include <vector>

#include "characters/Character.h"
#include "platform/Random.h"
#include "support/TestPlatform.h"
#include "weapons/Weapon.h"
#include "weapons/WeaponManager.h"

namespace {

// Every field that Save and Load deal with, for comparing characters as a whole.
struct cSnapshot {
    std::int32_t health, attack, defense, initiative, luck;
    std::string name;
    cWeapon* weapon;
    std::int32_t naturalDamage, row, column;

    explicit cSnapshot(const cCharacter& c)
        : health(c.health),
          attack(c.attack),
          defense(c.defense),
          initiative(c.initiative),
          luck(c.luck),
          name(c.name),
          weapon(c.weapon),
          naturalDamage(c.naturalDamage),
          row(c.row),
          column(c.column) {}

    bool operator==(const cSnapshot& o) const {
        return health == o.health && attack == o.attack && defense == o.defense &&
               initiative == o.initiative && luck == o.luck && name == o.name &&
               weapon == o.weapon && naturalDamage == o.naturalDamage && row == o.row &&
               column == o.column;
    }
};

std::ostream& operator<<(std::ostream& out, const cSnapshot& s) {
    return out << s.health << "," << s.attack << "," << s.defense << "," << s.initiative << ","
               << s.luck << ",\"" << s.name << "\"," << s.weapon << "," << s.naturalDamage << ","
               << s.row << " " << s.column;
}

// The player of the save-file example: Ann with the sword, 57 health, at row 9, column 7.
void MakeAnn(cCharacter& ann, cWeapon* sword) {
    ann.name = "Ann";
    ann.health = 57;
    ann.attack = 10;
    ann.weapon = sword;
    ann.row = 9;
    ann.column = 7;
}

// A character whose every field differs from the defaults, to see what Load leaves alone.
void MakeStranger(cCharacter& c, cWeapon* weapon) {
    c.health = 3;
    c.attack = 4;
    c.defense = 5;
    c.initiative = 6;
    c.luck = 7;
    c.name = "Stranger";
    c.weapon = weapon;
    c.naturalDamage = 8;
    c.row = 1;
    c.column = 2;
}

std::vector<std::string> DirectoryEntries(const std::string& path) {
    std::vector<std::string> names;
    std::error_code error;
    for (const auto& entry : std::filesystem::directory_iterator(path, error)) {
        names.push_back(entry.path().filename().string());
    }
    std::sort(names.begin(), names.end());
    return names;
}

const char* const kAnnSave = "57\n10\n8\n6\n25\nAnn\nSword\n0\n9 7\n";

class CharacterModel : public ::testing::Test {
  protected:
    cSession session;
    std::mt19937 expected{5489u};
    cWeapon sword{10, 2, "Sword"};
};

class SaveFile : public ::testing::Test {
  protected:
    cScratchDirectory directory;
    cSession session;
    cWeapon sword{10, 2, "Sword"};
    cWeapon axe{12, 6, "Axe"};
};

}  // namespace

TEST_F(CharacterModel, NewCharactersStartWithTheGameStatistics) {
    const cPlayer player("Player");
    EXPECT_EQ(player.health, 100);
    EXPECT_EQ(player.attack, 10);
    EXPECT_EQ(player.defense, 8);
    EXPECT_EQ(player.initiative, 6);
    EXPECT_EQ(player.luck, 25);
    EXPECT_EQ(player.name, "Player");
    EXPECT_EQ(player.weapon, nullptr);
    EXPECT_EQ(player.naturalDamage, 0);
    EXPECT_EQ(player.row, 0);
    EXPECT_EQ(player.column, 0);

    const cCharacter monster(12, 4, 3, 2, 5, "Rat");
    EXPECT_EQ(monster.health, 12);
    EXPECT_EQ(monster.attack, 4);
    EXPECT_EQ(monster.defense, 3);
    EXPECT_EQ(monster.initiative, 2);
    EXPECT_EQ(monster.naturalDamage, 5);
    EXPECT_EQ(monster.name, "Rat");
    EXPECT_EQ(monster.luck, 30);
    EXPECT_EQ(monster.weapon, nullptr);
    EXPECT_EQ(monster.row, 0);
    EXPECT_EQ(monster.column, 0);
}

TEST_F(CharacterModel, AnUnarmedBlowDealsNaturalDamageWithoutADraw) {
    cCharacter fist(20, 3, 3, 3, 7, "Brawler");
    for (int blow = 0; blow < 5; ++blow) {
        EXPECT_EQ(fist.GetDamage(), 7);
    }
    fist.naturalDamage = -2;
    EXPECT_EQ(fist.GetDamage(), -2) << "natural damage is dealt as it is";
    EXPECT_EQ(gRandom(), expected()) << "an unarmed blow must not draw";
}

TEST_F(CharacterModel, AnArmedBlowDrawsOnceAndFollowsTheWeapon) {
    cPlayer player("Player");
    player.naturalDamage = 99;
    player.weapon = &sword;
    std::set<std::int32_t> seen;
    for (int blow = 0; blow < 100; ++blow) {
        const std::uint32_t r = expected();
        const std::int32_t hit = player.GetDamage();
        ASSERT_EQ(hit, static_cast<std::int32_t>(10 + r % 2 + 1 - 1));
        seen.insert(hit);
    }
    EXPECT_EQ(seen, (std::set<std::int32_t>{10, 11}));
    cWeapon weak(1, 10, "Twig");
    player.weapon = &weak;
    for (int blow = 0; blow < 100; ++blow) {
        const std::int64_t raw = 1 + static_cast<std::int64_t>(expected() % 10) + 1 - 5;
        ASSERT_EQ(player.GetDamage(), raw < 0 ? 0 : raw);
    }
    EXPECT_EQ(gRandom(), expected());
}

TEST_F(CharacterModel, ConditionDisplayShowsEveryStatisticAndAFreshDamage) {
    cPlayer ann("Ann");
    ann.weapon = &sword;
    ann.health = 57;
    ann.luck = 0;
    ann.initiative = -1;
    for (int display = 0; display < 4; ++display) {
        const std::uint32_t r = expected();
        ShowCondition(ann);
        EXPECT_EQ(session.Take(),
                  "\nAnn\n\n"
                  "Health:     57\n"
                  "Weapon:     Sword Damage: " +
                      std::to_string(10 + r % 2) +
                      "\n"
                      "Attack:     10\n"
                      "Defense:    8\n"
                      "Luck:       0\n"
                      "Initiative: -1\n"
                      "\n");
    }
    EXPECT_EQ(gRandom(), expected()) << "one draw per display";
}

TEST_F(CharacterModel, ConditionDisplayOfAnUnarmedCharacterNamesNoWeaponAndDrawsNothing) {
    cPlayer player("Player");
    ShowCondition(player);
    EXPECT_EQ(session.Take(),
              "\nPlayer\n\n"
              "Health:     100\n"
              "Weapon:     None Damage: 0\n"
              "Attack:     10\n"
              "Defense:    8\n"
              "Luck:       25\n"
              "Initiative: 6\n"
              "\n");
    EXPECT_EQ(gRandom(), expected());
}

TEST_F(CharacterModel, DestroyingAPlayerLeavesItsWeaponInTheTable) {
    cScratchDirectory directory;
    directory.Write("Weapons.txt", "Sword 10 2\n");
    cWeaponManager weapons;
    ASSERT_TRUE(weapons.LoadWeapons("Weapons.txt"));
    {
        auto player = std::make_unique<cPlayer>("Player");
        player->weapon = weapons.GetWeapon("Sword");
        ASSERT_NE(player->weapon, nullptr);
        std::unique_ptr<cCharacter> asBase = std::move(player);
    }
    cWeapon* sword = weapons.GetWeapon("Sword");
    ASSERT_NE(sword, nullptr);
    EXPECT_EQ(sword->name, "Sword");
    EXPECT_EQ(sword->damage, 10);
    EXPECT_EQ(sword->spread, 2);
}

TEST_F(SaveFile, WritesTheNineLinesOfTheExample) {
    cPlayer ann("Player");
    MakeAnn(ann, &sword);
    EXPECT_TRUE(ann.Save("Player.txt"));
    EXPECT_EQ(directory.ReadText("Player.txt"), kAnnSave);
    EXPECT_EQ(session.Output(), "");
    EXPECT_EQ(DirectoryEntries(directory.path()), (std::vector<std::string>{"Player.txt"}))
        << "nothing is left beside the save";
}

TEST_F(SaveFile, AnUnarmedCharacterIsSavedWithNoneForItsWeapon) {
    cPlayer player("Player");
    player.health = -4;
    player.row = -1;
    EXPECT_TRUE(player.Save("Player.txt"));
    EXPECT_EQ(directory.ReadText("Player.txt"), "-4\n10\n8\n6\n25\nPlayer\nNone\n0\n-1 0\n");
}

TEST_F(SaveFile, SavingAgainLeavesOnlyTheSecondCharacter) {
    cPlayer first("Player");
    first.name = "A much longer name than the second one has";
    first.weapon = &axe;
    EXPECT_TRUE(first.Save("Player.txt"));
    cPlayer ann("Player");
    MakeAnn(ann, &sword);
    EXPECT_TRUE(ann.Save("Player.txt"));
    EXPECT_EQ(directory.ReadText("Player.txt"), kAnnSave);
}

TEST_F(SaveFile, AFileThatCannotBeCreatedIsReported) {
    cPlayer player("Player");
    EXPECT_FALSE(player.Save("missing/Player.txt"));
    EXPECT_EQ(session.Output(), "Failed to open missing/Player.txt\n");
    EXPECT_TRUE(DirectoryEntries(directory.path()).empty());
}

TEST_F(SaveFile, LoadReadsBackWhatWasSavedButKeepsItsOwnWeapon) {
    cPlayer ann("Player");
    MakeAnn(ann, &sword);
    ann.naturalDamage = 4;
    ASSERT_TRUE(ann.Save("Player.txt"));

    cCharacter loaded("Fresh");
    MakeStranger(loaded, &axe);
    EXPECT_TRUE(loaded.Load("Player.txt"));
    cSnapshot expectedState(ann);
    expectedState.weapon = &axe;
    EXPECT_EQ(cSnapshot(loaded), expectedState);

    cCharacter unarmed("Fresh");
    EXPECT_TRUE(unarmed.Load("Player.txt"));
    EXPECT_EQ(unarmed.weapon, nullptr);
    EXPECT_EQ(session.Output(), "");
}

TEST_F(SaveFile, NamesAndNumbersSurviveTheRoundTrip) {
    const std::string names[] = {
        "Player", "Sir Ann of Tovashal", "", "  padded  ", "tab\tin name", "Ä ß 名前", "12",
    };
    for (const std::string& name : names) {
        cPlayer saved("Player");
        saved.name = name;
        saved.health = INT32_MIN;
        saved.attack = INT32_MAX;
        saved.luck = 0;
        saved.naturalDamage = -3;
        saved.row = 4;
        saved.column = 9;
        saved.weapon = &axe;
        ASSERT_TRUE(saved.Save("Player.txt")) << name;
        cCharacter loaded("Fresh");
        MakeStranger(loaded, nullptr);
        EXPECT_TRUE(loaded.Load("Player.txt")) << name;
        cSnapshot expectedState(saved);
        expectedState.weapon = nullptr;
        EXPECT_EQ(cSnapshot(loaded), expectedState) << "name \"" << name << "\"";
    }
}

TEST_F(SaveFile, LoadAcceptsWindowsLineEndsAndAMissingFinalLineEnd) {
    const char* files[] = {
        "57\r\n10\r\n8\r\n6\r\n25\r\nAnn\r\nSword\r\n0\r\n9 7\r\n",
        "57\n10\n8\n6\n25\nAnn\nSword\n0\n9 7",
        "57\r\n10\r\n8\r\n6\r\n25\r\nAnn\r\nSword\r\n0\r\n9 7",
        " 57 \n10\n8\n6\n+25\nAnn\nSword\n0\n 9\t7 \n",
    };
    for (const char* file : files) {
        directory.Write("Player.txt", file);
        cCharacter loaded("Fresh");
        MakeStranger(loaded, nullptr);
        EXPECT_TRUE(loaded.Load("Player.txt")) << file;
        cPlayer ann("Player");
        MakeAnn(ann, nullptr);
        EXPECT_EQ(cSnapshot(loaded), cSnapshot(ann)) << file;
    }
}

TEST_F(SaveFile, ABrokenFileLeavesTheCharacterWhollyUnchanged) {
    struct cCase {
        const char* what;
        const char* text;
    };
    const cCase cases[] = {
        {"empty", ""},
        {"only five numbers", "57\n10\n8\n6\n25\n"},
        {"eight lines", "57\n10\n8\n6\n25\nAnn\nSword\n0\n"},
        {"column missing", "57\n10\n8\n6\n25\nAnn\nSword\n0\n9\n"},
        {"text for health", "lots\n10\n8\n6\n25\nAnn\nSword\n0\n9 7\n"},
        {"text for defense", "57\n10\neight\n6\n25\nAnn\nSword\n0\n9 7\n"},
        {"digits then text", "57\n10\n8\n6\n25x\nAnn\nSword\n0\n9 7\n"},
        {"fraction", "57\n10\n8.5\n6\n25\nAnn\nSword\n0\n9 7\n"},
        {"text for natural damage", "57\n10\n8\n6\n25\nAnn\nSword\nnone\n9 7\n"},
        {"text for column", "57\n10\n8\n6\n25\nAnn\nSword\n0\n9 x\n"},
        {"three numbers for the position", "57\n10\n8\n6\n25\nAnn\nSword\n0\n9 7 5\n"},
        {"beyond 32 bits", "57\n10\n8\n6\n4294967296\nAnn\nSword\n0\n9 7\n"},
        {"the old single-word layout", "57 10 8 6 25 Ann Sword 0 9 7\n"},
        {"row off the grid", "57\n10\n8\n6\n25\nAnn\nSword\n0\n-2147483648 7\n"},
        {"column off the grid", "57\n10\n8\n6\n25\nAnn\nSword\n0\n9 10\n"},
        {"row past the grid", "57\n10\n8\n6\n25\nAnn\nSword\n0\n10 0\n"},
        {"column before the grid", "57\n10\n8\n6\n25\nAnn\nSword\n0\n0 -1\n"},
    };
    for (const cCase& c : cases) {
        directory.Write("Player.txt", c.text);
        cCharacter loaded("Fresh");
        MakeStranger(loaded, &sword);
        const cSnapshot before(loaded);
        EXPECT_FALSE(loaded.Load("Player.txt")) << c.what;
        EXPECT_EQ(cSnapshot(loaded), before) << c.what;
    }
}

TEST_F(SaveFile, AMissingFileIsReportedAndChangesNothing) {
    cCharacter loaded("Fresh");
    MakeStranger(loaded, &sword);
    const cSnapshot before(loaded);
    EXPECT_FALSE(loaded.Load("Player.txt"));
    EXPECT_EQ(session.Take(), "Failed to load Player.txt\n");
    EXPECT_EQ(cSnapshot(loaded), before);

    ASSERT_TRUE(std::filesystem::create_directory(directory.path() + "/Saves"));
    EXPECT_FALSE(loaded.Load("Saves"));
    EXPECT_EQ(session.Take(), "Failed to load Saves\n");
    EXPECT_EQ(cSnapshot(loaded), before);
}
