#include "items/Inventory.h"

#include <iostream>
#include <optional>

#include "characters/Character.h"
#include "items/Loot.h"
#include "platform/Console.h"
#include "platform/Random.h"
#include "platform/System.h"
#include "text/Answer.h"
#include "text/Text.h"

namespace {}  // namespace

cInventory::cInventory(cCharacter* owner) : owner(owner) {}

void cInventory::Receive(std::unique_ptr<cItem> item) {
    const std::string name = item->name;
    bool stacked = false;
    for (auto& stack : items) {
        if (stack->item->name == name) {
            ++stack->count;
            stacked = true;
            break;
        }
    }
    if (!stacked) {
        auto stack = std::make_unique<cItemStack>();
        stack->item = std::move(item);
        items.push_back(std::move(stack));
    }
    SetConsoleTextAttribute(gConsoleOutput, kColourMagenta);
    std::cout << std::endl << "***Received " << name << "!***" << std::endl;
    Pause(1000);
    SetConsoleTextAttribute(gConsoleOutput, kColourNormal);
}

void cInventory::AddCompanion(std::unique_ptr<cItem> item) {
    const std::string name = item->name;
    auto stack = std::make_unique<cItemStack>();
    stack->item = std::move(item);
    companions.push_back(std::move(stack));
    SetConsoleTextAttribute(gConsoleOutput, kColourMagenta);
    std::cout << std::endl
              << "\n***"
              << "Recieved " << name << "!***\n"
              << std::endl;
    SetConsoleTextAttribute(gConsoleOutput, kColourNormal);
}

void cInventory::UseItem(std::size_t index) {
    if (index >= items.size()) {
        return;
    }
    cItemStack& stack = *items[index];
    stack.item->Use(*owner);
    --stack.count;
    std::cout << std::endl
              << "***" << ShownText(owner->name) << " used " << stack.item->name << "!***\n"
              << std::endl;
    if (stack.count == 0) {
        items.erase(items.begin() + static_cast<std::ptrdiff_t>(index));
    }
}

void cInventory::UseMenu() {
    SetConsoleTextAttribute(gConsoleOutput, kColourMagenta);
    if (items.empty()) {
        std::cout << "There are no items in your inventory." << std::endl;
        SetConsoleTextAttribute(gConsoleOutput, kColourNormal);
        return;
    }
    std::cout << "\nPlease select an Item to use: " << std::endl;
    std::vector<cChoice> choices;
    for (std::size_t i = 0; i < items.size(); ++i) {
        choices.push_back({"(" + std::to_string(i) + ")" + items[i]->item->name + " x" +
                               std::to_string(items[i]->count),
                           std::to_string(i)});
        std::cout << choices.back().label << std::endl;
    }
    choices.push_back({"(Q)uit", "q"});
    std::cout << "(Q)uit\n" << std::endl << "?:";
    ShowPrompt(ePrompt::UseItem, choices);
    const std::optional<char> answer = ReadAnswer(eAnswerCase::Lower, eRestOfLine::Kept);
    if (answer && *answer != 'q') {
        // One character is one entry: a digit names it, anything else means the first.
        const std::size_t index =
            (*answer >= '0' && *answer <= '9') ? static_cast<std::size_t>(*answer - '0') : 0;
        UseItem(index);
    }
    SetConsoleTextAttribute(gConsoleOutput, kColourNormal);
}

void cInventory::OfferLoot(cCharacter& enemy, cCharacter& player) {
    DropLoot(enemy, player, *this);
}

void cInventory::InventoryMenu() {
    SetConsoleTextAttribute(gConsoleOutput, kColourMagenta);
    static const std::vector<cChoice> kActions{{"(D)rop", "d"}, {"(U)se", "u"}, {"(Q)uit", "q"}};
    std::cout << "\nWhat do you want to do?\n";
    WriteChoices(kActions);
    ShowPrompt(ePrompt::Inventory, kActions);
    const char answer = ReadAnswer(eAnswerCase::Lower, eRestOfLine::Kept).value_or('q');
    if (answer == 'u') {
        UseMenu();
        return;
    }
    if (answer == 'd') {
        DropMenu();
    }
    SetConsoleTextAttribute(gConsoleOutput, kColourNormal);
}

void cInventory::DropMenu() {
    if (companions.empty()) {
        std::cout << "\nYou have no items to drop." << std::endl;
        return;
    }
    std::cout << "\nWhich item do you want to drop?\n";
    std::vector<cChoice> choices;
    for (std::size_t i = 0; i < companions.size(); ++i) {
        choices.push_back(
            {"(" + std::to_string(i) + ")" + companions[i]->item->name, std::to_string(i)});
        std::cout << choices.back().label << std::endl;
    }
    std::cout << "?:";
    long long index = 0;
    for (;;) {
        ShowPrompt(ePrompt::DropItem, choices);
        const eNumberAnswer answer = ReadNumberAnswer(index);
        if (answer == eNumberAnswer::None) {
            return;
        }
        if (answer == eNumberAnswer::Number) {
            break;
        }
        std::cout << "\nWhich item do you want to drop?\n"
                  << "?:";
    }
    if (index < 0 || static_cast<unsigned long long>(index) >= companions.size()) {
        return;
    }
    const std::size_t position = static_cast<std::size_t>(index);
    std::cout << std::endl
              << "***Dropped " << companions[position]->item->name << "!***" << std::endl;
    companions.erase(companions.begin() + static_cast<std::ptrdiff_t>(position));
}

void cInventory::ShowInventory() {
    SetConsoleTextAttribute(gConsoleOutput, kColourMagenta);
    for (const auto& stack : items) {
        std::cout << stack->item->name << " Qty: " << stack->count << std::endl;
    }
    std::cout << std::endl;
    for (const auto& stack : companions) {
        std::cout << stack->item->name << std::endl;
    }
    SetConsoleTextAttribute(gConsoleOutput, kColourNormal);
}
