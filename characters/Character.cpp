#include "characters/Character.h"

#include <iostream>
#include <sstream>
#include <vector>

#include "platform/Console.h"
#include "platform/System.h"
#include "text/Text.h"

namespace {

constexpr std::int32_t kStartingPlayerLuck = 25;
constexpr std::size_t kSaveFileLines = 9;
// A save file is nine short lines; anything far larger is not one of ours.
constexpr std::int64_t kMaxSaveFileBytes = 1024 * 1024;

// Decimal integers separated by blanks, exactly `count` of them on the line.
bool ReadNumbers(const std::string& line, std::int32_t* values, std::size_t count) {
    std::istringstream fields(line);
    std::string field;
    std::size_t read = 0;
    while (fields >> field) {
        if (read == count || !ParseDecimalInteger(field, values[read])) {
            return false;
        }
        ++read;
    }
    return read == count;
}

bool OnTheGrid(std::int32_t coordinate) {
    return coordinate >= 0 && coordinate < kGridSize;
}

}  // namespace

cCharacter::cCharacter(std::string name) : cCharacter(100, 10, 8, 6, 0, std::move(name)) {}

cCharacter::cCharacter(std::int32_t health, std::int32_t attack, std::int32_t defense,
                       std::int32_t initiative, std::int32_t naturalDamage, std::string name)
    : health(health),
      attack(attack),
      defense(defense),
      initiative(initiative),
      luck(30),
      name(std::move(name)),
      weapon(nullptr),
      naturalDamage(naturalDamage),
      row(0),
      column(0) {}

cCharacter::~cCharacter() = default;

std::int32_t cCharacter::GetDamage() {
    if (weapon == nullptr) {
        return naturalDamage;
    }
    return weapon->RollDamage();
}

bool cCharacter::Save(std::string fileName) {
    return WriteSave(fileName) == eFileReplace::Replaced;
}

eFileReplace cCharacter::WriteSave(const std::string& fileName) {
    std::ostringstream out;
    out << health << '\n'
        << attack << '\n'
        << defense << '\n'
        << initiative << '\n'
        << luck << '\n'
        << name << '\n'
        << (weapon != nullptr ? weapon->name : std::string(kNoWeaponName)) << '\n'
        << naturalDamage << '\n'
        << row << ' ' << column << '\n';
    const eFileReplace result = Sys_ReplaceFile(fileName, out.str());
    switch (result) {
        case eFileReplace::Replaced:
            break;
        case eFileReplace::NotOpened:
            std::cout << "Failed to open " << fileName << std::endl;
            break;
        default:
            std::cout << "Failed to write " << fileName << std::endl;
            break;
    }
    return result;
}

bool cCharacter::Load(std::string fileName) {
    std::string text;
    if (Sys_ReadFile(fileName, kMaxSaveFileBytes, text) != eFileRead::Read) {
        std::cout << "Failed to load " << fileName << std::endl;
        return false;
    }
    std::istringstream file(text);
    std::vector<std::string> lines;
    std::string line;
    while (lines.size() < kSaveFileLines && std::getline(file, line)) {
        if (!line.empty() && line.back() == '\r') {
            line.pop_back();
        }
        lines.push_back(line);
    }
    if (lines.size() < kSaveFileLines) {
        return false;
    }
    std::int32_t statistics[5] = {};
    std::int32_t position[2] = {};
    std::int32_t loadedNaturalDamage = 0;
    for (std::size_t i = 0; i < 5; ++i) {
        if (!ReadNumbers(lines[i], &statistics[i], 1)) {
            return false;
        }
    }
    // The map indexes the grid by the position, so a position off the grid is damage too.
    if (!ReadNumbers(lines[7], &loadedNaturalDamage, 1) || !ReadNumbers(lines[8], position, 2) ||
        !OnTheGrid(position[0]) || !OnTheGrid(position[1])) {
        return false;
    }
    health = statistics[0];
    attack = statistics[1];
    defense = statistics[2];
    initiative = statistics[3];
    luck = statistics[4];
    name = lines[5];
    naturalDamage = loadedNaturalDamage;
    row = position[0];
    column = position[1];
    return true;
}

cPlayer::cPlayer(std::string name) : cCharacter(std::move(name)) {
    luck = kStartingPlayerLuck;
}

void ShowCondition(cCharacter& character) {
    std::cout << std::endl;
    std::cout << ShownText(character.name) << std::endl << std::endl;
    std::cout << "Health:     " << character.health << std::endl;
    if (character.weapon != nullptr) {
        const std::int32_t damage = character.weapon->RollDamage();
        std::cout << "Weapon:     " << character.weapon->name << " Damage: " << damage << std::endl;
    } else {
        std::cout << "Weapon:     " << kNoWeaponName << " Damage: " << character.naturalDamage
                  << std::endl;
    }
    std::cout << "Attack:     " << character.attack << std::endl;
    std::cout << "Defense:    " << character.defense << std::endl;
    std::cout << "Luck:       " << character.luck << std::endl;
    std::cout << "Initiative: " << character.initiative << std::endl;
    std::cout << std::endl;
}
