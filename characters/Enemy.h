#ifndef VAULTREACH_CHARACTERS_ENEMY_H
#define VAULTREACH_CHARACTERS_ENEMY_H

// The monsters: ten kinds of cEnemy, each fixing its statistics, its weapon (armed kinds build
// and own their own) and its picture file.
//
// The encounter roll: one draw mod 100; below gEncounterChance a monster comes, and a second
// draw mod 10 picks its kind from the bestiary, in table order. Building a monster draws
// nothing. The caller owns the monster it gets.

#include <cstdint>
#include <memory>
#include <string>

#include "characters/Character.h"
#include "platform/TextArt.h"

// Percent chance per step onto an open cell; the gnome saves and restores it.
extern std::int32_t gEncounterChance;
constexpr std::int32_t kStartingEncounterChance = 30;

class cEnemy : public cCharacter {
  public:
    cEnemy(std::int32_t health, std::int32_t attack, std::int32_t defense, std::int32_t initiative,
           std::int32_t naturalDamage, std::string name);
    ~cEnemy() override;

    cTextArt art;

  protected:
    // Armed kinds hand over the weapon they built; the monster owns it from then on.
    void Arm(std::unique_ptr<cWeapon> ownWeapon);
    void LoadPicture(const std::string& fileName);

  private:
    std::unique_ptr<cWeapon> m_ownWeapon;
};

class cSkeleton : public cEnemy {
  public:
    explicit cSkeleton(std::string name);
};
class cOgre : public cEnemy {
  public:
    explicit cOgre(std::string name);
};
class cSnake : public cEnemy {
  public:
    explicit cSnake(std::string name);
};
class cDemon : public cEnemy {
  public:
    explicit cDemon(std::string name);
};
class cVampire : public cEnemy {
  public:
    explicit cVampire(std::string name);
};
class cSloth : public cEnemy {
  public:
    explicit cSloth(std::string name);
};
class cPhoenix : public cEnemy {
  public:
    explicit cPhoenix(std::string name);
};
class cTroll : public cEnemy {
  public:
    explicit cTroll(std::string name);
};
class cRat : public cEnemy {
  public:
    explicit cRat(std::string name);
};
class cJelly : public cEnemy {
  public:
    explicit cJelly(std::string name);
};

// Null when no monster comes.
std::unique_ptr<cEnemy> SpawnEnemy();

#endif
