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

#include "support/RealProgram.h"

namespace {

TEST_F(RealProgram, PipedOutputIsPlainTextWithoutEscapes) {
    cProcess game(Options("Ann\ns\nm\nc\nq\n"));
    EXPECT_EQ(game.Wait(20000), 0);
    EXPECT_NE(game.output().find("Map of Tovashal Dungeon."), std::string::npos);
    EXPECT_EQ(game.output().find('\x1b'), std::string::npos);
    ExpectCompleteSave();
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
