#include "game/Game.h"

#include <filesystem>
#include <iostream>
#include <list>
#include <memory>

#include "characters/Character.h"
#include "characters/Combat.h"
#include "characters/Enemy.h"
#include "game/AudioManager.h"
#include "game/Intro.h"
#include "items/GnomeOfAntithesis.h"
#include "items/Inventory.h"
#include "platform/Clock.h"
#include "platform/Console.h"
#include "platform/Random.h"
#include "platform/ScreenReaderConsole.h"
#include "platform/System.h"
#include "platform/TextArt.h"
#include "text/Answer.h"
#include "weapons/WeaponManager.h"
#include "world/Dungeon.h"

std::ofstream gLog;

namespace {

const char* const kUsage =
    "Usage: vaultreach [--screen-reader]\n"
    "A text adventure: walk the dungeon of besieged Tovashal to fetch help.\n"
    "Answer each question with one letter and Enter.\n"
    "\n"
    "  --screen-reader  for a player who listens through a screen reader: pictures are\n"
    "                   written as their names and the map in words (the same as\n"
    "                   VAULTREACH_SCREEN_READER=1)\n"
    "  --help           this text\n";

constexpr int kStartingTurnDelay = 2000;
constexpr int kTurnDelayStep = 200;
constexpr int kStartRow = 0;
constexpr int kStartColumn = 1;

// One answer character; 'n' when there is none, which ends play.
char ReadReplayAnswer() {
    ShowPrompt(ePrompt::Replay, YesNoChoices());
    return ReadAnswer(eAnswerCase::Lower, eRestOfLine::Kept).value_or('n');
}

// Everything the main routine owns for the whole run, destroyed in reverse order.
struct cGameObjects {
    std::unique_ptr<cPlayer> player;
    std::unique_ptr<cAudioManager> audio;
    std::unique_ptr<cWeaponManager> weapons;
    std::unique_ptr<cInventory> inventory;
    std::list<cPlotText> plotPages;
    std::unique_ptr<cGnomeOfAntithesis> gnome;  // until the player takes it
};

// The state of the replay loop.
struct cPass {
    bool running = true;
    char replay = 'y';
    int turnDelay = kStartingTurnDelay;
    std::uint32_t startTick = 0;
};

class cGame {
  public:
    explicit cGame(cGameObjects& objects) : m_objects(objects), m_player(*objects.player) {}

    void Play() {
        while (m_pass.replay == 'y') {
            m_pass.running = true;
            // A new game starts alive at the entrance, whatever became of the last one.
            m_player.health = 100;
            m_player.row = kStartRow;
            m_player.column = kStartColumn;
            if (!RunIntro(m_player, *m_objects.weapons, *m_objects.audio, *m_objects.inventory,
                          m_pass.startTick)) {
                m_pass.running = false;
                m_pass.replay = 'n';
            }
            gLog << "Entering Game Loop...";
            m_pass.turnDelay = kStartingTurnDelay;
            while (m_pass.running) {
                PlayTurn();
            }
        }
    }

  private:
    void PlayTurn() {
        SetColour(kColourNormal);
        DescribePassage();
        if (m_pass.turnDelay > 0) {
            Pause(m_pass.turnDelay);
            m_pass.turnDelay -= kTurnDelayStep;
            if (m_pass.turnDelay < 0) {
                m_pass.turnDelay = 0;
            }
        }
        const char answer = AskDirection();
        switch (answer) {
            case 'n':
                EnterCell(MovePlayer(m_player, eDirection::North));
                break;
            case 's':
                EnterCell(MovePlayer(m_player, eDirection::South));
                break;
            case 'e':
                EnterCell(MovePlayer(m_player, eDirection::East));
                break;
            case 'w':
                EnterCell(MovePlayer(m_player, eDirection::West));
                break;
            case 'm':
                ShowMap(m_player.row, m_player.column);
                break;
            case 'i':
                m_objects.inventory->InventoryMenu();
                break;
            case 'c':
                SetColour(kColourRed);
                ShowCondition(m_player);
                m_objects.inventory->ShowInventory();
                break;
            case 'q':
                Quit();
                break;
            default:
                break;
        }
        if (Sys_InputClosed()) {
            Quit();
        }
    }

