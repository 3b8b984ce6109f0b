#include "weapons/WeaponManager.h"

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <limits>

#include "platform/Files.h"

namespace {

// A decimal integer as the table means it: optional sign, digits, within 32 bits.
bool ParseInteger(const std::string& text, std::int32_t& value) {
    std::size_t digits = (!text.empty() && (text[0] == '+' || text[0] == '-')) ? 1 : 0;
    if (digits == text.size()) {
        return false;
    }
    for (std::size_t i = digits; i < text.size(); ++i) {
        if (text[i] < '0' || text[i] > '9') {
            return false;
        }
    }
    errno = 0;
    const long long parsed = std::strtoll(text.c_str(), nullptr, 10);
    if (errno == ERANGE || parsed < INT32_MIN || parsed > INT32_MAX) {
        return false;
    }
    value = static_cast<std::int32_t>(parsed);
    return true;
}

}  // namespace

cWeaponManager::cWeaponManager() : m_log("WeaponsLog.txt", std::ios::out | std::ios::trunc) {}

void cWeaponManager::Log(const std::string& line) { m_log << "cWeaponManager: " << line << std::endl; }

bool cWeaponManager::LoadWeapons(std::string name) {
    std::ifstream file;
    if (Sys_RegularFileSize(name) >= 0) {
        file.open(name);
    }
    if (!file.is_open() || !file.good()) {
        Log("Failed to load " + name + ".");
        return false;
    }
    while (file.peek() == '/') {
        file.ignore(std::numeric_limits<std::streamsize>::max(), '\n');
    }
    std::string weaponName;
    while (file >> weaponName) {
        std::string damageText;
        std::string spreadText;
        file >> damageText >> spreadText;
        std::int32_t damage = 0;
        std::int32_t spread = 0;
        std::string problem;
        if (spreadText.empty()) {
            problem = "a field is missing";
        } else if (!ParseInteger(damageText, damage)) {
            problem = "damage \"" + damageText + "\" is not a decimal integer";
        } else if (!ParseInteger(spreadText, spread)) {
            problem = "spread \"" + spreadText + "\" is not a decimal integer";
        } else if (spread < 1) {
            problem = "spread " + spreadText + " is below 1";
        }
        if (!problem.empty()) {
            Log("Skipped weapon record " + weaponName + ": " + problem + ".");
            // The rest of a damaged line is not trusted to start a new record.
            if (!spreadText.empty()) {
                file.ignore(std::numeric_limits<std::streamsize>::max(), '\n');
            }
            continue;
        }
        weapons[weaponName] = std::make_unique<cWeapon>(damage, spread, weaponName);
    }
    return true;
}

cWeapon* cWeaponManager::GetWeapon(std::string name) {
    const auto found = weapons.find(name);
    if (found == weapons.end()) {
        Log("No weapon with name " + name + " exists.");
        return nullptr;
    }
    return found->second.get();
}
