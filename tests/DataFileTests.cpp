// Every data file the game reads, damaged every way a file can be: random bytes, empty, cut in
// half, ten megabytes, a directory, a FIFO, unreadable. The game must start and play in every
// case, and the damaged file must actually be used in that play: the monster whose picture it
// is appears, the gnome is offered, both story pages are walked over, the weapon strikes, the
// music is started.
// Linux only: a FIFO and an unreadable file are among the damages.

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cctype>
#include <chrono>
#include <condition_variable>
#include <fstream>
#include <mutex>
#include <random>
#include <sstream>
#include <string>
#include <thread>
#include <tuple>

#include "characters/Enemy.h"
#include "support/PromptPlayer.h"
#include "support/SoakRunner.h"
#include "support/TestPlatform.h"

namespace {

enum class eUse { Weapons, Sounds, Picture, Gnome, Page };

struct cDataFile {
    const char* name;
    eUse use;
    const char* monster;  // whose picture it is
};

const cDataFile kDataFiles[] = {
    {"Weapons.txt", eUse::Weapons, nullptr},   {"sounds.txt", eUse::Sounds, nullptr},
    {"clash.wav", eUse::Sounds, nullptr},      {"thud.wav", eUse::Sounds, nullptr},
    {"intro.ogg", eUse::Sounds, nullptr},      {"Skeleton.txt", eUse::Picture, "Skeleton"},
    {"Ogre.txt", eUse::Picture, "Ogre"},       {"snake.txt", eUse::Picture, "Snake"},
    {"demon.txt", eUse::Picture, "Demon"},     {"bat.txt", eUse::Picture, "Vampire"},
    {"sloth.txt", eUse::Picture, "Sloth"},     {"phoenix.txt", eUse::Picture, "Phoenix"},
    {"troll.txt", eUse::Picture, "Troll"},     {"rat.txt", eUse::Picture, "Rat"},
    {"jelly.txt", eUse::Picture, "Jelly"},     {"gnomeofantithesis.txt", eUse::Gnome, nullptr},
    {"Plot Point 1.txt", eUse::Page, nullptr}, {"Plot Point 2.txt", eUse::Page, nullptr},
};

enum class eDamage {
    RandomBytes,
    Empty,
    CutInHalf,
    TenMegabytes,
    ExtremeNumbers,
    Directory,
    Fifo,
    Unreadable
};

const eDamage kDamages[] = {eDamage::RandomBytes,  eDamage::Empty,          eDamage::CutInHalf,
                            eDamage::TenMegabytes, eDamage::ExtremeNumbers, eDamage::Directory,
                            eDamage::Fifo,         eDamage::Unreadable};

const char* DamageName(eDamage damage) {
    switch (damage) {
        case eDamage::RandomBytes:
            return "RandomBytes";
        case eDamage::Empty:
            return "Empty";
        case eDamage::CutInHalf:
            return "CutInHalf";
        case eDamage::TenMegabytes:
            return "TenMegabytes";
        case eDamage::ExtremeNumbers:
            return "ExtremeNumbers";
        case eDamage::Directory:
            return "Directory";
        case eDamage::Fifo:
            return "Fifo";
        default:
            return "Unreadable";
    }
}

void PrintTo(const cDataFile& file, std::ostream* out) {
    *out << file.name;
}

void PrintTo(eDamage damage, std::ostream* out) {
    *out << DamageName(damage);
}

// The same bytes for the same file in every run, so a failure reproduces.
std::string RandomBytes(const std::string& seedText, std::size_t length) {
    std::uint32_t seed = 2166136261u;
    for (char c : seedText) {
        seed = (seed ^ static_cast<unsigned char>(c)) * 16777619u;
    }
    std::mt19937 random(seed);
    std::string bytes(length, '\0');
    for (char& c : bytes) {
        c = static_cast<char>(random());
    }
    return bytes;
}

// Numbers at and past the ends of 32 bits where the file has numbers: a sword that kills
// anything, an axe that heals, a spread as wide as can be, music that loops a negative number
// of times. Files without numbers get them as text.
std::string ExtremeNumbers(eUse use) {
    switch (use) {
        case eUse::Weapons:
            return "// extremes\nSword 2147483647 2147483647\nAxe -2147483648 2147483647\n"
                   "Mace 2147483647 1\nDagger -2147483648 1\nClub 2147483648 -2147483649\n";
        case eUse::Sounds:
            return "sounds\nclash.wav clash\n;\nintro.ogg introb -2147483648\n"
                   "intro.ogg introb 2147483647\nthud.wav thud -2147483649\n";
        default:
            return "2147483647 -2147483648 4294967296 -9223372036854775809\n";
    }
}

std::string Original(const std::string& name) {
    std::ifstream file(std::string(VAULTREACH_DATA_DIR) + "/" + name, std::ios::binary);
    std::ostringstream bytes;
    bytes << file.rdbuf();
    return bytes.str();
}

// Watches a FIFO that stands where a data file should be. Opening a FIFO for reading waits
// for a writer, so a game that opens it would hang for ever; after a grace period this opens
// the writing end again and again, which lets such a game go on, and remembers that it had to.
class cFifoWatch {
  public:
    ~cFifoWatch() { Stop(); }