    void Quit() {
        m_pass.running = false;
        m_pass.replay = 'n';
    }

    int PlayerCell() const { return m_player.row * kDungeonSize + m_player.column; }

    void EnterCell(char code) {
        switch (code) {
            case '#':
                std::cout << std::endl << "There is a wall there." << std::endl;
                break;
            case 'P':
                ShowStoryPage();
                break;
            case 'T':
                OfferGnome();
                break;
            case 'G':
                WinningEnding();
                break;
            case 'O':
                OpenCell();
                break;
            default:
                break;
        }
    }

    void ShowStoryPage() {
        SetColour(kColourWhite);
        if (!m_objects.plotPages.empty()) {
            ShowPlotText(m_objects.plotPages.front());
            m_objects.plotPages.pop_front();
        }
        SetColour(kColourNormal);
        gDungeonGrid[PlayerCell()] = 'O';
    }

    void OfferGnome() {
        if (m_objects.gnome) {
            m_objects.gnome->Display();
        }
        std::cout << "Do you take the Gnome of Antithesis(y/n)? ";
        ShowPrompt(ePrompt::Gnome, YesNoChoices());
        const bool taken = ReadAnswer(eAnswerCase::Lower, eRestOfLine::Kept) == 'y';
        if (taken && m_objects.gnome) {
            m_objects.inventory->AddCompanion(std::move(m_objects.gnome));
            gVisitedGrid[PlayerCell()] = 'O';
        }
        gDungeonGrid[PlayerCell()] = 'O';
    }

    void OpenCell() {
        gVisitedGrid[PlayerCell()] = 'O';
        // By index: a companion's turn never adds or drops companions, but stay safe if it did.
        for (std::size_t i = 0; i < m_objects.inventory->companions.size(); ++i) {
            m_objects.inventory->companions[i]->item->TakeTurn();
        }
        std::unique_ptr<cEnemy> enemy = SpawnEnemy();
        if (!enemy) {
            return;
        }
        RunEncounter(m_player, std::move(enemy), *m_objects.inventory);
        if (m_player.health <= 0) {
            DeathEnding();
        }
    }

    void WinningEnding() {
        const std::int32_t minutes = MinutesBetween(m_pass.startTick, Sys_TickCount());
        SetColour(kColourGreen);
        std::cout << std::endl << "You made it to the end!  You saved Tovashal!" << std::endl;
        std::cout << "It took you " << minutes << " minutes to complete!" << std::endl;
        std::cout << "Do you want to play again?\n"
                  << "?:";
        m_pass.replay = ReadReplayAnswer();
        m_pass.running = false;
    }

    void DeathEnding() {
        SetColour(kColourDarkRed);
        std::cout << std::endl
                  << "You have died, and failed to save Tovashal.\nMalverns Minions overrun the "
                     "castle, slaughtering everybody."
                  << std::endl;
        std::cout << "The End." << std::endl;
        std::cout << "Do you want to play again?" << std::endl;
        std::cout << "?:";
        m_pass.replay = ReadReplayAnswer();
        m_pass.running = false;
        SetColour(kColourNormal);
    }

    cGameObjects& m_objects;
    cPlayer& m_player;
    cPass m_pass;
};

// Closes the log however the main routine leaves, so a test can run it again.
struct cLogCloser {
    ~cLogCloser() {
        if (gLog.is_open()) {
            gLog.close();
        }
    }
};

// The game reads its data from the folder it is started in. Started anywhere else it still
// plays, without weapons or pictures, so a player who ran the binary by hand is told why.
void WarnIfNotInGameFolder() {
    if (Sys_RegularFileSize("Weapons.txt") >= 0) {
        return;
    }
    std::error_code error;
    const std::filesystem::path folder = std::filesystem::current_path(error);
    std::cerr << "vaultreach: no Weapons.txt in " << (error ? std::string(".") : folder.string())
              << ": the game reads its data from the folder it starts in; start it with the "
                 "launcher \"vaultreach\" (or from build/run)"
              << std::endl;
}

}  // namespace

