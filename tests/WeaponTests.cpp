// The damage of a blow and the weapon table read from its file.

#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <random>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "platform/Random.h"
#include "support/TestPlatform.h"
#include "weapons/Weapon.h"
#include "weapons/WeaponManager.h"

namespace {

// The damage rule worked out by hand from one draw.
std::int32_t ExpectedDamage(std::int32_t damage, std::int32_t spread, std::uint32_t r) {
    const std::int64_t result = static_cast<std::int64_t>(damage) +
                                static_cast<std::int64_t>(r % static_cast<std::uint32_t>(spread)) +
                                1 - spread / 2;
    return result < 0 ? 0 : static_cast<std::int32_t>(result);
}

std::vector<std::string> Lines(const std::string& text) {
    std::vector<std::string> lines;
    std::istringstream in(text);
    std::string line;
    while (std::getline(in, line)) {
        lines.push_back(line);
    }
    return lines;
}

// The names in the table, in table order.
std::vector<std::string> Names(const cWeaponManager& manager) {
    std::vector<std::string> names;
    for (const auto& entry : manager.weapons) {
        names.push_back(entry.first);
    }
    return names;
}

void ExpectWeapon(cWeaponManager& manager, const std::string& name, std::int32_t damage,
                  std::int32_t spread) {
    const auto found = manager.weapons.find(name);
    ASSERT_NE(found, manager.weapons.end()) << name;
    EXPECT_EQ(found->second->name, name);
    EXPECT_EQ(found->second->damage, damage) << name;
    EXPECT_EQ(found->second->spread, spread) << name;
}

class WeaponDamage : public ::testing::Test {
  protected:
    cSession session;
    std::mt19937 expected{5489u};
};

class WeaponTable : public ::testing::Test {
  protected:
    // Loads text as "Weapons.txt" into a fresh manager.
    bool Load(const std::string& text) {
        directory.Write("Weapons.txt", text);
        return manager.LoadWeapons("Weapons.txt");
    }
    std::string Log() const { return directory.ReadText("WeaponsLog.txt"); }

    cScratchDirectory directory;
    cWeaponManager manager;
};

}  // namespace

TEST_F(WeaponDamage, EveryBlowTakesExactlyOneDrawAndFollowsTheRule) {
    const cWeapon weapons[] = {{10, 2, "Sword"}, {12, 6, "Axe"}, {15, 10, "Pike"}, {7, 1, "Pin"}};
    for (int blow = 0; blow < 200; ++blow) {
        for (const cWeapon& weapon : weapons) {
            const std::uint32_t r = expected();
            ASSERT_EQ(weapon.RollDamage(), ExpectedDamage(weapon.damage, weapon.spread, r))
                << weapon.name << " blow " << blow;
        }
    }
    EXPECT_EQ(gRandom(), expected()) << "the generators drifted apart";
}

TEST_F(WeaponDamage, BlowsCoverExactlyTheBandOfTheWeapon) {
    struct cBand {
        std::int32_t damage, spread, low, high;
    };
    const cBand bands[] = {{4, 4, 3, 6}, {10, 2, 10, 11}, {15, 10, 11, 20}, {9, 1, 10, 10}};
    for (const cBand& band : bands) {
        const cWeapon weapon(band.damage, band.spread, "Test");
        std::set<std::int32_t> seen;
        for (int blow = 0; blow < 500; ++blow) {
            seen.insert(weapon.RollDamage());
        }
        EXPECT_EQ(*seen.begin(), band.low) << band.damage << "/" << band.spread;
        EXPECT_EQ(*seen.rbegin(), band.high) << band.damage << "/" << band.spread;
        EXPECT_EQ(seen.size(), static_cast<std::size_t>(band.high - band.low + 1));
    }
}

