#ifndef VAULTREACH_GAME_INTRO_H
#define VAULTREACH_GAME_INTRO_H

// The title screen and the opening story that start every game: the title music, the version
// line, the banner, then the call, the player's name, the weapon, the castle's plea and one
// Bread. The time to finish is counted from the end of the title screen.
//
// The weapon answer is taken exactly as typed: 's' the Sword (and one point of attack), 'a'
// the Axe, anything else leaves the weapon as it was. Only the one character is read; the rest
// of the line waits for the next prompt.

#include <cstdint>
#include <string>
#include <vector>

class cAudioManager;
class cInventory;
class cPlayer;
class cWeaponManager;

extern const char* const kVersion;
constexpr std::size_t kMaxNameLength = 255;

// The 14 lines of the title box, each 79 characters, without line ends.
std::vector<std::string> BannerLines();

// False when the input ended during the story: the game is over and nothing more is asked.
bool RunIntro(cPlayer& player, cWeaponManager& weapons, cAudioManager& audio, cInventory& inventory,
              std::uint32_t& startTick);

#endif
