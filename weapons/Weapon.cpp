#include "weapons/Weapon.h"

#include "platform/Random.h"

std::int32_t cWeapon::RollDamage() const {
    const std::uint32_t r = gRandom();
    const std::int64_t width = spread < 1 ? 1 : spread;
    const std::int64_t result = static_cast<std::int64_t>(damage) +
                                static_cast<std::int64_t>(r % static_cast<std::uint32_t>(width)) +
                                1 - width / 2;
    if (result < 0) {
        return 0;
    }
    return result > INT32_MAX ? INT32_MAX : static_cast<std::int32_t>(result);
}
