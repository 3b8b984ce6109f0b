// The ten monster kinds and the encounter roll.

#include <gtest/gtest.h>

#include <cstdint>
#include <functional>
#include <memory>
#include <random>
#include <string>

#include "characters/Enemy.h"
#include "platform/Random.h"
#include "support/TestPlatform.h"

namespace {

struct cKind {
    const char* name;
    const char* picture;  // as the file is named on disk
    std::function<std::unique_ptr<cEnemy>()> make;
    std::function<bool(const cEnemy&)> isKind;
    int health, attack, defense, initiative, naturalDamage;
    const char* weapon;  // null: unarmed
    int damage, spread;
};

template <typename tKind>
cKind Kind(const char* name, const char* picture, int health, int attack, int defense,
           int initiative, int naturalDamage, const char* weapon = nullptr, int damage = 0,
           int spread = 0) {
    return cKind{name,
                 picture,
                 [name] { return std::make_unique<tKind>(name); },
                 [](const cEnemy& enemy) { return dynamic_cast<const tKind*>(&enemy) != nullptr; },
                 health,
                 attack,
                 defense,
                 initiative,
                 naturalDamage,
                 weapon,
                 damage,
                 spread};
}

// In the order of the encounter roll.
const cKind kKinds[] = {
    Kind<cSkeleton>("Skeleton", "Skeleton.txt", 40, 9, 4, 2, 0, "Sword", 10, 2),
    Kind<cOgre>("Ogre", "Ogre.txt", 50, 10, 8, 5, 0, "Axe", 15, 10),
    Kind<cSnake>("Snake", "snake.txt", 20, 3, 2, 2, 10),
    Kind<cDemon>("Demon", "demon.txt", 50, 9, 9, 5, 18),
    Kind<cVampire>("Vampire", "bat.txt", 50, 8, 7, 4, 15),
    Kind<cSloth>("Sloth", "sloth.txt", 30, 7, 5, 2, 10),
    Kind<cPhoenix>("Phoenix", "phoenix.txt", 40, 10, 8, 5, 10),
    Kind<cTroll>("Troll", "troll.txt", 30, 6, 5, 4, 0, "Sword", 10, 2),
    Kind<cRat>("Rat", "rat.txt", 20, 1, 1, 2, 5),
    Kind<cJelly>("Jelly", "jelly.txt", 20, 6, 2, 4, 5),
};

// Each picture holds its own file name, so a picture read from the wrong file shows.
std::string PictureOf(const cKind& kind) {
    return std::string("<") + kind.picture + ">\r\n";
}

class EnemyTest : public ::testing::Test {
  protected:
    EnemyTest() {
        for (const cKind& kind : kKinds) {
            directory.Write(kind.picture, PictureOf(kind));
        }
    }

    // The generator must stand `draws` draws after `seed`.
    static void ExpectDrawsSince(std::uint32_t seed, int draws) {
        std::mt19937 replay(seed);
        replay.discard(static_cast<unsigned long long>(draws));
        EXPECT_EQ(gRandom(), replay());
    }

