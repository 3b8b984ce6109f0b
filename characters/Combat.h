#ifndef VAULTREACH_CHARACTERS_COMBAT_H
#define VAULTREACH_CHARACTERS_COMBAT_H

// The fight with one monster.
//
// Each turn shows the monster, both sides' health and the choice of attack, run or inventory.
// Every choice leads to one exchange of blows (a run only when it fails):
//
//   Initiative  the player rolls RollDice(initiative) (nothing when stalled: an item use or a
//               failed run), then the monster rolls RollDice(initiative). The player strikes
//               first only on a strictly higher total; ties and stalls go to the monster.
//   First blow  RollDice(attacker's attack), then RollDice(defender's defense); it lands when
//               attack + 2 > defense - 2.
//   Second blow the same two rolls; it lands only when attack > defense.
//   A landed blow draws GetDamage once and takes it from the defender's health; a landed blow
//   of 0 reads like a parry. A kill ends the exchange at once: the dead do not answer.
//   Running     RollDice(player's defense), then RollDice(monster's attack); the player gets
//               away only on a strictly higher total.
//
// The window shakes before the message of every monster blow that does damage, except a first
// blow that kills. Each action lowers gPauseJitter by 20 (never below 1), so the text speeds
// up as the fight goes on; it is 250 again once the player survives the encounter.

#include <cstdint>
#include <memory>

class cCharacter;
class cEnemy;

// What a fight needs from the player's belongings, which are built on top of the characters:
// the item menu of the inventory choice, and the offer of whatever a killed monster left.
class cCombatItems {
  public:
    virtual ~cCombatItems() = default;
    virtual void UseMenu() = 0;
    virtual void OfferLoot(cCharacter& enemy, cCharacter& player) = 0;
};

// Returns when the monster is dead (after the loot), fled from, the player is dead, or the
// input has ended. The monster is destroyed before it returns.
void RunEncounter(cCharacter& player, std::unique_ptr<cEnemy> enemy, cCombatItems& items);

// The fight prompt; the answer lower-cased, 0 when input has ended.
char CombatMenu();

// True when the monster was killed.
bool ExchangeBlows(cCharacter& enemy, cCharacter& player, bool stalled);

std::int32_t FirstStrike(cCharacter& attacker, cCharacter& defender);
std::int32_t SecondStrike(cCharacter& attacker, cCharacter& defender);

#endif
