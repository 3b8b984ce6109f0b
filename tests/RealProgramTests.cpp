// The real program in hostile surroundings: terminals and pipes, signals, closed and full
// outputs, missing input, directories it may not write.
// Linux only: it starts the program on pseudo-terminals and pipes and sends it POSIX signals.

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>
#include <cstdint>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include "support/Process.h"
#include "support/TestPlatform.h"

namespace {

class RealProgram : public ::testing::Test {
  protected:
    void SetUp() override {
        m_directory = std::make_unique<cScratchDirectory>();
        m_directory->CopyGameData();
    }

    cProcessOptions Options(const std::string& input) const {
        cProcessOptions options;
        options.directory = m_directory->path();
        options.input = input;
        return options;
    }

    // The save file is whole: nine lines, the last one "row column".
    void ExpectCompleteSave() const {
        const std::string save = m_directory->Read("Player.txt");
        std::size_t lines = 0;
        for (char c : save) {
            lines += c == '\n' ? 1 : 0;
        }
        EXPECT_EQ(lines, 9u) << save;
        EXPECT_NE(
            m_directory->Read("log.txt").find("Saving Player Data.\nExiting with return code 0\n"
                                              "Thanks for playing.\n"),
            std::string::npos);
    }

    std::unique_ptr<cScratchDirectory> m_directory;
};

TEST_F(RealProgram, PipedOutputIsPlainTextWithoutEscapes) {
    cProcess game(Options("Ann\ns\nm\nc\nq\n"));
    EXPECT_EQ(game.Wait(20000), 0);
    EXPECT_NE(game.output().find("Map of Tovashal Dungeon."), std::string::npos);
    EXPECT_EQ(game.output().find('\x1b'), std::string::npos);
    ExpectCompleteSave();
}

// A terminal turns each line end into a carriage return and a line feed.
std::string Unterminal(std::string text) {
    for (std::size_t at = text.find("\r\n"); at != std::string::npos; at = text.find("\r\n", at)) {
        text.erase(at, 1);
    }
    return text;
}

TEST_F(RealProgram, TerminalGetsTitleAndColoursAndIsGivenBackAtTheEnd) {
    // A typed sequence that would retitle the window is taken out of the name; the bell is
    // shown, not rung.
    cProcessOptions options = Options("Ann\x1b]0;owned\x07\x07\ns\nq\n\n");
    options.outputKind = eOutputKind::Terminal;
    cProcess game(options);
    EXPECT_EQ(game.Wait(20000), 0);
    const std::string out = Unterminal(game.output());
    EXPECT_NE(out.find("There is evil afoot Ann^G."), std::string::npos);
    EXPECT_EQ(out.find("\x1b]0;owned"), std::string::npos);
    EXPECT_NE(out.find("\x1b]0;Vaultreach\x07"), std::string::npos);
    // Nothing answers the background question here: the colours for a dark background.
    EXPECT_NE(out.find("\x1b[0;38;5;46m\nWhich way do you want to go?"), std::string::npos);
    EXPECT_NE(out.find("\x1b[0;38;5;226m(N)orth"), std::string::npos);
    EXPECT_NE(out.find("\x1b[0;38;5;16;48;5;252m"), std::string::npos);
    // After the farewell: the normal colours and the old title come back.
    const std::size_t farewell = out.find("Press Enter to exit");
    ASSERT_NE(farewell, std::string::npos);
    EXPECT_NE(out.find("\x1b[0m", farewell), std::string::npos);
    EXPECT_NE(out.find("\x1b[23;0t", farewell), std::string::npos);
    ExpectCompleteSave();
}

// What the terminal answers to the console's questions (background, position, text area size,
// device attributes), typed ahead of the player's keys as a terminal would send it.
struct cTerminalCase {
    const char* name;
    const char* answers;
    std::vector<std::pair<std::string, std::string>> environment;
    const char* fightChoices;  // how "(A)ttack" is introduced
    const char* movementChoices;
};

void PrintTo(const cTerminalCase& terminal, std::ostream* out) {
    *out << terminal.name;
}

class TerminalColours : public RealProgram, public ::testing::WithParamInterface<cTerminalCase> {};

TEST_P(TerminalColours, FollowTheBackgroundAndKeepTheKeysTypedMeanwhile) {
    const cTerminalCase& terminal = GetParam();
    // A walk south into a fight, then quitting: the keys come right behind the answers.
    std::string keys = "Ann\na\n";
    for (int i = 0; i < 40; ++i) {
        keys += "s\nn\n";
    }
    cProcessOptions options = Options(std::string(terminal.answers) + keys);
    options.outputKind = eOutputKind::Terminal;
    options.environment = terminal.environment;
    options.keepInputOpen = true;
    cProcess game(options);
    ASSERT_TRUE(game.WaitForOutput("(R)un", 20000)) << game.output().substr(0, 300);
    game.Signal(SIGTERM);
    EXPECT_EQ(game.Wait(5000), 0);
    const std::string out = Unterminal(game.output());
    EXPECT_NE(out.find(std::string(terminal.movementChoices) + "(N)orth"), std::string::npos);
    EXPECT_NE(out.find(std::string(terminal.fightChoices) + "(A)ttack"), std::string::npos);
    // The keys reached the game in order, none taken for an answer.
    EXPECT_NE(m_directory->Read("Player.txt").find("\nAnn\nAxe\n"), std::string::npos);
}

INSTANTIATE_TEST_SUITE_P(
    Backgrounds, TerminalColours,
    ::testing::Values(
        cTerminalCase{"NoAnswerIsDark", "", {}, "\x1b[0;38;5;196m", "\x1b[0;38;5;226m"},
        cTerminalCase{"White",
                      "\x1b]11;rgb:ffff/ffff/ffff\x1b\\\x1b[?64;1;2c",
                      {},
                      "\x1b[0;38;5;88m",
                      "\x1b[0;38;5;94m"},
        cTerminalCase{"Black",
                      "\x1b]11;rgb:0000/0000/0000\x07\x1b[?1;2c",
                      {},
                      "\x1b[0;38;5;196m",
                      "\x1b[0;38;5;226m"},
        cTerminalCase{"ColorFgBgWhite",
                      "\x1b[?1;2c",
                      {{"COLORFGBG", "0;15"}},
                      "\x1b[0;38;5;88m",
                      "\x1b[0;38;5;94m"},
        cTerminalCase{"SixteenColoursOnWhite",
                      "\x1b]11;rgb:fb/fb/fb\x07\x1b[?1;2c",
                      {{"TERM", "screen"}},
                      "\x1b[0;31m",
                      "\x1b[0;30m"}),
    [](const ::testing::TestParamInfo<cTerminalCase>& info) { return info.param.name; });

TEST_F(RealProgram, WithoutColoursOrEscapesWhereTheTerminalAsks) {
    struct cCase {
        std::pair<std::string, std::string> variable;
        bool anyEscape;
    };
    for (const cCase& terminal : {cCase{{"NO_COLOR", "1"}, true}, cCase{{"TERM", "dumb"}, false},
                                  cCase{{"TERM", ""}, false}}) {
        cProcessOptions options = Options("Ann\ns\nq\n\n");
        options.outputKind = eOutputKind::Terminal;
        options.environment = {terminal.variable};
        cProcess game(options);
        EXPECT_EQ(game.Wait(20000), 0);
        const std::string& out = game.output();
        const std::string label = terminal.variable.first + "=" + terminal.variable.second;
        EXPECT_NE(out.find("(N)orth"), std::string::npos) << label;
        EXPECT_EQ(out.find("\x1b[0;"), std::string::npos) << label;
        EXPECT_EQ(out.find('\x1b') != std::string::npos, terminal.anyEscape) << label;
        if (terminal.anyEscape) {
            EXPECT_NE(out.find("\x1b]0;Vaultreach\x07"), std::string::npos) << label;
        }
    }
}

TEST_F(RealProgram, TheBannerNeverPaintsTheRestOfARow) {
    cProcessOptions options = Options("Ann\ns\nq\n\n");
    options.outputKind = eOutputKind::Terminal;
    cProcess game(options);
    EXPECT_EQ(game.Wait(20000), 0);
    const std::string out = Unterminal(game.output());
    const std::size_t banner = out.find("\x1b[0;38;5;16;48;5;252m");
    ASSERT_NE(banner, std::string::npos);
    const std::size_t normal = out.find("\x1b[0m", banner);
    ASSERT_NE(normal, std::string::npos);
    int lineEnds = 0;
    for (std::size_t at = out.find('\n', banner); at < normal; at = out.find('\n', at + 1)) {
        // The terminal's own background at every line end, the banner's again after it.
        EXPECT_EQ(out.compare(at - 5, 5, "\x1b[49m"), 0) << at;
        ++lineEnds;
    }
    EXPECT_GE(lineEnds, 14);
}

TEST_F(RealProgram, TheWindowIsGivenBackAtItsSizeAndTheLastLineEnds) {
    // A small terminal that reports its window and 8 by 12 pixel characters; the input ends
    // (Ctrl-D) at the last question instead of Enter.
    cProcessOptions options = Options("\x1b[3;100;107t\x1b[4;240;480t\x1b[?1;2cAnn\ns\nq\n");
    options.outputKind = eOutputKind::Terminal;
    options.terminalColumns = 60;
    options.terminalRows = 20;
    cProcess game(options);
    ASSERT_TRUE(game.WaitForOutput("Press Enter to exit", 20000));
    game.Write("\x04");
    EXPECT_EQ(game.Wait(20000), 0);
    const std::string out = Unterminal(game.output());
    // 800 by 480 pixels would be 100 by 40 characters: more than 80 by 25, so it stands.
    const std::size_t sized = out.find("\x1b[4;480;800t");
    EXPECT_NE(sized, std::string::npos);
    // Sized in place; moved only onto its own place, where start-up learns the frame.
    for (std::size_t at = out.find("\x1b[3;"); at != std::string::npos;
         at = out.find("\x1b[3;", at + 1)) {
        EXPECT_EQ(out.compare(at, 12, "\x1b[3;100;107t"), 0) << out.substr(at + 1, 12);
    }
    const std::size_t farewell = out.find("Press Enter to exit");
    ASSERT_NE(farewell, std::string::npos);
    EXPECT_NE(out.find("\x1b[8;20;60t", farewell), std::string::npos);
    // Past the last words only escape sequences and a line end: the prompt starts afresh.
    std::string rest = out.substr(farewell + std::string("Press Enter to exit").size());
    for (std::size_t at = rest.find('\x1b'); at != std::string::npos; at = rest.find('\x1b')) {
        const std::size_t end = rest.find_first_of(rest[at + 1] == ']' ? "\x07" : "mt", at);
        rest.erase(at, end - at + 1);
    }
    EXPECT_EQ(rest, "\r\n");
}

TEST_F(RealProgram, QuitSignalsDuringAPauseSaveAndLeave) {
    for (int signal : {SIGINT, SIGTERM, SIGHUP}) {
        cProcessOptions options = Options("");
        options.keepInputOpen = true;
        options.virtualClock = false;  // the real clock: the title's pause lasts seconds
        cProcess game(options);
        ASSERT_TRUE(game.WaitForOutput("Vaultreach v1.2", 10000)) << signal;
        game.Signal(signal);
        EXPECT_EQ(game.Wait(3000), 0) << signal;
        EXPECT_NE(game.output().find("Press Enter to exit"), std::string::npos) << signal;
        ExpectCompleteSave();
    }
}

TEST_F(RealProgram, QuitSignalsAtAPromptSaveAndLeave) {
    for (int signal : {SIGINT, SIGTERM, SIGHUP}) {
        cProcessOptions options = Options("Ann\na\n");
        options.keepInputOpen = true;
        cProcess game(options);
        ASSERT_TRUE(game.WaitForOutput("(Q)uit\n?:", 20000)) << signal;
        game.Signal(signal);
        EXPECT_EQ(game.Wait(3000), 0) << signal;
        ExpectCompleteSave();
        EXPECT_NE(m_directory->Read("Player.txt").find("\nAnn\nAxe\n"), std::string::npos);
    }
}

TEST_F(RealProgram, AQuitSignalInTheMiddleOfAFightSavesAndLeaves) {
    std::string walk = "Ann\ns\n";
    for (int i = 0; i < 200; ++i) {
        walk += "s\nn\n";
    }
    cProcessOptions options = Options(walk);
    options.keepInputOpen = true;
    cProcess game(options);
    ASSERT_TRUE(game.WaitForOutput(" approaches.", 20000));
    game.Signal(SIGHUP);
    EXPECT_EQ(game.Wait(3000), 0);
    ExpectCompleteSave();
}

TEST_F(RealProgram, ATerminalSignalLeavesItsColoursRestored) {
    cProcessOptions options = Options("Ann\ns\n");
    options.outputKind = eOutputKind::Terminal;
    cProcess game(options);
    ASSERT_TRUE(game.WaitForOutput("(Q)uit\r\n?:", 20000));
    game.Signal(SIGINT);
    EXPECT_EQ(game.Wait(3000), 0);
    const std::string out = Unterminal(game.output());
    const std::size_t farewell = out.find("Press Enter to exit");
    ASSERT_NE(farewell, std::string::npos);
    EXPECT_NE(out.find("\x1b[0m", farewell), std::string::npos);
    ExpectCompleteSave();
}

TEST_F(RealProgram, AQuitSignalAlreadyWaitingAtStartUpEndsPlayAsAQuit) {
    // The signal is sent before the game's first instruction and held back (blocked) until the
    // game lets it in: it must meet the game's handler, not the default action that kills.
    m_directory->Write("answers.txt", "Ann\ns\nq\n");
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        const int answers = open((m_directory->path() + "/answers.txt").c_str(), O_RDONLY);
        const int quiet = open("/dev/null", O_WRONLY);
        if (chdir(m_directory->path().c_str()) != 0 || answers < 0 || quiet < 0 ||
            dup2(answers, 0) < 0 || dup2(quiet, 1) < 0) {
            _exit(126);
        }
        setenv("SDL_AUDIODRIVER", "dummy", 1);
        setenv("LD_PRELOAD", VAULTREACH_PRELOAD_CLOCK, 1);
        setenv("ASAN_OPTIONS", "verify_asan_link_order=0", 1);
        sigset_t term;
        sigemptyset(&term);
        sigaddset(&term, SIGTERM);
        sigprocmask(SIG_BLOCK, &term, nullptr);
        raise(SIGTERM);
        execl(GameBinary().c_str(), "vaultreach", static_cast<char*>(nullptr));
        _exit(127);
    }
    int status = 0;
    for (int waited = 0; waited < 20000 && waitpid(child, &status, WNOHANG) == 0; waited += 10) {
        usleep(10000);
    }
    if (kill(child, 0) == 0) {
        kill(child, SIGKILL);
        waitpid(child, &status, 0);
        FAIL() << "the game did not end";
    }
    ASSERT_TRUE(WIFEXITED(status)) << "ended by signal " << WTERMSIG(status);
    EXPECT_EQ(WEXITSTATUS(status), 0);
    ExpectCompleteSave();
    // Play ended at the first question, before the name was given.
    EXPECT_EQ(m_directory->Read("Player.txt"), "100\n9\n8\n6\n25\n\nNone\n0\n0 1\n");
}