TEST_F(WeaponDamage, ANegativeResultIsClampedToZero) {
    // damage 1, spread 10: remainders 0 to 3 give 0, remainders 4 to 9 give 1 to 6.
    const cWeapon weak(1, 10, "Twig");
    std::set<std::uint32_t> remainders;
    for (int blow = 0; blow < 300; ++blow) {
        const std::uint32_t remainder = expected() % 10;
        remainders.insert(remainder);
        const std::int32_t hit = weak.RollDamage();
        if (remainder <= 3) {
            ASSERT_EQ(hit, 0) << "remainder " << remainder;
        } else {
            ASSERT_EQ(hit, static_cast<std::int32_t>(remainder) - 3) << "remainder " << remainder;
        }
    }
    EXPECT_EQ(remainders.size(), 10u);

    // damage 0, spread 4: the raw result -1 (remainder 0) becomes 0.
    const cWeapon blunt(0, 4, "Stick");
    bool sawRemainderZero = false;
    for (int blow = 0; blow < 100; ++blow) {
        const std::uint32_t remainder = expected() % 4;
        const std::int32_t hit = blunt.RollDamage();
        if (remainder == 0) {
            sawRemainderZero = true;
            ASSERT_EQ(hit, 0);
        } else {
            ASSERT_EQ(hit, static_cast<std::int32_t>(remainder) - 1);
        }
    }
    EXPECT_TRUE(sawRemainderZero);
}

TEST_F(WeaponTable, CommentLinesAtTheStartAreSkipped) {
    EXPECT_TRUE(Load("// the weapons\n/ damage spread\nSword 4 4\nAxe 5 2\n"));
    EXPECT_EQ(Names(manager), (std::vector<std::string>{"Axe", "Sword"}));
    ExpectWeapon(manager, "Sword", 4, 4);
    ExpectWeapon(manager, "Axe", 5, 2);
    EXPECT_EQ(Log(), "");
}

TEST_F(WeaponTable, LayoutOfTheFileDoesNotMatter) {
    struct cCase {
        const char* what;
        const char* text;
    };
    const cCase cases[] = {
        {"no final line end", "Sword 4 4\nAxe 5 2"},
        {"trailing blanks and empty lines", "Sword 4 4\nAxe 5 2\n\n   \t\n  "},
        {"carriage-return line ends", "/comment\r\nSword 4 4\r\nAxe 5 2\r\n"},
        {"one record over several lines", "Sword\n4\n  4\nAxe 5\t2\n"},
        {"two records on one line", "Sword 4 4 Axe 5 2"},
        {"explicit plus signs", "Sword +4 +4\nAxe 5 2\n"},
    };
    for (const cCase& c : cases) {
        cScratchDirectory fresh;
        cWeaponManager table;
        fresh.Write("Weapons.txt", c.text);
        EXPECT_TRUE(table.LoadWeapons("Weapons.txt")) << c.what;
        EXPECT_EQ(Names(table), (std::vector<std::string>{"Axe", "Sword"})) << c.what;
        ExpectWeapon(table, "Sword", 4, 4);
        ExpectWeapon(table, "Axe", 5, 2);
        EXPECT_EQ(fresh.ReadText("WeaponsLog.txt"), "") << c.what;
    }
}

TEST_F(WeaponTable, ASlashAfterTheFirstRecordIsPartOfAName) {
    EXPECT_TRUE(Load("/header\nSword 4 4\n/Axe 5 2\n"));
    EXPECT_EQ(Names(manager), (std::vector<std::string>{"/Axe", "Sword"}));
}

TEST_F(WeaponTable, AFileOfCommentsOnlyOrNothingLoadsAnEmptyTable) {
    EXPECT_TRUE(Load("// nothing here yet\n"));
    EXPECT_TRUE(manager.weapons.empty());
    EXPECT_TRUE(Load(""));
    EXPECT_TRUE(manager.weapons.empty());
    EXPECT_EQ(Log(), "");
}

TEST_F(WeaponTable, ALaterRecordOfTheSameNameReplacesTheEarlierOne) {
    EXPECT_TRUE(Load("Sword 4 4\nAxe 5 2\nSword 9 3\n"));
    EXPECT_EQ(manager.weapons.size(), 2u);
    ExpectWeapon(manager, "Sword", 9, 3);
    EXPECT_EQ(Log(), "");
}

