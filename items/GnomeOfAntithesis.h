#ifndef VAULTREACH_ITEMS_GNOMEOFANTITHESIS_H
#define VAULTREACH_ITEMS_GNOMEOFANTITHESIS_H

// The Gnome of Antithesis: the one companion, met on its own cell.
//
// Creating it costs its owner `value` (1) points of attack, whether or not the gnome is ever
// taken. Carried, it speaks after every move onto an open cell: one draw mod 20 picks a
// taunt, a question whose answer it ignores, a confession (two choices of twenty), a story,
// or a spell. The aufero hostis spell sets the owner's luck to 0 (so nothing drops any more)
// after keeping the luck it took; the helping spell takes a quarter of the owner's health.
//
// Dropping it (destroying it) gives back what it took: the attack of its creation, the luck
// taken by its first spell if one struck, and the encounter chance it kept.

#include <cstdint>
#include <string>

#include "items/Item.h"

class cCharacter;

class cGnomeOfAntithesis : public cItem {
  public:
    explicit cGnomeOfAntithesis(cCharacter* owner);
    ~cGnomeOfAntithesis() override;

    void TakeTurn() override;
    // The picture in colour 9, then colour 7; nothing without a picture.
    void Display() override;
    void Speak();

    cCharacter* owner;  // not owned
    std::int32_t savedLuck;
    std::int32_t savedEncounterChance;

  private:
    void SayLines(std::initializer_list<const char*> lines);
    void AskAndIgnore(const char* question);
    void Chant();
    void CastAuferoHostis();
    void CastHelpingSpell();
    void TellGentlemanStory();
    void Confess();

    bool m_luckTaken = false;
};

#endif
