#include "game/Intro.h"

#include <iostream>
#include <limits>
#include <memory>

#include "characters/Character.h"
#include "items/Inventory.h"
#include "items/Item.h"
#include "platform/AudioManager.h"
#include "platform/Clock.h"
#include "platform/Console.h"
#include "platform/Random.h"
#include "platform/StandardStreams.h"
#include "weapons/WeaponManager.h"

const char* const kVersion = "1.2";

namespace {

const char* const kBanner[] = {
    "           _________________________________________________________           ",
    "          |                                                         |          ",
    "          |  ##   ##    ###    ##   ##  ##       #######            |          ",
    "          |  ##   ##   ## ##   ##   ##  ##         ###              |          ",
    "          |   ## ##   ##   ##  ##   ##  ##         ###              |          ",
    "          |    ###    #######  ##   ##  ##         ###              |          ",
    "          |     #     ##   ##   #####   #######    ###              |          ",
    "          |                                                         |          ",
    "          |  ######   #######    ###     ######  ##   ##            |          ",
    "          |  ##   ##  ##        ## ##   ##       ##   ##            |          ",
    "          |  ######   #####    ##   ##  ##       #######            |          ",
    "          |  ##  ##   ##       #######  ##       ##   ##            |          ",
    "          |  ##   ##  #######  ##   ##   ######  ##   ##            |          ",
    "          |_________________________________________________________|          ",
};

constexpr int kBannerWidth = 79;

void SetColour(tAttribute attribute) {
    SetConsoleTextAttribute(gConsoleOutput, attribute);
}

void ShowTitleScreen(cAudioManager& audio) {
    audio.PlayMusic("introb");
    std::cout << "Vaultreach v" << kVersion << std::endl;
    std::cout << "A tale of the siege of Tovashal, told in the terminal.";
    Pause(4900);
    for (int i = 0; i < 8; ++i) {
        std::cout << std::endl;
    }
    SetColour(kColourBanner);
    for (const std::string& line : BannerLines()) {
        std::cout << line << "\n";
    }
    std::cout << std::string(kBannerWidth, ' ') << std::endl << std::endl;
    Pause(9000);
    SetColour(kColourNormal);
    std::cout << std::endl << "Vaultreach awaits." << std::endl;
    Pause(4000);
}

// One line of at most kMaxNameLength characters; the rest of an overlong line is dropped so
// that the next prompt reads fresh input. A CRLF line end is dropped whole.
std::string ReadName() {
    std::string name;
    std::size_t length = 0;  // of the whole line, however much of it is kept
    std::streambuf* in = std::cin.rdbuf();
    std::cin.clear(std::cin.rdstate() & ~std::ios::failbit);
    for (;;) {
        const auto next = in->sbumpc();
        if (next == std::char_traits<char>::eof()) {
            std::cin.setstate(std::ios::eofbit);
            break;
        }
        const char c = std::char_traits<char>::to_char_type(next);
        if (c == '\n') {
            // A line written on Windows ends in CRLF; the carriage return is part of the end.
            if (length <= kMaxNameLength && !name.empty() && name.back() == '\r') {
                name.pop_back();
            }
            break;
        }
        ++length;
        if (name.size() < kMaxNameLength) {
            name.push_back(c);
        }
    }
    return name;
}

}  // namespace

std::vector<std::string> BannerLines() {
    return std::vector<std::string>(std::begin(kBanner), std::end(kBanner));
}

bool RunIntro(cPlayer& player, cWeaponManager& weapons, cAudioManager& audio, cInventory& inventory,
              std::uint32_t& startTick) {
    ShowTitleScreen(audio);
    startTick = Sys_TickCount();

    SetColour(kColourWhite);
    std::cout << "\nYOU!\n";
    Pause(2000);
    std::cout << "OVER THERE!";
    Pause(1000);
    std::cout << "\nCOME HERE!";
    Pause(2000);

    std::cout << "\nWhat is your name? " << std::flush;
    player.name = ReadName();
    if (Sys_InputClosed()) {
        return false;
    }
    std::cout << std::endl
              << "There is evil afoot " << ShownText(player.name)
              << ".  The castle Tovashal is being" << std::endl;
    std::cout << "besieged by the harbingers of the dark lord Malvern." << std::endl << std::endl;
    Pause(5000);

    std::cout << "You will need a weapon.\n";
    SetColour(kColourGreen);
    std::cout << "(S)word" << std::endl << "(A)xe" << std::endl << "?:";
    char choice = 0;
    if (!(std::cin >> choice)) {
        return false;
    }
    if (choice == 's') {
        player.weapon = weapons.GetWeapon("Sword");
        player.attack += 1;
    } else if (choice == 'a') {
        player.weapon = weapons.GetWeapon("Axe");
    }
    SetColour(kColourWhite);
    std::cout << "\nVery good selection " << ShownText(player.name)
              << ". The choice of the true hero of Tovashal!" << std::endl;
    Pause(3000);

    std::cout << std::endl
              << "Ever since that fool Helmsley opened the Tomb, we have fought day and night."
              << std::endl
              << "Wave after wave of demons and ogres comes out of the dark," << std::endl
              << "pounding at the walls of our little castle." << std::endl;
    Pause(7000);
    std::cout << "\nWE ARE RUNNING OUT OF FOOD AND SUPPLIES!" << std::endl;
    Pause(3000);
    std::cout << std::endl
              << ShownText(player.name)
              << ", you must make your way through the underground passages." << std::endl
              << "Reach the foothills of Mt. Lore, where help is to be found." << std::endl;
    Pause(5000);
    std::cout << std::endl
              << "I wish I could give you a map, but Malvern's minions overran" << std::endl
              << "the passages long ago, and no one who went down has come back to draw one."
              << std::endl;
    Pause(5000);
    std::cout << std::endl << "Here is what little food we have." << std::endl;
    Pause(2000);
    inventory.Receive(std::make_unique<cBread>(20, "Bread"));
    Pause(2000);

    SetColour(kColourWhite);
    std::cout << std::endl << "Now Go!  Bring Help!  SAVE TOVASHAL!" << std::endl;
    Pause(6000);
    SetColour(kColourNormal);
    std::cout << std::endl << std::endl;
    std::cout << "As you walk down the musty corridor" << std::endl;
    Pause(3000);
    std::cout << "the cool dank air blows past you" << std::endl;
    Pause(4000);
    std::cout << "and sets a lonely torch flickering," << std::endl;
    Pause(2000);
    std::cout << "its dim light barely showing the path ahead." << std::endl;
    Pause(3000);
    return true;
}
