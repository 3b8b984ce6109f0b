#include "items/Loot.h"

#include <cstdint>
#include <iostream>
#include <memory>

#include "characters/Character.h"
#include "items/Inventory.h"
#include "items/Item.h"
#include "platform/Console.h"
#include "platform/Random.h"
#include "text/Answer.h"

void DropLoot(cCharacter& enemy, cCharacter& player, cInventory& inventory) {
    const std::uint32_t r = gRandom();
    const std::int64_t roll = static_cast<std::int64_t>(r % 100) + 1;
    const std::int64_t luck = player.luck;
    if (roll > luck) {
        return;
    }
    const std::int64_t margin = luck - roll;
    std::unique_ptr<cItem> food;
    const char* opening = "\nThe ";
    if (margin <= 4) {
        food = std::make_unique<cHealth>(100, "Bacon");
        opening = "\n\nThe ";
    } else if (margin <= 9) {
        food = std::make_unique<cHealth>(50, "Meat");
    } else if (margin <= 19) {
        food = std::make_unique<cHealth>(20, "Bread");
    } else {
        return;
    }

    SetConsoleTextAttribute(gConsoleOutput, kColourMagenta);
    std::cout << opening << enemy.name << " dropped some " << food->name << "." << std::endl;
    std::cout << "Do you take the " << food->name << "(y/n)?" << std::endl << "?:";
    ShowPrompt(ePrompt::Loot, YesNoChoices());
    if (ReadAnswer(eAnswerCase::Lower, eRestOfLine::Kept) == 'y') {
        inventory.Receive(std::move(food));
        return;
    }
    SetConsoleTextAttribute(gConsoleOutput, kColourNormal);
}
