#ifndef VAULTREACH_WEAPONS_WEAPONMANAGER_H
#define VAULTREACH_WEAPONS_WEAPONMANAGER_H

// The weapon table, read from a file of whitespace-separated records: name, damage, spread.
// Lines at the very start that begin with '/' are comments. A later record with the same name
// replaces the earlier one; names are case-sensitive.
//
// A record is stored only when its damage and spread are decimal integers and spread is at
// least 1; anything else is skipped with one line in "WeaponsLog.txt" that begins
// "cWeaponManager: " and names the record. A bad number costs the rest of its line; a record
// that runs short ends where a word opens a later line in place of a number, and that word
// starts the next record. So a bad record costs only itself, and loading always ends. A log
// line quotes at most the start of a bad field. A file larger than a megabyte is not read
// (false, one log line), and reading stops after 10,000 records (one log line).
//
// The manager owns its weapons; pointers from GetWeapon stay valid while it lives, even when
// the table is loaded again (a reloaded weapon is updated in place). Misses are logged, never
// shown.

#include <fstream>
#include <map>
#include <memory>
#include <string>

#include "weapons/Weapon.h"

class cWeaponManager {
  public:
    cWeaponManager();
    cWeaponManager(const cWeaponManager&) = delete;
    cWeaponManager& operator=(const cWeaponManager&) = delete;

    // False, with a log line, when the file cannot be opened.
    bool LoadWeapons(std::string name);
    // Null, with a log line, when there is no weapon of that name.
    cWeapon* GetWeapon(std::string name);

    std::map<std::string, std::unique_ptr<cWeapon>> weapons;

  private:
    void Log(const std::string& line);

    std::ofstream m_log;
};

#endif