TEST_F(WeaponTable, WeaponsHandedOutStayValidWhenTheTableIsLoadedAgain) {
    EXPECT_TRUE(Load("Sword 4 4\n"));
    const cWeapon* held = manager.GetWeapon("Sword");
    ASSERT_NE(held, nullptr);
    EXPECT_TRUE(Load("Sword 9 3\n"));
    EXPECT_EQ(manager.GetWeapon("Sword"), held);
    EXPECT_EQ(held->damage, 9);
    EXPECT_EQ(held->spread, 3);
}

TEST_F(WeaponTable, LookupIsCaseSensitiveAndEveryMissIsLogged) {
    EXPECT_TRUE(Load("Sword 4 4\nAxe 5 2\n"));
    cWeapon* sword = manager.GetWeapon("Sword");
    ASSERT_NE(sword, nullptr);
    EXPECT_EQ(sword->name, "Sword");
    EXPECT_EQ(Log(), "");

    cSession session;
    EXPECT_EQ(manager.GetWeapon("sword"), nullptr);
    EXPECT_EQ(Log(), "cWeaponManager: No weapon with name sword exists.\n");
    EXPECT_EQ(manager.GetWeapon("Bow"), nullptr);
    EXPECT_EQ(Log(),
              "cWeaponManager: No weapon with name sword exists.\n"
              "cWeaponManager: No weapon with name Bow exists.\n");
    EXPECT_EQ(session.Output(), "") << "misses are never shown on the console";
}

TEST_F(WeaponTable, AMissingFileLeavesTheTableEmptyAndIsLogged) {
    EXPECT_FALSE(manager.LoadWeapons("Weapons.txt"));
    EXPECT_TRUE(manager.weapons.empty());
    EXPECT_EQ(manager.GetWeapon("Sword"), nullptr);
    EXPECT_EQ(Log(),
              "cWeaponManager: Failed to load Weapons.txt.\n"
              "cWeaponManager: No weapon with name Sword exists.\n");
}

TEST_F(WeaponTable, AFailedLoadKeepsWhatTheTableHeld) {
    EXPECT_TRUE(Load("Sword 4 4\n"));
    EXPECT_TRUE(directory.Exists("Weapons.txt"));
    directory.Remove("Weapons.txt");
    EXPECT_FALSE(manager.LoadWeapons("Weapons.txt"));
    ExpectWeapon(manager, "Sword", 4, 4);
}

TEST_F(WeaponTable, ADirectoryIsNotAWeaponFile) {
    ASSERT_TRUE(std::filesystem::create_directory(directory.path() + "/Arsenal"));
    EXPECT_FALSE(manager.LoadWeapons("Arsenal"));
    EXPECT_EQ(Log(), "cWeaponManager: Failed to load Arsenal.\n");
}

TEST_F(WeaponTable, TheLogStartsEmptyForEveryManager) {
    directory.Write("WeaponsLog.txt", "old news\n");
    cWeaponManager fresh;
    EXPECT_EQ(Log(), "");
}

TEST_F(WeaponTable, ABadRecordIsSkippedWithOneLogLineAndCostsNothingElse) {
    struct cCase {
        const char* what;
        const char* bad;  // a record named Bad, between two good ones
    };
    const cCase cases[] = {
        {"spread zero", "Bad 4 0"},
        {"negative spread", "Bad 4 -2"},
        {"damage with a fraction", "Bad 4.5 2"},
        {"spread with a fraction", "Bad 4 2.5"},
        {"damage in words", "Bad four 2"},
        {"spread in words", "Bad 4 x"},
        {"digits followed by letters", "Bad 4 2x"},
        {"a sign alone", "Bad - 2"},
        {"damage beyond 32 bits", "Bad 99999999999 2"},
        {"spread beyond 32 bits", "Bad 4 4294967297"},
        {"spread missing", "Bad 4"},
        {"both numbers missing", "Bad"},
    };
    for (const cCase& c : cases) {
        cScratchDirectory fresh;
        cWeaponManager table;
        fresh.Write("Weapons.txt", std::string("Sword 4 4\n") + c.bad + "\nAxe 5 2\n");
        EXPECT_TRUE(table.LoadWeapons("Weapons.txt")) << c.what;
        EXPECT_EQ(Names(table), (std::vector<std::string>{"Axe", "Sword"})) << c.what;
        ExpectWeapon(table, "Sword", 4, 4);
        ExpectWeapon(table, "Axe", 5, 2);
        const std::vector<std::string> log = Lines(fresh.ReadText("WeaponsLog.txt"));
        ASSERT_EQ(log.size(), 1u) << c.what;
        EXPECT_EQ(log[0].rfind("cWeaponManager: ", 0), 0u) << log[0];
        EXPECT_NE(log[0].find("Bad"), std::string::npos) << log[0];
    }
}

