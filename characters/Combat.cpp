#include "characters/Combat.h"

#include <iostream>

#include "characters/Character.h"
#include "characters/Enemy.h"
#include "platform/Console.h"
#include "platform/Random.h"
#include "platform/System.h"
#include "text/Answer.h"
#include "text/Text.h"

namespace {

constexpr int kJitterStep = 20;

// Lands the blow if it got through: one damage draw, taken from the defender's health.
std::int32_t Land(cCharacter& attacker, cCharacter& defender, bool landed) {
    if (!landed) {
        return 0;
    }
    const std::int32_t damage = attacker.GetDamage();
    defender.health -= damage;
    return damage;
}

void SpeedUpText() {
    gPauseJitter -= kJitterStep;
    if (gPauseJitter <= 0) {
        gPauseJitter = 1;
    }
}

bool PlayerStrikesFirst(cCharacter& enemy, cCharacter& player, bool stalled) {
    int playerTotal = 0;
    if (stalled) {
        std::cout << "\nThe player stalled!  The enemy attacks!" << std::endl;
    } else {
        playerTotal = RollDice(player.initiative);
    }
    const int enemyTotal = RollDice(enemy.initiative);
    return playerTotal > enemyTotal;
}

bool PlayerFirst(cCharacter& enemy, cCharacter& player) {
    const std::int32_t dealt = FirstStrike(player, enemy);
    if (enemy.health <= 0) {
        std::cout << std::endl
                  << ShownText(player.name) << " won the initiave roll and kills the " << enemy.name
                  << "!" << std::endl;
        Pause(2000);
        return true;
    }
    if (dealt > 0) {
        std::cout << std::endl
                  << ShownText(player.name) << " deals " << dealt << " to the " << enemy.name << "!"
                  << std::endl;
    } else {
        std::cout << enemy.name << " parries the attack!" << std::endl;
    }
    const std::int32_t answered = SecondStrike(enemy, player);
    if (answered > 0) {
        ShakeScreen();
        std::cout << enemy.name << " attacks second and deals " << answered << " to "
                  << ShownText(player.name) << "!" << std::endl;
    } else {
        std::cout << ShownText(player.name) << " parries the attack!" << std::endl;
    }
    if (player.health <= 0) {
        std::cout << std::endl
                  << enemy.name << " kills " << ShownText(player.name) << "!" << std::endl;
        Pause(2000);
    }
    return false;
}

bool EnemyFirst(cCharacter& enemy, cCharacter& player) {
    const std::int32_t dealt = FirstStrike(enemy, player);
    if (player.health <= 0) {
        std::cout << std::endl
                  << enemy.name << " kills " << ShownText(player.name) << "!" << std::endl;
        Pause(2000);
        return false;
    }
    if (dealt > 0) {
        ShakeScreen();
        std::cout << std::endl
                  << enemy.name << " deals " << dealt << " to " << ShownText(player.name) << "!"
                  << std::endl;
    } else {
        std::cout << std::endl << ShownText(player.name) << " parries the attack!" << std::endl;
    }
    const std::int32_t answered = SecondStrike(player, enemy);
    if (enemy.health <= 0) {
        std::cout << std::endl
                  << ShownText(player.name) << " attacks second and kills the " << enemy.name << "!"
                  << std::endl;
        Pause(2000);
        return true;
    }
    if (answered > 0) {
        std::cout << ShownText(player.name) << " attacks second and deals " << answered
                  << " to the " << enemy.name << "!" << std::endl;
    } else {
        std::cout << std::endl << enemy.name << " parries the attack!" << std::endl;
    }
    return false;
}

}  // namespace

std::int32_t FirstStrike(cCharacter& attacker, cCharacter& defender) {
    const int attackTotal = RollDice(attacker.attack);
    const int defenseTotal = RollDice(defender.defense);
    return Land(attacker, defender, attackTotal + 2 > defenseTotal - 2);
}

std::int32_t SecondStrike(cCharacter& attacker, cCharacter& defender) {
    const int attackTotal = RollDice(attacker.attack);
    const int defenseTotal = RollDice(defender.defense);
    return Land(attacker, defender, attackTotal > defenseTotal);
}

bool ExchangeBlows(cCharacter& enemy, cCharacter& player, bool stalled) {
    if (PlayerStrikesFirst(enemy, player, stalled)) {
        return PlayerFirst(enemy, player);
    }
    return EnemyFirst(enemy, player);
}

char CombatMenu() {
    SetConsoleTextAttribute(gConsoleOutput, kColourGreen);
    std::cout << "\nWhat do you want to do?" << std::endl;
    SetConsoleTextAttribute(gConsoleOutput, kColourDarkRed);
    static const std::vector<cChoice> kActions{
        {"(A)ttack", "a"}, {"(R)un", "r"}, {"(I)nventory", "i"}};
    WriteChoices(kActions);
    ShowPrompt(ePrompt::Fight, kActions);
    const char answer = ReadAnswer(eAnswerCase::Lower, eRestOfLine::Discarded).value_or('\0');
    SetConsoleTextAttribute(gConsoleOutput, kColourNormal);
    return answer;
}

void RunEncounter(cCharacter& player, std::unique_ptr<cEnemy> enemy, cCombatItems& items) {
    // A player whose input has ended (at a question of the gnome, say) has left the game:
    // the monster goes unseen rather than bringing up a prompt nobody can answer.
    if (Sys_InputClosed()) {
        return;
    }
    std::cout << std::endl << std::endl << "A " << enemy->name << " approaches." << std::endl;
    Pause(1000);
    for (;;) {
        ShowTextArt(enemy->name, enemy->art);
        Pause(3000);
        SetConsoleTextAttribute(gConsoleOutput, kColourRed);
        std::cout << std::endl
                  << ShownText(player.name) << ": " << player.health << "\t" << enemy->name << ": "
                  << enemy->health << std::endl;
        const char answer = CombatMenu();
        if (Sys_InputClosed()) {
            break;
        }
        bool killed = false;
        bool acted = true;
        if (answer == 'a') {
            killed = ExchangeBlows(*enemy, player, false);
        } else if (answer == 'i') {
            items.UseMenu();
            // The item menu may have met the end of the input: the fight stops there.
            if (Sys_InputClosed()) {
                break;
            }
            killed = ExchangeBlows(*enemy, player, true);
        } else if (answer == 'r') {
            const int getaway = RollDice(player.defense);
            const int pursuit = RollDice(enemy->attack);
            if (pursuit >= getaway) {
                killed = ExchangeBlows(*enemy, player, true);
            } else {
                SetConsoleTextAttribute(gConsoleOutput, kColourGreen);
                std::cout << std::endl
                          << ShownText(player.name) << " ran from the " << enemy->name << "!"
                          << std::endl;
                SetConsoleTextAttribute(gConsoleOutput, kColourNormal);
                SpeedUpText();
                break;
            }
        } else {
            acted = false;
        }
        if (killed) {
            items.OfferLoot(*enemy, player);
            SpeedUpText();
            break;
        }
        if (acted) {
            SpeedUpText();
        }
        if (player.health <= 0) {
            return;  // the jitter stays low for the death scene
        }
    }
    gPauseJitter = kStartingPauseJitter;
}
