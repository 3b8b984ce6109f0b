#ifndef VAULTREACH_ITEMS_ITEM_H
#define VAULTREACH_ITEMS_ITEM_H

// The things the player carries: food (cHealth, cBread) and the gnome companion.
//
// The inventory holds items by owning pointer and acts on them only through the virtual
// operations: Use when the player consumes one, TakeTurn once per move for a companion,
// Display when the item is shown before it is offered. Food heals by its value, up to a
// health of exactly 100.

#include <cstdint>
#include <string>

#include "platform/TextArt.h"

class cCharacter;

class cItem {
  public:
    cItem(std::string name, std::int32_t value, std::int32_t extra);
    virtual ~cItem();
    cItem(const cItem&) = delete;
    cItem& operator=(const cItem&) = delete;

    virtual void Use(cCharacter& target);
    virtual void TakeTurn();
    // Writes the picture's bytes as they are, if there is a picture.
    virtual void Display();

    std::string name;
    std::int32_t value;
    std::int32_t extra;
    cTextArt art;
};

class cHealth : public cItem {
  public:
    cHealth(std::int32_t heal, std::string name);
    void Use(cCharacter& target) override;
};

// The story's loaf: a cHealth in every respect.
class cBread : public cHealth {
  public:
    cBread(std::int32_t heal, std::string name);
};

#endif
