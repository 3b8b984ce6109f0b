#ifndef VAULTREACH_ITEMS_LOOT_H
#define VAULTREACH_ITEMS_LOOT_H

// Food left by a killed monster.
//
// One draw d = (r mod 100) + 1 against the player's luck L: nothing if d > L; otherwise by
// m = L - d, Bacon (heals 100) for 0 to 4, Meat (50) for 5 to 9, Bread (20) for 10 to 19,
// nothing from 20 on. The player is asked whether to take it; refused food is thrown away.

class cCharacter;
class cInventory;

void DropLoot(cCharacter& enemy, cCharacter& player, cInventory& inventory);

#endif