std::int32_t MinutesBetween(std::uint32_t startTick, std::uint32_t endTick) {
    const auto elapsed = static_cast<std::int32_t>(endTick - startTick);
    return elapsed / 1000 / 60;
}

int GameMain(int argc, char* argv[]) {
    bool screenReader = Sys_ScreenReaderRequested();
    for (int i = 1; i < argc; ++i) {
        const std::string option = argv[i];
        if (option == "--screen-reader") {
            screenReader = true;
        } else if (option == "--help" || option == "-h") {
            std::cout << kUsage;
            return 0;
        } else {
            std::cerr << "vaultreach: unknown option " << option << " (see vaultreach --help)"
                      << std::endl;
            return 2;
        }
    }
    cLogCloser logCloser;
    gLog.clear();
    Sys_OpenLogFile(gLog, "log.txt");
    if (!gLog.is_open()) {
        std::cout << "Failed to create log file, aborting." << std::endl;
        return 1;
    }
    gLog << "Vaultreach" << std::endl;
    gLog << __DATE__ << " " << __TIME__ << " v" << kVersion << std::endl;
    gLog << "Intializing Console...";
    if (InitConsole("Vaultreach", screenReader) == nullptr) {
        gLog << "Failed to initialize console.  Shutting down." << std::endl;
        return 1;
    }
    gLog << "Success." << std::endl;

    WarnIfNotInGameFolder();
    gLog << "Creating and initializing game objects...";
    cGameObjects objects;
    objects.player = std::make_unique<cPlayer>("Player");
    objects.audio = std::make_unique<cAudioManager>();
    objects.audio->LoadSounds("sounds.txt");
    objects.weapons = std::make_unique<cWeaponManager>();
    objects.weapons->LoadWeapons("Weapons.txt");
    objects.inventory = std::make_unique<cInventory>(objects.player.get());
    objects.gnome = std::make_unique<cGnomeOfAntithesis>(objects.player.get());
    objects.player->row = kStartRow;
    objects.player->column = kStartColumn;
    gRandom.seed(static_cast<std::uint32_t>(Sys_CalendarSeconds()));
    gLog << "Success." << std::endl;
    gLog << "Starting Game." << std::endl;

    cPlotText firstPage;
    cPlotText secondPage;
    LoadPlotText("Plot Point 1.txt", firstPage);
    LoadPlotText("Plot Point 2.txt", secondPage);
    // A page past its limit is shown empty, like a missing one; only the log tells them apart.
    for (const char* page : {"Plot Point 1.txt", "Plot Point 2.txt"}) {
        if (Sys_RegularFileSize(page) > kMaxPlotTextBytes) {
            gLog << page << " is larger than " << kMaxPlotTextBytes << " bytes and was not read."
                 << std::endl;
        }
    }
    objects.plotPages.push_back(firstPage);
    objects.plotPages.push_back(secondPage);

    cGame game(objects);
    game.Play();

    gLog << "Done." << std::endl;
    gLog << "Saving Player Data." << std::endl;
    // A launcher or a script must be able to tell that the character was not kept.
    const eFileReplace save = objects.player->WriteSave("Player.txt");
    const bool saved = save == eFileReplace::Replaced;
    if (save == eFileReplace::NotDurable) {
        gLog << "Failed to make Player.txt durable: the new save is written but may not survive "
                "a power cut."
             << std::endl;
    } else if (!saved) {
        gLog << "Failed to save Player.txt; the previous save is kept." << std::endl;
    }

    SetColour(kColourWhite);
    std::cout << "\nHope you enjoyed playing Vaultreach." << std::endl;
    std::cout << "\nPress Enter to exit";
    if (!Sys_InputClosed()) {
        ShowPrompt(ePrompt::Exit, {{"Press Enter to exit", ""}});
        DiscardRestOfLine();
    }
    Sys_RestoreConsole();
    std::cout.flush();
    objects.plotPages.clear();
    const int status = saved ? 0 : 1;
    gLog << "Exiting with return code " << status << std::endl;
    gLog << "Thanks for playing." << std::endl;
    return status;
}
