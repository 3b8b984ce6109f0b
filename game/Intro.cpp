#include "game/Intro.h"

#include <iostream>
#include <memory>
#include <optional>

#include "characters/Character.h"
#include "game/AudioManager.h"
#include "game/Version.h"
#include "items/Inventory.h"
#include "items/Item.h"
#include "platform/Clock.h"
#include "platform/Console.h"
#include "platform/Random.h"
#include "platform/System.h"
#include "text/Answer.h"
#include "text/StoryLine.h"
#include "text/Text.h"
#include "weapons/WeaponManager.h"

const char* const kVersion = VAULTREACH_VERSION;

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
constexpr std::size_t kUtf8Longest = 4;

// The story's told lines; those that name the player are written where they are told.
const cStoryLine kCallOut[] = {
    {"\nYOU!\n", false, 2000},
    {"OVER THERE!", false, 1000},
    {"\nCOME HERE!", false, 2000},
};

const cStoryLine kSiege[] = {
    {"\nEver since that fool Helmsley opened the Tomb, we have fought day and night.", true, 0},
    {"Wave after wave of demons and ogres comes out of the dark,", true, 0},
    {"pounding at the walls of our little castle.", true, 7000},
    {"\nWE ARE RUNNING OUT OF FOOD AND SUPPLIES!", true, 3000},
};

const cStoryLine kNoMap[] = {
    {"\nI wish I could give you a map, but Malvern's minions overran", true, 0},
    {"the passages long ago, and no one who went down has come back to draw one.", true, 5000},
    {"\nHere is what little food we have.", true, 2000},
};

const cStoryLine kSendOff[] = {
    {"\nNow Go!  Bring Help!  SAVE TOVASHAL!", true, 6000},
};

const cStoryLine kCorridor[] = {
    {"\n\nAs you walk down the musty corridor", true, 3000},
    {"the cool dank air blows past you", true, 4000},
    {"and sets a lonely torch flickering,", true, 2000},
    {"its dim light barely showing the path ahead.", true, 3000},
};

void ShowTitleScreen(cAudioManager& audio) {
    audio.PlayMusic("introb");
    std::cout << "Vaultreach v" << kVersion << std::endl;
    std::cout << "A tale of the siege of Tovashal, told in the terminal.";
    Pause(4900);
    for (int i = 0; i < 8; ++i) {
        std::cout << std::endl;
    }
    SetColour(kColourBanner);
    std::string banner;
    for (const std::string& line : BannerLines()) {
        banner += line + "\n";
    }
    banner += std::string(kBannerWidth, ' ') + "\n";
    ShowPicture("Vaultreach", banner);
    std::cout << std::endl;
    Pause(9000);
    SetColour(kColourNormal);
    std::cout << std::endl << "Vaultreach awaits." << std::endl;
    Pause(4000);
}

// One line of at most kMaxNameLength bytes; the rest of an overlong line is dropped so that
// the next prompt reads fresh input. An overlong line is cut after its last whole UTF-8
// character that fits, never inside one. A CRLF line end is dropped whole.
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
        // A few bytes past the limit show whether the cut would split a character.
        if (name.size() < kMaxNameLength + kUtf8Longest - 1) {
            name.push_back(c);
        }
    }
    if (length > kMaxNameLength) {
        name.resize(Utf8Cut(name, kMaxNameLength));
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
    TellStory(kCallOut);

    std::cout << "\nWhat is your name? " << std::flush;
    ShowPrompt(ePrompt::Name, {});
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
    // Taken as typed: "S" is no sword.
    static const std::vector<cChoice> kWeapons{{"(S)word", "s"}, {"(A)xe", "a"}};
    WriteChoices(kWeapons);
    ShowPrompt(ePrompt::Weapon, kWeapons);
    const std::optional<char> choice = ReadAnswer(eAnswerCase::AsTyped, eRestOfLine::Kept);
    if (!choice) {
        return false;
    }
    if (*choice == 's') {
        player.weapon = weapons.GetWeapon("Sword");
        player.attack += 1;
    } else if (*choice == 'a') {
        player.weapon = weapons.GetWeapon("Axe");
    }
    SetColour(kColourWhite);
    std::cout << "\nVery good selection " << ShownText(player.name)
              << ". The choice of the true hero of Tovashal!" << std::endl;
    Pause(3000);

    TellStory(kSiege);
    std::cout << std::endl
              << ShownText(player.name)
              << ", you must make your way through the underground passages." << std::endl
              << "Reach the foothills of Mt. Lore, where help is to be found." << std::endl;
    Pause(5000);
    TellStory(kNoMap);
    inventory.Receive(std::make_unique<cBread>(20, "Bread"));
    Pause(2000);

    SetColour(kColourWhite);
    TellStory(kSendOff);
    SetColour(kColourNormal);
    TellStory(kCorridor);
    return true;
}