TEST_F(RealProgram, AClosedOutputPipeEndsTheGameInsteadOfKillingIt) {
    // Closed while the game writes, and while it waits for an answer nobody can see asked.
    for (const char* marker : {"Vaultreach v1.2", "What is your name? "}) {
        cProcessOptions options = Options("");
        options.keepInputOpen = true;
        cProcess game(options);
        ASSERT_TRUE(game.WaitForOutput(marker, 10000)) << marker;
        game.CloseOutput();
        EXPECT_EQ(game.Wait(10000), 0) << marker;
        ExpectCompleteSave();
    }
}

TEST_F(RealProgram, AFullOutputDeviceEndsTheGame) {
    cProcessOptions options = Options("Ann\ns\n");
    options.keepInputOpen = true;
    options.outputKind = eOutputKind::FullDevice;
    cProcess game(options);
    EXPECT_EQ(game.Wait(10000), 0);
    ExpectCompleteSave();
}

TEST_F(RealProgram, ClosedOrEmptyInputEndsTheGameAtTheFirstPrompt) {
    for (eInputKind kind : {eInputKind::Closed, eInputKind::DevNull}) {
        cProcessOptions options = Options("");
        options.inputKind = kind;
        cProcess game(options);
        EXPECT_EQ(game.Wait(20000), 0);
        EXPECT_NE(game.output().find("What is your name? "), std::string::npos);
        EXPECT_EQ(game.output().find("You will need a weapon."), std::string::npos);
        ExpectCompleteSave();
    }
}