    void Start(const std::string& path) {
        m_thread = std::thread([this, path] {
            std::unique_lock<std::mutex> lock(m_mutex);
            if (m_done.wait_for(lock, std::chrono::seconds(20), [this] { return m_finished; })) {
                return;
            }
            m_blocked = true;
            while (!m_finished) {
                const int fd = open(path.c_str(), O_WRONLY | O_NONBLOCK);
                if (fd >= 0) {
                    close(fd);
                }
                m_done.wait_for(lock, std::chrono::milliseconds(10));
            }
        });
    }

    void Stop() {
        {
            std::lock_guard<std::mutex> lock(m_mutex);
            m_finished = true;
        }
        m_done.notify_all();
        if (m_thread.joinable()) {
            m_thread.join();
        }
    }

    bool blocked() const { return m_blocked; }

  private:
    std::thread m_thread;
    std::mutex m_mutex;
    std::condition_variable m_done;
    bool m_finished = false;
    std::atomic<bool> m_blocked{false};
};

std::string Step(char step) {
    return std::string(1, step != 0 ? step : 'm') + "\n";
}

// A cooperative answer, except that a fight that drags on (an unarmed player cannot wound)
// is run from.
std::string Answer(ePrompt prompt, cPromptPlayer& me) {
    if (prompt != ePrompt::Fight) {
        return PoliteAnswer(prompt);
    }
    const std::string& plain = me.plain();
    std::size_t rounds = 0;
    for (std::size_t at = plain.rfind("approaches."); at != std::string::npos;
         at = plain.find("(R)un\n(I)nventory\n?:", at + 1)) {
        ++rounds;
    }
    return rounds > 10 ? "r\n" : "a\n";
}

// How a player makes the game use the file: one policy for each use.
cPromptPlayer::tPolicy PolicyFor(const cDataFile& file) {
    switch (file.use) {
        case eUse::Picture: {
            // Fight near the entrance until the monster has come and the fight is over.
            const std::string arrival = std::string("A ") + file.monster + " approaches.";
            return [arrival](ePrompt prompt, cPromptPlayer& me) -> std::string {
                const bool seen = me.Saw(arrival);
                if (prompt == ePrompt::Direction) {
                    return seen ? "q\n" : Step(me.Shuttle(kEntrance, kBelowEntrance));
                }
                if (prompt == ePrompt::Replay) {
                    return seen ? "n\n" : "y\n";
                }
                return Answer(prompt, me);
            };
        }
        case eUse::Gnome:
            return [](ePrompt prompt, cPromptPlayer& me) -> std::string {
                if (prompt == ePrompt::Direction) {
                    return me.Asked(ePrompt::Gnome) > 0 ? "q\n" : Step(me.StepTowards(kGnomeCell));
                }
                return prompt == ePrompt::Gnome ? "y\n" : Answer(prompt, me);
            };
        case eUse::Page: {
            // Over the lower page, then the upper one.
            auto stage = std::make_shared<int>(0);
            return [stage](ePrompt prompt, cPromptPlayer& me) -> std::string {
                if (prompt != ePrompt::Direction) {
                    return Answer(prompt, me);
                }
                const cCell targets[] = {kFirstPageCell, kSecondPageCell};
                while (*stage < 2) {
                    const char step = me.StepTowards(targets[*stage]);
                    if (step != 0) {
                        return Step(step);
                    }
                    ++*stage;
                }
                return "q\n";
            };
        }
        case eUse::Weapons:
            // Three fights with the sword, then a look at the condition, which rolls its damage.
            return [](ePrompt prompt, cPromptPlayer& me) -> std::string {
                if (prompt == ePrompt::Direction) {
                    std::size_t fights = 0;
                    for (std::size_t at = me.plain().find("approaches."); at != std::string::npos;
                         at = me.plain().find("approaches.", at + 1)) {
                        ++fights;
                    }
                    if (fights < 3) {
                        return Step(me.Shuttle(kEntrance, kBelowEntrance));
                    }
                    return me.Saw("Weapon:") ? "q\n" : "c\n";
                }
                return prompt == ePrompt::Replay ? "y\n" : Answer(prompt, me);
            };
        default:
            // The music starts with the title; walk a little and leave.
            return [](ePrompt prompt, cPromptPlayer& me) -> std::string {
                if (prompt == ePrompt::Direction) {
                    return me.Asked(ePrompt::Direction) > 6
                               ? "q\n"
                               : Step(me.Shuttle(kEntrance, kBelowEntrance));
                }
                return Answer(prompt, me);
            };
    }
}

int EncounterChanceFor(const cDataFile& file) {
    switch (file.use) {
        case eUse::Picture:
        case eUse::Weapons:
            return 100;
        case eUse::Sounds:
            return 30;
        default:
            return 0;
    }
}

class DamagedDataFile : public ::testing::TestWithParam<std::tuple<cDataFile, eDamage>> {};

TEST_P(DamagedDataFile, TheGameStartsPlaysAndSaves) {
    const cDataFile file = std::get<0>(GetParam());
    const eDamage damage = std::get<1>(GetParam());
    const std::string name = file.name;

    cGameOptions options;
    std::string written;
    switch (damage) {
        case eDamage::RandomBytes:
            written = RandomBytes(name, 64 + static_cast<unsigned char>(name.back()) * 16);
            break;
        case eDamage::Empty:
            break;
        case eDamage::CutInHalf:
            written = Original(name);
            written.resize(written.size() / 2);
            break;
        case eDamage::TenMegabytes:
            written = RandomBytes(name, 10 * 1024 * 1024);
            break;
        case eDamage::ExtremeNumbers:
            written = ExtremeNumbers(file.use);
            break;
        case eDamage::Directory:
        case eDamage::Fifo:
            options.removed = {name};
            break;
        case eDamage::Unreadable:
            break;
    }
    if (damage != eDamage::Directory && damage != eDamage::Fifo && damage != eDamage::Unreadable) {
        options.files[name] = written;
    }

    // The sound files are only opened by SDL_mixer itself.
    options.realAudio = file.use == eUse::Sounds;
    cFifoWatch fifo;
    auto player = std::make_shared<cPromptPlayer>(PolicyFor(file), 600);
    const int chance = EncounterChanceFor(file);
    options.prepare = [&](cSession& session) {
        gEncounterChance = chance;
        player->Attach(session);
        if (damage == eDamage::Directory) {
            ASSERT_EQ(mkdir(name.c_str(), 0755), 0);
        } else if (damage == eDamage::Fifo) {
            ASSERT_EQ(mkfifo(name.c_str(), 0644), 0);
            char directory[4096];
            ASSERT_NE(getcwd(directory, sizeof directory), nullptr);
            fifo.Start(std::string(directory) + "/" + name);
        } else if (damage == eDamage::Unreadable) {
            // As root the file stays readable, and this case is no different from an intact
            // file; it still runs, and bites for everyone else.
            ASSERT_EQ(chmod(name.c_str(), 0), 0);
        }
    };
    const cGameResult game = RunGame(options);
    fifo.Stop();

    EXPECT_FALSE(fifo.blocked()) << "the game waited on the FIFO " << name;
    EXPECT_EQ(GameFaults(game, player.get()), "") << player->Summary();
    EXPECT_GT(player->Asked(ePrompt::Direction), 0) << player->Summary();
    switch (file.use) {
        case eUse::Picture:
            EXPECT_TRUE(player->Saw(std::string("A ") + file.monster + " approaches."))
                << player->Summary();
            break;
        case eUse::Gnome:
            EXPECT_EQ(player->Asked(ePrompt::Gnome), 1) << player->Summary();
            break;
        case eUse::Page:
            EXPECT_NE(game.File("Player.txt").find("\n1 5\n"), std::string::npos)
                << player->Summary();
            break;
        case eUse::Weapons:
            EXPECT_TRUE(player->Saw("Weapon:")) << player->Summary();
            break;
        default:
            break;
    }
    // Pictures and pages are shown byte for byte.
    if ((damage == eDamage::RandomBytes || damage == eDamage::ExtremeNumbers) &&
        (file.use == eUse::Picture || file.use == eUse::Gnome || file.use == eUse::Page)) {
        EXPECT_NE(game.transcript.find(written), std::string::npos);
    }
}

INSTANTIATE_TEST_SUITE_P(EveryFileEveryDamage, DamagedDataFile,
                         ::testing::Combine(::testing::ValuesIn(kDataFiles),
                                            ::testing::ValuesIn(kDamages)),
                         [](const ::testing::TestParamInfo<std::tuple<cDataFile, eDamage>>& info) {
                             std::string name;
                             for (const char* c = std::get<0>(info.param).name; *c != '\0'; ++c) {
                                 name.push_back(std::isalnum(static_cast<unsigned char>(*c)) ? *c
                                                                                             : '_');
                             }
                             return name + "_" + DamageName(std::get<1>(info.param));
                         });

}  // namespace
