#include "items/GnomeOfAntithesis.h"

#include <cmath>
#include <iostream>

#include "characters/Character.h"
#include "characters/Enemy.h"
#include "platform/Console.h"
#include "platform/Random.h"
#include "text/Answer.h"
#include "text/StoryLine.h"

namespace {

const cStoryLine kGentlemanStory[] = {
    {"Long ago I met a gentleman.  For the life of me I can't remember his name.", true, 4000},
    {"Not that it matters.  What matters is what he said to me.\n", false, 4000},
    {"\"Well met, little gnome!  ", false, 3000},
    {"What is your story?", true, 2000},
    {"You have been around the world and seen a great many things.", true, 3000},
    {"They say you've kissed every milkmaid from here to the sea, and a few of the cows.", true,
     4000},
    {"So what's the scoop, short stuff?\"", true, 2000},
    {"\nAnd I told him:\n", true, 2000},
    {"\"Listen here, friend.", true, 3000},
    {"The secret of life is coming to you now.", true, 3000},
    {"It lies in helping yourself.", true, 3000},
    {"It can come from the farmer,", true, 3000},
    {"or from the store,", true, 3000},
    {"because all things", true, 3000},
    {"travel through a string", true, 3000},
    {"to the very ends of the earth,", true, 4000},
    {"past a diamond river", true, 3000},
    {"and a pastrami mountain.\"", true, 5000},
    {"Ahh, yes!", true, 2000},
    {"Riverstrami Diamond Falls!", true, 1000},
    {"That is where I met a woman, named", true, 3000},
    {"Gertrude.  Or was it Gretrude?", true, 2000},
    {"Did I ever tell you about her?", true, 2000},
};

}  // namespace

cGnomeOfAntithesis::cGnomeOfAntithesis(cCharacter* owner)
    : cItem("Gnome of Antithesis", 1, 3),
      owner(owner),
      savedLuck(0),
      savedEncounterChance(gEncounterChance) {
    LoadTextArt("gnomeofantithesis.txt", art);
    owner->attack -= value;
}

cGnomeOfAntithesis::~cGnomeOfAntithesis() {
    owner->attack += value;
    if (m_luckTaken) {
        owner->luck = savedLuck;
    }
    gEncounterChance = savedEncounterChance;
}

void cGnomeOfAntithesis::TakeTurn() {
    Speak();
}

void cGnomeOfAntithesis::Display() {
    if (art.data) {
        SetConsoleTextAttribute(gConsoleOutput, kColourBlue);
        ShowTextArt(name, art);
        SetConsoleTextAttribute(gConsoleOutput, kColourNormal);
    }
}

void cGnomeOfAntithesis::SayLines(std::initializer_list<const char*> lines) {
    for (const char* line : lines) {
        std::cout << line << std::endl;
    }
}

void cGnomeOfAntithesis::AskAndIgnore(const char* question) {
    std::cout << question;
    ShowPrompt(ePrompt::GnomeQuestion, YesNoChoices());
    ReadAnswer(eAnswerCase::Lower, eRestOfLine::Kept);
}

void cGnomeOfAntithesis::Chant() {
    std::cout << "OHMMMMMMMMMMMMMMMMM." << std::endl;
    Pause(3000);
    std::cout << "OHMMMMMMMMMMMMMMMMM." << std::endl;
    Pause(3000);
    std::cout << "OHMMMMMMMMMMMMMMMMM." << std::endl;
    Pause(4000);
    std::cout << "It has been done." << std::endl;
}

void cGnomeOfAntithesis::CastAuferoHostis() {
    std::cout << "I think it would be wise for me to cast my" << std::endl
              << "spell aufero hostis at this time.\n"
              << "This should lower the enemy population" << std::endl
              << "in this dungeon." << std::endl;
    Chant();
    savedEncounterChance = gEncounterChance;
    // Only the first spell keeps the luck it takes: a second one would keep the 0 it left.
    if (!m_luckTaken) {
        savedLuck = owner->luck;
        m_luckTaken = true;
    }
    owner->luck = 0;
}

void cGnomeOfAntithesis::CastHelpingSpell() {
    SayLines(
        {"Hey Buddy.  Looks like you need some help.", "Let me cast a spell that will help you."});
    Chant();
    owner->health += static_cast<std::int32_t>(std::trunc(owner->health * -0.25));
}

void cGnomeOfAntithesis::TellGentlemanStory() {
    TellStory(kGentlemanStory);
}

void cGnomeOfAntithesis::Confess() {
    SayLines(
        {"There actually is no invasion. The old man lied to you.", "Its been me the whole time."});
}

void cGnomeOfAntithesis::Speak() {
    const std::uint32_t choice = gRandom() % 20;
    SetConsoleTextAttribute(gConsoleOutput, kColourNormal);
    std::cout << std::endl << "The Gnome Speaks:\n" << std::endl;
    SetConsoleTextAttribute(gConsoleOutput, kColourRed);
    Pause(3000);
    switch (choice) {
        case 0:
            AskAndIgnore("Are you sure you want to go that way? (y/n): ");
            std::cout << "Well, whatever.";
            break;
        case 1:
            std::cout << "Do you know what you are doing?" << std::endl;
            AskAndIgnore("Because it looks like you don't. (y/n): ");
            std::cout << "Then why did you go that way?";
            break;
        case 2:
            std::cout << "Trust me. The exit is behind you.";
            break;
        case 3:
            if (owner->weapon != nullptr) {
                std::cout << "That thing you are using is called an " << owner->weapon->name << "."
                          << std::endl;
                std::cout << "Its hand crafted and is used to dispatch enemies." << std::endl;
            } else {
                std::cout << "Those things on the ends of your arms are called hands." << std::endl;
                std::cout << "Most heroes hold a weapon in them." << std::endl;
            }
            AskAndIgnore("Would you like me to show you how to use it? (y/n): ");
            std::cout << "Maybe some other time.";
            break;
        case 4:
            std::cout << "Does that thing on your head actually do anything," << std::endl;
            AskAndIgnore("Or is it used to cushin your mouth? (y/n): ");
            std::cout << "Whatever.  Nobody cares.";
            break;
        case 5:
            SayLines({"You're an idiot.  The exit is to your left."});
            break;
        case 6:
            SayLines({"I've been on this planet for many moons,",
                      "and have never met anybody more stupid then you."});
            break;
        case 7:
        case 19:
            Confess();
            break;
        case 8:
            SayLines({"Why did you ever sign up for this anyway?"});
            break;
        case 9:
            SayLines({"See that thing to your left?",
                      "Its called a wall.  I can go through it because",
                      "I'm magical.  You can't because you're a loser."});
            break;
        case 10:
            SayLines({"Why do you insist on going this way?", "Theres nothing there but you."});
            break;
        case 11:
            SayLines({"Idiot."});
            break;
        case 12:
            SayLines({"I should leave you.  I'd get there faster."});
            break;
        case 13:
            SayLines({"Fool."});
            break;
        case 14:
            SayLines({"Quasi-Munchkin."});
            break;
        case 15:
            SayLines({"Can I use your brain to make a table?  It would be just as affective."});
            break;
        case 16:
            CastAuferoHostis();
            break;
        case 17:
            CastHelpingSpell();
            break;
        default:
            TellGentlemanStory();
            break;
    }
    std::cout << std::endl;
    Pause(2000);
    SetConsoleTextAttribute(gConsoleOutput, kColourNormal);
}