TEST_F(RealProgram, ASaveThatCannotBeWrittenKeepsTheOldOne) {
    m_directory->Write("Player.txt", "the previous save\n");
    // The new save is written beside the old one first; make that impossible.
    ASSERT_EQ(mkdir((m_directory->path() + "/Player.txt.tmp").c_str(), 0755), 0);
    cProcess game(Options("Ann\ns\nq\n"));
    EXPECT_EQ(game.Wait(20000), 1) << "a launcher must be able to tell";
    EXPECT_NE(game.output().find("Failed to open Player.txt\n"), std::string::npos);
    EXPECT_EQ(m_directory->Read("Player.txt"), "the previous save\n");
    EXPECT_NE(m_directory->Read("log.txt").find(
                  "Saving Player Data.\nFailed to save Player.txt; the previous save is kept.\n"
                  "Exiting with return code 1\n"),
              std::string::npos);
}

TEST_F(RealProgram, AFileSizeLimitFailsTheSaveInsteadOfKillingTheGame) {
    m_directory->Write("Player.txt", "the previous save\n");
    cProcessOptions options = Options("Ann\ns\nq\n");
    options.wrapper = {"sh", "-c", "ulimit -f 0 && exec \"$0\""};
    cProcess game(options);
    EXPECT_EQ(game.Wait(20000), 1);
    EXPECT_NE(game.output().find("Failed to write Player.txt\n"), std::string::npos);
    EXPECT_EQ(m_directory->Read("Player.txt"), "the previous save\n");
    EXPECT_FALSE(m_directory->Exists("Player.txt.tmp"));
}

