#ifndef VAULTREACH_CHARACTERS_CHARACTER_H
#define VAULTREACH_CHARACTERS_CHARACTER_H

// The statistics record of the player and of every monster, and its save file.
//
// Fields are public: combat, items, the gnome and the game loop read and assign them directly.
// A character never owns the weapon it points to (the player's points into the weapon table);
// a monster takes ownership of its own (cEnemy).
//
// A blow does the weapon's damage (cWeapon::RollDamage, one draw) or, unarmed, exactly
// naturalDamage with no draw.
//
// The save file has nine lines: health, attack, defense, initiative, luck, the name, the
// weapon's name (kNoWeaponName when unarmed), naturalDamage, and "row column". Save replaces
// the file atomically, so a failed save leaves the previous one whole; it prints "Failed to
// open " and the name when the file may not be replaced (a read-only save stays as it is) or
// cannot be created, and "Failed to write " and the name when writing it failed or may not last
// (WriteSave tells which). Load reads
// the name and weapon lines whole (blanks and empty names survive), accepts CRLF line ends,
// and changes nothing unless the whole file reads and the position lies on the grid.

#include <cstdint>
#include <string>

#include "platform/System.h"
#include "weapons/Weapon.h"

// Rows and columns of the dungeon's grid, on which every position lies.
constexpr std::int32_t kGridSize = 10;

// What the save file and the condition display say for a character without a weapon.
constexpr const char* kNoWeaponName = "None";

class cCharacter {
  public:
    explicit cCharacter(std::string name);
    cCharacter(std::int32_t health, std::int32_t attack, std::int32_t defense,
               std::int32_t initiative, std::int32_t naturalDamage, std::string name);
    virtual ~cCharacter();

    virtual bool Save(std::string fileName);
    virtual bool Load(std::string fileName);
    // Save, telling how the file was left when it failed.
    eFileReplace WriteSave(const std::string& fileName);

    std::int32_t GetDamage();

    std::int32_t health;
    std::int32_t attack;
    std::int32_t defense;
    std::int32_t initiative;
    std::int32_t luck;
    std::string name;
    cWeapon* weapon;  // not owned here
    std::int32_t naturalDamage;
    std::int32_t row;
    std::int32_t column;
};

class cPlayer : public cCharacter {
  public:
    explicit cPlayer(std::string name);
};

// The "(C)ondition" display: name, health, weapon with a freshly rolled damage, attack,
// defense, luck, initiative. Sets no colour.
void ShowCondition(cCharacter& character);

#endif
