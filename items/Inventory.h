#ifndef VAULTREACH_ITEMS_INVENTORY_H
#define VAULTREACH_ITEMS_INVENTORY_H

// What the player carries: food in `items`, stacked by name in order of first arrival, and
// companions in `companions`, one per entry. The inventory owns every entry and its item;
// an entry leaves (and its item is destroyed) when its last unit is used or it is dropped,
// and the entries after it move up one place.
//
// All text is in colour 13 and every operation ends in colour 7. Menus read one character
// (the drop menu a number); an answer that names no entry does nothing, and at the end of
// input every menu ends at once.
//
// A fight reaches the item menu and the loot offer through cCombatItems, which the inventory
// implements: the loot the player takes goes into this inventory.

#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

#include "characters/Combat.h"
#include "items/Item.h"

class cCharacter;

struct cItemStack {
    std::unique_ptr<cItem> item;
    std::uint32_t count = 1;
};

class cInventory : public cCombatItems {
  public:
    explicit cInventory(cCharacter* owner);

    // Stacks food by name; a second item of a known name is destroyed and counted.
    void Receive(std::unique_ptr<cItem> item);
    void AddCompanion(std::unique_ptr<cItem> item);
    // Uses one unit of items[index] on the owner; an index past the end does nothing.
    void UseItem(std::size_t index);
    void UseMenu() override;
    // The food a killed monster may leave, offered to the player (DropLoot).
    void OfferLoot(cCharacter& enemy, cCharacter& player) override;
    void InventoryMenu();
    void ShowInventory();

    std::vector<std::unique_ptr<cItemStack>> items;
    std::vector<std::unique_ptr<cItemStack>> companions;
    cCharacter* owner;  // not owned

  private:
    void DropMenu();
};

#endif