TEST_F(RealProgram, AReadOnlyDirectoryStopsTheGameBeforeItStarts) {
    cProcessOptions options = Options("");
    options.virtualClock = false;  // it stops before any pause
    if (geteuid() == 0) {
        // Root writes anywhere; play as nobody instead.
        options.wrapper = {"setpriv", "--reuid=65534", "--regid=65534", "--clear-groups"};
    }
    ASSERT_EQ(chmod(m_directory->path().c_str(), 0555), 0);
    cProcess game(options);
    const int status = game.Wait(10000);
    chmod(m_directory->path().c_str(), 0755);
    EXPECT_EQ(status, 1);
    EXPECT_EQ(game.output(), "Failed to create log file, aborting.\n");
    EXPECT_FALSE(m_directory->Exists("log.txt"));
}

TEST_F(RealProgram, TheTitleMusicReachesTheSoundDevice) {
    // SDL's disk driver writes what it would play into a file of raw 16-bit samples.
    const std::string samples = m_directory->path() + "/heard.raw";
    cProcessOptions options = Options("");
    options.keepInputOpen = true;
    options.virtualClock = false;  // the device is paced by the real clock
    options.environment = {{"SDL_AUDIODRIVER", "disk"}, {"SDL_DISKAUDIOFILE", samples}};
    cProcess game(options);
    ASSERT_TRUE(game.WaitForOutput("Vaultreach v1.2", 10000));
    usleep(1500 * 1000);  // well inside the title's first pause
    game.Signal(SIGTERM);
    EXPECT_EQ(game.Wait(5000), 0);
    EXPECT_EQ(m_directory->Read("AudioLog.txt"), "");

    const std::string heard = m_directory->Read("heard.raw");
    ASSERT_GE(heard.size(), 4096u * 4) << "at least one chunk of stereo 16-bit samples";
    std::size_t loud = 0;
    for (std::size_t i = 0; i + 1 < heard.size(); i += 2) {
        const auto sample = static_cast<std::int16_t>(
            static_cast<unsigned char>(heard[i]) | static_cast<unsigned char>(heard[i + 1]) << 8);
        loud += (sample > 500 || sample < -500) ? 1 : 0;
    }
    EXPECT_GT(loud, heard.size() / 2 / 10) << "the music is audible, not silence";
}

TEST_F(RealProgram, WithoutASoundCardOnlyTheAudioLogSaysSo) {
    cProcessOptions options = Options("Ann\ns\nq\n");
    options.captureErrors = true;
    // ALSA finds no card on a machine without sound and its library complains on standard
    // error; none of that may reach the player's terminal.
    options.environment = {{"SDL_AUDIODRIVER", "alsa"}};
    cProcess game(options);
    EXPECT_EQ(game.Wait(20000), 0);
    EXPECT_EQ(game.output().find("ALSA"), std::string::npos) << game.output().substr(0, 400);
    EXPECT_EQ(game.output().rfind("File ", 0), std::string::npos);
    const std::string log = m_directory->Read("AudioLog.txt");
    if (!log.empty()) {
        EXPECT_EQ(log.rfind("Error: ", 0), 0u) << log;
        EXPECT_EQ(log.find('\n'), log.size() - 1) << log;
    }
    ExpectCompleteSave();
}

}  // namespace
