#include "characters/Character.h"

#include <fstream>
#include <iostream>
#include <sstream>
#include <vector>

#include "platform/Files.h"

namespace {

constexpr std::int32_t kStartingPlayerLuck = 25;
constexpr std::size_t kSaveFileLines = 9;
// A save file is nine short lines; anything far larger is not one of ours.
constexpr std::int64_t kMaxSaveFileBytes = 1024 * 1024;

// Whole decimal integer with optional sign, nothing else on the line (blanks around allowed).
bool ReadNumber(const std::string& line, std::int32_t& value) {
    std::istringstream in(line);
    long long parsed = 0;
    if (!(in >> parsed) || parsed < INT32_MIN || parsed > INT32_MAX) {
        return false;
    }
    in >> std::ws;
    value = static_cast<std::int32_t>(parsed);
    return in.eof();
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
    if (!Sys_ReplaceFile(fileName, out.str())) {
        std::cout << "Failed to open " << fileName << std::endl;
        return false;
    }
    return true;
}

bool cCharacter::Load(std::string fileName) {
    std::ifstream file;
    const std::int64_t size = Sys_RegularFileSize(fileName);
    if (size >= 0 && size <= kMaxSaveFileBytes) {
        file.open(fileName, std::ios::binary);
    }
    if (!file.is_open() || !file.good()) {
        std::cout << "Failed to load " << fileName << std::endl;
        return false;
    }
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
    cCharacter loaded(*this);
    std::istringstream position(lines[8]);
    long long row = 0;
    long long column = 0;
    const bool numbersRead =
        ReadNumber(lines[0], loaded.health) && ReadNumber(lines[1], loaded.attack) &&
        ReadNumber(lines[2], loaded.defense) && ReadNumber(lines[3], loaded.initiative) &&
        ReadNumber(lines[4], loaded.luck) && ReadNumber(lines[7], loaded.naturalDamage) &&
        (position >> row >> column);
    if (!numbersRead || row < INT32_MIN || row > INT32_MAX || column < INT32_MIN ||
        column > INT32_MAX || !(position >> std::ws).eof()) {
        return false;
    }
    health = loaded.health;
    attack = loaded.attack;
    defense = loaded.defense;
    initiative = loaded.initiative;
    luck = loaded.luck;
    name = lines[5];
    naturalDamage = loaded.naturalDamage;
    this->row = static_cast<std::int32_t>(row);
    this->column = static_cast<std::int32_t>(column);
    return true;
}

cPlayer::cPlayer(std::string name) : cCharacter(std::move(name)) {
    luck = kStartingPlayerLuck;
}

void ShowCondition(cCharacter& character) {
    std::cout << std::endl;
    std::cout << character.name << std::endl << std::endl;
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
