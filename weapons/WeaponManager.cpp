#include "weapons/WeaponManager.h"

#include <cctype>
#include <cstdlib>
#include <limits>
#include <sstream>

#include "platform/System.h"
#include "text/TableFile.h"
#include "text/Text.h"

namespace {

// Generous for a table of a few weapons a line each; a larger file is taken as damaged.
constexpr std::int64_t kMaxWeaponFileBytes = 1024 * 1024;
constexpr std::size_t kMaxWeaponRecords = 10000;

bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}

// Whether a field was meant as a number, even a malformed one ("4.5", "-x" is not).
bool LooksNumeric(const std::string& text) {
    if (text.empty()) {
        return false;
    }
    if (text[0] == '+' || text[0] == '-') {
        return text.size() > 1 && IsDigit(text[1]);
    }
    return IsDigit(text[0]);
}

struct cField {
    std::string text;
    bool startsLine = false;  // a line end (or the start of the records) came before it
};

// The whitespace-separated fields of the records, with one field of look-ahead, remembering
// which fields begin a line so that a damaged record can be told from the next one.
class cFieldReader {
  public:
    explicit cFieldReader(std::istream& in) : m_in(in) {}

    // Null at the end of the input.
    const cField* Peek() {
        if (!m_hasNext) {
            m_hasNext = Read(m_next);
        }
        return m_hasNext ? &m_next : nullptr;
    }

    bool Take(cField& field) {
        if (Peek() == nullptr) {
            return false;
        }
        field = std::move(m_next);
        m_hasNext = false;
        return true;
    }

    // Drops the fields that remain on the line of the last field taken.
    void SkipRestOfLine() {
        while (const cField* next = Peek()) {
            if (next->startsLine) {
                return;
            }
            m_hasNext = false;
        }
    }

  private:
    bool Read(cField& field) {
        field.text.clear();
        field.startsLine = m_atStart;
        m_atStart = false;
        char c = 0;
        while (m_in.get(c) && std::isspace(static_cast<unsigned char>(c))) {
            if (c == '\n') {
                field.startsLine = true;
            }
        }
        if (!m_in) {
            return false;
        }
        do {
            field.text.push_back(c);
        } while (m_in.get(c) && !std::isspace(static_cast<unsigned char>(c)));
        if (m_in) {
            m_in.unget();
        }
        return true;
    }

    std::istream& m_in;
    cField m_next;
    bool m_hasNext = false;
    bool m_atStart = true;
};

}  // namespace

cWeaponManager::cWeaponManager() {
    Sys_OpenLogFile(m_log, "WeaponsLog.txt");
}

void cWeaponManager::Log(const std::string& line) {
    m_log << "cWeaponManager: " << line << std::endl;
}

bool cWeaponManager::LoadWeapons(std::string name) {
    cTableFile table{name, kMaxWeaponRecords, "records",
                     [this](const std::string& line) { Log(line); }};
    std::string text;
    const eFileRead read = table.Read(kMaxWeaponFileBytes, text);
    if (read != eFileRead::Read) {
        if (read != eFileRead::TooLarge) {
            Log("Failed to load " + name + ".");
        }
        return false;
    }
    std::istringstream file(text);
    while (file.peek() == '/') {
        file.ignore(std::numeric_limits<std::streamsize>::max(), '\n');
    }
    cFieldReader fields(file);
    cField weaponName;
    while (fields.Take(weaponName)) {
        if (!table.CountEntry()) {
            break;
        }
        // damage, then spread. A word that opens a later line where a number belongs is taken
        // as the next record's name, so a record that lost a field does not swallow the next.
        std::string numbers[2];
        bool complete = true;
        for (std::string& number : numbers) {
            const cField* next = fields.Peek();
            if (next == nullptr || (next->startsLine && !LooksNumeric(next->text))) {
                complete = false;
                break;
            }
            cField taken;
            fields.Take(taken);
            number = std::move(taken.text);
        }
        std::int32_t damage = 0;
        std::int32_t spread = 0;
        std::string problem;
        if (!complete) {
            problem = "a field is missing";
        } else if (!ParseDecimalInteger(numbers[0], damage)) {
            problem = "damage \"" + LogExcerpt(numbers[0]) + "\" is not a 32-bit decimal integer";
        } else if (!ParseDecimalInteger(numbers[1], spread)) {
            problem = "spread \"" + LogExcerpt(numbers[1]) + "\" is not a 32-bit decimal integer";
        } else if (spread < 1) {
            problem = "spread " + numbers[1] + " is below 1";
        }
        if (!problem.empty()) {
            Log("Skipped weapon record " + LogExcerpt(weaponName.text) + ": " + problem + ".");
            // What follows a damaged value on its line is not trusted to start a new record.
            if (complete) {
                fields.SkipRestOfLine();
            }
            continue;
        }
        // Reloading updates weapons in place: characters may already hold them.
        std::unique_ptr<cWeapon>& stored = weapons[weaponName.text];
        if (stored) {
            stored->damage = damage;
            stored->spread = spread;
        } else {
            stored = std::make_unique<cWeapon>(damage, spread, weaponName.text);
        }
    }
    return true;
}

cWeapon* cWeaponManager::GetWeapon(std::string name) {
    const auto found = weapons.find(name);
    if (found == weapons.end()) {
        Log("No weapon with name " + name + " exists.");
        return nullptr;
    }
    return found->second.get();
}
