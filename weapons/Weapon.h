#ifndef VAULTREACH_WEAPONS_WEAPON_H
#define VAULTREACH_WEAPONS_WEAPON_H

// One weapon, and the damage of one blow with it.
//
// A blow takes one draw r from gRandom and does damage + (r mod spread) + 1 - spread / 2,
// never less than 0: damage 10 with spread 2 hits for 10 or 11, spread 1 always for damage + 1.
// spread is at least 1; the weapon table refuses any other record.

#include <cstdint>
#include <string>

class cWeapon {
  public:
    cWeapon(std::int32_t damage, std::int32_t spread, std::string name)
        : damage(damage), spread(spread), name(std::move(name)) {}

    // Draws once from gRandom.
    std::int32_t RollDamage() const;

    std::int32_t damage;
    std::int32_t spread;
    std::string name;
};

#endif
