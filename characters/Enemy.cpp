#include "characters/Enemy.h"

#include "platform/Random.h"

std::int32_t gEncounterChance = kStartingEncounterChance;

cEnemy::cEnemy(std::int32_t health, std::int32_t attack, std::int32_t defense,
               std::int32_t initiative, std::int32_t naturalDamage, std::string name)
    : cCharacter(health, attack, defense, initiative, naturalDamage, std::move(name)) {}

cEnemy::~cEnemy() = default;

void cEnemy::Arm(std::unique_ptr<cWeapon> ownWeapon) {
    m_ownWeapon = std::move(ownWeapon);
    weapon = m_ownWeapon.get();
}

void cEnemy::LoadPicture(const std::string& fileName) {
    LoadTextArt(fileName, art);
}

cSkeleton::cSkeleton(std::string name) : cEnemy(40, 9, 4, 2, 0, std::move(name)) {
    Arm(std::make_unique<cWeapon>(10, 2, "Sword"));
    LoadPicture("Skeleton.txt");
}

cOgre::cOgre(std::string name) : cEnemy(50, 10, 8, 5, 0, std::move(name)) {
    Arm(std::make_unique<cWeapon>(15, 10, "Axe"));
    LoadPicture("Ogre.txt.");
}

cSnake::cSnake(std::string name) : cEnemy(20, 3, 2, 2, 10, std::move(name)) {
    LoadPicture("snake.txt");
}

cDemon::cDemon(std::string name) : cEnemy(50, 9, 9, 5, 18, std::move(name)) {
    LoadPicture("demon.txt");
}

cVampire::cVampire(std::string name) : cEnemy(50, 8, 7, 4, 15, std::move(name)) {
    LoadPicture("bat.txt");
}

cSloth::cSloth(std::string name) : cEnemy(30, 7, 5, 2, 10, std::move(name)) {
    LoadPicture("sloth.txt");
}

cPhoenix::cPhoenix(std::string name) : cEnemy(40, 10, 8, 5, 10, std::move(name)) {
    LoadPicture("phoenix.txt");
}

cTroll::cTroll(std::string name) : cEnemy(30, 6, 5, 4, 0, std::move(name)) {
    Arm(std::make_unique<cWeapon>(10, 2, "Sword"));
    LoadPicture("troll.txt");
}

cRat::cRat(std::string name) : cEnemy(20, 1, 1, 2, 5, std::move(name)) {
    LoadPicture("rat.txt");
}

cJelly::cJelly(std::string name) : cEnemy(20, 6, 2, 4, 5, std::move(name)) {
    LoadPicture("jelly.txt");
}

std::unique_ptr<cEnemy> SpawnEnemy() {
    const std::uint32_t encounterDraw = gRandom();
    if (static_cast<std::int64_t>(encounterDraw % 100) >= gEncounterChance) {
        return nullptr;
    }
    const std::uint32_t kindDraw = gRandom();
    switch (kindDraw % 10) {
        case 0:
            return std::make_unique<cSkeleton>("Skeleton");
        case 1:
            return std::make_unique<cOgre>("Ogre");
        case 2:
            return std::make_unique<cSnake>("Snake");
        case 3:
            return std::make_unique<cDemon>("Demon");
        case 4:
            return std::make_unique<cVampire>("Vampire");
        case 5:
            return std::make_unique<cSloth>("Sloth");
        case 6:
            return std::make_unique<cPhoenix>("Phoenix");
        case 7:
            return std::make_unique<cTroll>("Troll");
        case 8:
            return std::make_unique<cRat>("Rat");
        default:
            return std::make_unique<cJelly>("Jelly");
    }
}
