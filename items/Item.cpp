#include "items/Item.h"

#include "characters/Character.h"

namespace {
constexpr std::int32_t kHealthCap = 100;
}

cItem::cItem(std::string name, std::int32_t value, std::int32_t extra)
    : name(std::move(name)), value(value), extra(extra) {}

cItem::~cItem() = default;

void cItem::Use(cCharacter&) {}

void cItem::TakeTurn() {}

void cItem::Display() {
    ShowTextArt(name, art);
}

cHealth::cHealth(std::int32_t heal, std::string name) : cItem(std::move(name), heal, 0) {}

void cHealth::Use(cCharacter& target) {
    const std::int64_t healed = static_cast<std::int64_t>(target.health) + value;
    target.health = healed >= kHealthCap ? kHealthCap : static_cast<std::int32_t>(healed);
}

cBread::cBread(std::int32_t heal, std::string name) : cHealth(heal, std::move(name)) {}
