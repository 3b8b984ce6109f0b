#include "support/PromptPlayer.h"

#include <deque>
#include <sstream>

#include "support/SoakRunner.h"
#include "world/Dungeon.h"

namespace {

bool Passable(int row, int column, const cCell& target) {
    if (row < 0 || row >= kDungeonSize || column < 0 || column >= kDungeonSize) {
        return false;
    }
    const char cell = gDungeonGrid[row * kDungeonSize + column];
    // Stepping onto the way out ends the game: only when that is where the walk goes.
    return cell != '#' && (cell != 'G' || cCell{row, column} == target);
}

struct cMove {
    char letter;
    int rowStep;
    int columnStep;
};
const cMove kMoves[] = {{'n', -1, 0}, {'s', 1, 0}, {'e', 0, 1}, {'w', 0, -1}};

// The first step of a shortest walk over passable cells, or 0 when there is none.
char FirstStep(const cCell& from, const cCell& target) {
    int distance[kDungeonSize][kDungeonSize];
    for (auto& row : distance) {
        for (int& cell : row) {
            cell = -1;
        }
    }
    std::deque<cCell> queue{target};
    distance[target.row][target.column] = 0;
    while (!queue.empty()) {
        const cCell cell = queue.front();
        queue.pop_front();
        for (const cMove& move : kMoves) {
            const int row = cell.row + move.rowStep;
            const int column = cell.column + move.columnStep;
            if (Passable(row, column, target) && distance[row][column] < 0) {
                distance[row][column] = distance[cell.row][cell.column] + 1;
                queue.push_back({row, column});
            }
        }
    }
    const int here = distance[from.row][from.column];
    for (const cMove& move : kMoves) {
        const int row = from.row + move.rowStep;
        const int column = from.column + move.columnStep;
        if (here > 0 && Passable(row, column, target) && distance[row][column] == here - 1) {
            return move.letter;
        }
    }
    return 0;
}

}  // namespace

cPromptPlayer::cPromptPlayer(tPolicy policy, std::size_t maxAnswers)
    : m_policy(std::move(policy)), m_maxAnswers(maxAnswers) {}

void cPromptPlayer::Attach(cSession& session) {
    m_session = &session;
    session.input().SetFeeder([this]() { return Feed(); });
}

std::string cPromptPlayer::Feed() {
    if (m_inputEnded) {
        return std::string();
    }
    // Only what is new since the last answer is read: a long game stays linear.
    const std::string& raw = m_session->Transcript();
    m_plain += StripColours(raw.substr(m_rawSeen));
    m_rawSeen = raw.size();
    const std::vector<cShownPrompt>& prompts = m_session->console().prompts;
    std::string answer;
    if (m_answers < m_maxAnswers && !prompts.empty()) {
        const ePrompt prompt = prompts.back().kind;
        ++m_asked[prompt];
        answer = m_policy(prompt, *this);
    }
    if (answer.empty()) {
        m_inputEnded = true;
        m_promptsAtEnd = prompts.size();
    } else {
        ++m_answers;
    }
    return answer;
}

int cPromptPlayer::Asked(ePrompt prompt) const {
    const auto found = m_asked.find(prompt);
    return found == m_asked.end() ? 0 : found->second;
}

char cPromptPlayer::StepTowards(cCell target) {
    // Only a map shown since the last step says where the player is.
    const std::string header = "X = Current Location\n\n\n";
    const std::size_t map = m_plain.rfind(header);
    if (map == std::string::npos || map < m_lastStepAt) {
        return 'm';
    }
    std::istringstream rows(m_plain.substr(map + header.size()));
    cCell at{-1, -1};
    std::string line;
    for (int row = 0; row < kDungeonSize && std::getline(rows, line); ++row) {
        const std::size_t column = line.find('X');
        if (column != std::string::npos) {
            at = {row, static_cast<int>(column)};
        }
    }
    if (at.row < 0 || at == target) {
        return 0;
    }
    m_lastStepAt = m_plain.size();
    return FirstStep(at, target);
}

char cPromptPlayer::Shuttle(cCell first, cCell second) {
    char step = StepTowards(m_shuttleOut ? second : first);
    if (step == 0) {
        m_shuttleOut = !m_shuttleOut;
        step = StepTowards(m_shuttleOut ? second : first);
    }
    return step;
}

std::size_t cPromptPlayer::QuestionsAfterInputEnded(const cConsoleRecord& console) const {
    if (!m_inputEnded || m_promptsAtEnd > console.prompts.size()) {
        return 0;
    }
    return console.prompts.size() - m_promptsAtEnd;
}

std::string cPromptPlayer::Summary() const {
    std::ostringstream summary;
    summary << m_answers << " answers;";
    for (const auto& asked : m_asked) {
        summary << " " << PromptName(asked.first) << " x" << asked.second;
    }
    return summary.str();
}

std::string PoliteAnswer(ePrompt prompt) {
    switch (prompt) {
        case ePrompt::Name:
            return "Ann\n";
        case ePrompt::Weapon:
            return "s\n";
        case ePrompt::Direction:
            return "q\n";
        case ePrompt::Fight:
            return "a\n";
        case ePrompt::Inventory:
            return "q\n";
        case ePrompt::UseItem:
            return "0\n";
        case ePrompt::DropItem:
            return "9\n";
        case ePrompt::Loot:
            return "y\n";
        case ePrompt::Gnome:
        case ePrompt::GnomeQuestion:
        case ePrompt::Replay:
            return "n\n";
        case ePrompt::Exit:
            return "\n";
    }
    return std::string();
}

std::string GameFaults(const cGameResult& game, const cPromptPlayer* player) {
    std::ostringstream faults;
    if (game.status != 0) {
        faults << "exit status " << game.status << " instead of 0\n";
    }
    if (!SaveReadsBack(game.directory->path() + "/Player.txt")) {
        faults << "Player.txt is missing or does not read back\n";
    }
    if (game.console->restores < 1) {
        faults << "the console was not restored\n";
    }
    if (player != nullptr && player->inputEnded()) {
        const std::size_t after = player->QuestionsAfterInputEnded(*game.console);
        if (after > kMaxPromptsAfterInputEnds) {
            faults << after << " questions asked after the input ended\n";
        }
    }
    return faults.str();
}