    cScratchDirectory directory;
    cSession session;
};

class EnemyKindTest : public EnemyTest, public ::testing::WithParamInterface<int> {};

TEST_P(EnemyKindTest, KindHasItsStatisticsWeaponAndPicture) {
    const cKind& kind = kKinds[GetParam()];

    const std::unique_ptr<cEnemy> enemy = kind.make();

    EXPECT_EQ(enemy->name, kind.name);
    EXPECT_EQ(enemy->health, kind.health);
    EXPECT_EQ(enemy->attack, kind.attack);
    EXPECT_EQ(enemy->defense, kind.defense);
    EXPECT_EQ(enemy->initiative, kind.initiative);
    EXPECT_EQ(enemy->naturalDamage, kind.naturalDamage);
    EXPECT_EQ(enemy->luck, 30);
    EXPECT_EQ(enemy->row, 0);
    EXPECT_EQ(enemy->column, 0);
    if (kind.weapon == nullptr) {
        EXPECT_EQ(enemy->weapon, nullptr);
        EXPECT_EQ(enemy->GetDamage(), kind.naturalDamage);
    } else {
        ASSERT_NE(enemy->weapon, nullptr);
        EXPECT_EQ(enemy->weapon->name, kind.weapon);
        EXPECT_EQ(enemy->weapon->damage, kind.damage);
        EXPECT_EQ(enemy->weapon->spread, kind.spread);
    }
    ASSERT_NE(enemy->art.data, nullptr);
    EXPECT_EQ(std::string(enemy->art.data.get(), enemy->art.length), PictureOf(kind));
    EXPECT_EQ(session.Take(), "");
}

TEST_P(EnemyKindTest, BuildingAMonsterDrawsNothing) {
    kKinds[GetParam()].make();
    ExpectDrawsSince(5489u, 0);
}

TEST_P(EnemyKindTest, EncounterRollPicksTheKindByTheSecondDraw) {
    const int index = GetParam();
    std::uint32_t seed = 1;
    for (;; ++seed) {
        std::mt19937 engine(seed);
        const std::uint32_t encounter = engine();
        const std::uint32_t kind = engine();
        if (encounter % 100 < 30 && kind % 10 == static_cast<std::uint32_t>(index)) {
            break;
        }
    }
    gRandom.seed(seed);

    const std::unique_ptr<cEnemy> enemy = SpawnEnemy();

    ASSERT_NE(enemy, nullptr);
    EXPECT_TRUE(kKinds[index].isKind(*enemy));
    EXPECT_EQ(enemy->name, kKinds[index].name);
    ExpectDrawsSince(seed, 2);
}

INSTANTIATE_TEST_SUITE_P(EnemyAllTen, EnemyKindTest, ::testing::Range(0, 10),
                         [](const ::testing::TestParamInfo<int>& info) {
                             return std::string(kKinds[info.param].name);
                         });

TEST_F(EnemyTest, ArmedMonstersEachCarryTheirOwnWeapon) {
    cSkeleton first("Skeleton");
    cSkeleton second("Skeleton");
    cTroll troll("Troll");
    EXPECT_NE(first.weapon, second.weapon);
    EXPECT_NE(first.weapon, troll.weapon);
}

// ---------------------------------------------------------------------------------------------
// The encounter roll's boundaries.

// The first seed whose first draw leaves this remainder modulo 100.
std::uint32_t SeedForRemainder(std::uint32_t remainder) {
    for (std::uint32_t seed = 1;; ++seed) {
        std::mt19937 engine(seed);
        if (engine() % 100 == remainder) {
            return seed;
        }
    }
}

TEST_F(EnemyTest, NoChanceMeansOneDrawAndNoMonsterEvenOnTheLowestRemainder) {
    gEncounterChance = 0;
    const std::uint32_t seed = SeedForRemainder(0);
    gRandom.seed(seed);

    EXPECT_EQ(SpawnEnemy(), nullptr);
    ExpectDrawsSince(seed, 1);
}

TEST_F(EnemyTest, RemainderEqualToTheChanceBringsNoMonsterAndOneBelowDoes) {
    for (const std::int32_t chance : {30, 57, 1}) {
        gEncounterChance = chance;
        const std::uint32_t equal = SeedForRemainder(static_cast<std::uint32_t>(chance));
        gRandom.seed(equal);
        EXPECT_EQ(SpawnEnemy(), nullptr) << "chance " << chance;
        ExpectDrawsSince(equal, 1);

        const std::uint32_t below = SeedForRemainder(static_cast<std::uint32_t>(chance - 1));
        gRandom.seed(below);
        EXPECT_NE(SpawnEnemy(), nullptr) << "chance " << chance;
        ExpectDrawsSince(below, 2);
    }
}

TEST_F(EnemyTest, FullChanceBringsAMonsterOnEveryStep) {
    for (const std::int32_t chance : {100, 250}) {
        gEncounterChance = chance;
        gRandom.seed(5489u);
        for (int step = 0; step < 300; ++step) {
            EXPECT_NE(SpawnEnemy(), nullptr) << "step " << step;
        }
        ExpectDrawsSince(5489u, 600);
    }
}

TEST_F(EnemyTest, NegativeChanceBringsNoMonster) {
    gEncounterChance = -5;
    gRandom.seed(SeedForRemainder(0));
    EXPECT_EQ(SpawnEnemy(), nullptr);
}

// ---------------------------------------------------------------------------------------------
// Pictures.

TEST_F(EnemyTest, MissingRatPictureIsReportedAndTheRatStillFights) {
    directory.Remove("rat.txt");

    cRat rat("Rat");

    EXPECT_EQ(session.Take(), "File rat.txt is not valid.\n");
    EXPECT_EQ(rat.art.data, nullptr);
    EXPECT_EQ(rat.art.length, 0);
    EXPECT_EQ(rat.health, 20);
    EXPECT_EQ(rat.GetDamage(), 5);
}

TEST_F(EnemyTest, OgrePictureNameWithItsTrailingDotOpensOgreTxt) {
    cOgre ogre("Ogre");
    ASSERT_NE(ogre.art.data, nullptr);
    EXPECT_EQ(std::string(ogre.art.data.get(), ogre.art.length), "<Ogre.txt>\r\n");

    directory.Remove("Ogre.txt");
    session.Take();
    cOgre bare("Ogre");
    EXPECT_EQ(session.Take(), "File Ogre.txt. is not valid.\n");
    EXPECT_EQ(bare.art.data, nullptr);
}

// Only where the system's file names are (Windows matches them in any case).
TEST_F(EnemyTest, PictureNamesAreCaseSensitive) {
    directory.Remove("Skeleton.txt");
    directory.Write("skeleton.txt", "lower case\n");
    cSkeleton skeleton("Skeleton");
    EXPECT_EQ(session.Take(),
              VAULTREACH_CASE_BLIND_NAMES ? "" : "File Skeleton.txt is not valid.\n");
}

}  // namespace
