#ifndef VAULTREACH_TEXT_ANSWER_H
#define VAULTREACH_TEXT_ANSWER_H

// The one way a prompt reads the player's answer: one character by formatted extraction from
// std::cin, so blanks and line ends before it are skipped.
//
// The answer is lower-cased unless the prompt takes it as typed. The rest of the typed line is
// either left in the input for the next prompt or discarded up to and including its line end;
// which one is part of each prompt's behaviour (a whole word typed at a prompt that keeps the
// rest answers the prompts after it).
//
// The end-of-input rule lives here and nowhere else: when the input has ended, a quit has been
// requested (a signal, a failed output) or the stream has failed, there is no answer. A prompt
// that gets none must take its "nobody is there" choice and must not ask again. Any byte typed,
// NUL included, is an answer.

#include <optional>

enum class eAnswerCase { Lower, AsTyped };
enum class eRestOfLine { Kept, Discarded };

std::optional<char> ReadAnswer(eAnswerCase answerCase, eRestOfLine rest);

// A whole number typed at a menu of numbered entries, by the same end-of-input rule. A number
// too long for 64 bits is still a number, one that names no entry (the largest or smallest
// value). Anything else is not a number: its line is discarded, so that asking again reads
// fresh input, unless that was the last of the input (then there is no answer).
enum class eNumberAnswer { Number, NotANumber, None };

eNumberAnswer ReadNumberAnswer(long long& number);

// Discards the input up to and including the next line end (or to the end of the input).
void DiscardRestOfLine();

#endif