TEST_F(WeaponTable, ABadLastRecordWithoutALineEndIsSkipped) {
    const char* endings[] = {"Bad 4", "Bad", "Bad 4 0", "Bad 4 x"};
    for (const char* ending : endings) {
        cScratchDirectory fresh;
        cWeaponManager table;
        fresh.Write("Weapons.txt", std::string("Sword 4 4\n") + ending);
        EXPECT_TRUE(table.LoadWeapons("Weapons.txt")) << ending;
        EXPECT_EQ(Names(table), (std::vector<std::string>{"Sword"})) << ending;
        const std::vector<std::string> log = Lines(fresh.ReadText("WeaponsLog.txt"));
        ASSERT_EQ(log.size(), 1u) << ending;
        EXPECT_EQ(log[0].rfind("cWeaponManager: ", 0), 0u) << log[0];
        EXPECT_NE(log[0].find("Bad"), std::string::npos) << log[0];
    }
}

TEST_F(WeaponTable, ExtraFieldsAfterARecordCostOnlyThemselves) {
    EXPECT_TRUE(Load("Sword 4 4 Spare\nAxe 5 2\n"));
    EXPECT_EQ(Names(manager), (std::vector<std::string>{"Axe", "Sword"}));
    ExpectWeapon(manager, "Axe", 5, 2);
    const std::vector<std::string> log = Lines(Log());
    ASSERT_EQ(log.size(), 1u);
    EXPECT_NE(log[0].find("Spare"), std::string::npos) << log[0];
}

TEST_F(WeaponTable, SeveralBadRecordsGetOneLineEach) {
    EXPECT_TRUE(Load("First 1 0\nSword 4 4\nSecond x 1\nThird 2\nAxe 5 2\nFourth"));
    EXPECT_EQ(Names(manager), (std::vector<std::string>{"Axe", "Sword"}));
    const std::vector<std::string> log = Lines(Log());
    ASSERT_EQ(log.size(), 4u);
    const char* named[] = {"First", "Second", "Third", "Fourth"};
    for (std::size_t i = 0; i < 4; ++i) {
        EXPECT_NE(log[i].find(named[i]), std::string::npos) << log[i];
    }
}

TEST_F(WeaponTable, GarbageNeverHangsTheLoad) {
    // Odd bytes, a very long field and no line end at all: each ends with a loaded table.
    const std::string texts[] = {
        std::string("\0\0\0", 3),
        std::string(100000, 'x'),
        "/only a comment without a line end",
        "1 2 3 4 5 6 7 8 9 10 11",
        std::string("Sword 4 4\n") + std::string(5000, '\n'),
    };
    for (const std::string& text : texts) {
        cScratchDirectory fresh;
        cWeaponManager table;
        fresh.Write("Weapons.txt", text);
        EXPECT_TRUE(table.LoadWeapons("Weapons.txt"));
        for (const auto& entry : table.weapons) {
            EXPECT_GE(entry.second->spread, 1);
        }
    }
}

TEST_F(WeaponTable, TheShippedWeaponFileHoldsTheTwoWeaponsOfTheStory) {
    directory.CopyGameData();
    EXPECT_TRUE(manager.LoadWeapons("Weapons.txt"));
    EXPECT_NE(manager.GetWeapon("Sword"), nullptr);
    EXPECT_NE(manager.GetWeapon("Axe"), nullptr);
    EXPECT_EQ(Log(), "");
}
