// The audio manager against the real SDL_mixer on SDL's silent "dummy" device: the device and
// its log, reading the sound list, starting music, and the sound list the game ships.

#include <SDL.h>
#include <SDL_mixer.h>
#include <gtest/gtest.h>

#include <dirent.h>
#include <sys/stat.h>

#include <chrono>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <thread>

#include "game/AudioManager.h"
#include "support/TestPlatform.h"

namespace {

// A mono 16-bit PCM WAV file of a quiet tone at the mixer's rate.
std::string ToneWave(double seconds) {
    const int rate = 22050;
    const auto frames = static_cast<std::uint32_t>(seconds * rate);
    std::string bytes = "RIFF";
    auto put = [&bytes](std::uint32_t value, int size) {
        for (int i = 0; i < size; ++i) {
            bytes.push_back(static_cast<char>((value >> (8 * i)) & 0xff));
        }
    };
    put(36 + frames * 2, 4);
    bytes += "WAVEfmt ";
    put(16, 4);
    put(1, 2);
    put(1, 2);
    put(rate, 4);
    put(rate * 2, 4);
    put(2, 2);
    put(16, 2);
    bytes += "data";
    put(frames * 2, 4);
    for (std::uint32_t i = 0; i < frames; ++i) {
        const double value = 3000.0 * std::sin(2.0 * 3.14159265 * 440.0 * i / rate);
        put(static_cast<std::uint16_t>(static_cast<std::int16_t>(value)), 2);
    }
    return bytes;
}

// Polls SDL_mixer until the music has stopped, for at most the given time.
bool MusicStopsWithin(std::chrono::milliseconds limit) {
    const auto end = std::chrono::steady_clock::now() + limit;
    while (std::chrono::steady_clock::now() < end) {
        if (Mix_PlayingMusic() == 0) {
            return true;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    return Mix_PlayingMusic() == 0;
}

int OpenFileCount() {
    int count = 0;
    DIR* descriptors = opendir("/proc/self/fd");
    while (descriptors != nullptr && readdir(descriptors) != nullptr) {
        ++count;
    }
    if (descriptors != nullptr) {
        closedir(descriptors);
    }
    return count;
}

class AudioManager : public ::testing::Test {
  protected:
    void SetUp() override {
        // SDL's silent device, paced like a real one, whatever the machine has.
        SetEnvironment("SDL_AUDIODRIVER", "dummy", true);
        directory.Write("tone.wav", ToneWave(0.2));
        directory.Write("blip.wav", ToneWave(0.05));
    }
    // SDL 1.2 marks its audio as started even when no driver was found, and only closing a
    // device undoes that; without this a test after a failed open could never open one.
    void TearDown() override { SDL_QuitSubSystem(SDL_INIT_AUDIO); }

    cScratchDirectory directory;
};

TEST_F(AudioManager, OpensTheDeviceAsTheMixerNeedsItAndLeavesAnEmptyLog) {
    directory.Write("AudioLog.txt", "Error: from an earlier run\n");
    cAudioManager audio;
    int frequency = 0;
    Uint16 format = 0;
    int channels = 0;
    ASSERT_EQ(Mix_QuerySpec(&frequency, &format, &channels), 1);
    EXPECT_EQ(frequency, 22050);
    EXPECT_EQ(format, 0x8010);
    EXPECT_EQ(channels, 2);
    EXPECT_TRUE(directory.Exists("AudioLog.txt"));
    EXPECT_EQ(directory.Read("AudioLog.txt"), "");
}

TEST_F(AudioManager, ClosesTheDeviceWhenDestroyed) {
    { cAudioManager audio; }
    EXPECT_EQ(Mix_QuerySpec(nullptr, nullptr, nullptr), 0);
}

TEST_F(AudioManager, ADeviceThatWillNotOpenIsLoggedAndTheGameRunsSilent) {
    SetEnvironment("SDL_AUDIODRIVER", "no-such-driver", true);
    {
        cAudioManager audio;
        const std::string log = directory.Read("AudioLog.txt");
        ASSERT_GT(log.size(), std::string("Error: \n").size()) << log;
        EXPECT_EQ(log.rfind("Error: ", 0), 0u) << log;
        EXPECT_EQ(log.find('\n'), log.size() - 1) << log;

        directory.Write("sounds.txt", "header\ntone.wav beep\n;\ntone.wav introb -1\n");
        EXPECT_TRUE(audio.LoadSounds("sounds.txt"));
        ASSERT_EQ(audio.effects.count("beep"), 1u);
        EXPECT_EQ(audio.effects["beep"]->sample, nullptr);
        ASSERT_EQ(audio.music.count("introb"), 1u);
        audio.PlayMusic("introb");
        EXPECT_EQ(Mix_PlayingMusic(), 0);
        EXPECT_EQ(directory.Read("AudioLog.txt"), log);
    }
}

TEST_F(AudioManager, MusicRightAfterTheHeader) {
    directory.Write("sounds.txt", "sound list\n;\nintro.ogg introb -1\n");
    cAudioManager audio;
    EXPECT_TRUE(audio.LoadSounds("sounds.txt"));
    EXPECT_TRUE(audio.effects.empty());
    ASSERT_EQ(audio.music.size(), 1u);
    const cMusicTrack& track = *audio.music.at("introb");
    EXPECT_EQ(track.path, "intro.ogg");
    EXPECT_EQ(track.name, "introb");
    EXPECT_EQ(track.loops, -1);
    // intro.ogg is not there: the record stays, empty, and playing it is harmless.
    EXPECT_EQ(track.music, nullptr);
    audio.PlayMusic("introb");
    EXPECT_EQ(Mix_PlayingMusic(), 0);
    EXPECT_EQ(directory.Read("AudioLog.txt"), "");
}

TEST_F(AudioManager, EffectsThenTheSemicolonLineThenMusic) {
    ASSERT_TRUE(std::filesystem::create_directory(directory.path() + "/sfx"));
    directory.Write("sfx/blip.wav", ToneWave(0.05));
    directory.Write("sounds.txt",
                    "effects, then music\n"
                    "tone.wav hit\n"
                    "  sfx/blip.wav   blip  \n"
                    "missing.wav gone\n"
                    "   ; music from here on, and this line is skipped 1 2 3\n"
                    "tone.wav introb -1\n"
                    "blip.wav fanfare\n2\n");
    cAudioManager audio;
    EXPECT_TRUE(audio.LoadSounds("sounds.txt"));
    ASSERT_EQ(audio.effects.size(), 3u);
    EXPECT_EQ(audio.effects.at("hit")->path, "tone.wav");
    EXPECT_NE(audio.effects.at("hit")->sample, nullptr);
    EXPECT_EQ(audio.effects.at("blip")->path, "sfx/blip.wav");
    EXPECT_EQ(audio.effects.at("blip")->name, "blip");
    EXPECT_NE(audio.effects.at("blip")->sample, nullptr);
    EXPECT_EQ(audio.effects.at("gone")->sample, nullptr);
    ASSERT_EQ(audio.music.size(), 2u);
    EXPECT_EQ(audio.music.at("introb")->loops, -1);
    EXPECT_NE(audio.music.at("introb")->music, nullptr);
    EXPECT_EQ(audio.music.at("fanfare")->path, "blip.wav");
    EXPECT_EQ(audio.music.at("fanfare")->loops, 2);
    EXPECT_EQ(directory.Read("AudioLog.txt"), "");
}

TEST_F(AudioManager, WithoutASemicolonLineEverythingIsAnEffect) {
    directory.Write("sounds.txt", "header\ntone.wav hit\ntone.wav introb -1\n");
    cAudioManager audio;
    EXPECT_TRUE(audio.LoadSounds("sounds.txt"));
    EXPECT_TRUE(audio.music.empty());
    ASSERT_EQ(audio.effects.size(), 2u);
    EXPECT_EQ(audio.effects.at("introb")->path, "tone.wav");
    // The "-1" left over has no name after it and makes no entry.
    EXPECT_EQ(audio.effects.count("-1"), 0u);
    audio.PlayMusic("introb");
    EXPECT_EQ(Mix_PlayingMusic(), 0);
}

TEST_F(AudioManager, LaterEntriesReplaceEarlierOnesAndNamesAreCaseSensitive) {
    directory.Write("sounds.txt",
                    "header\n"
                    "missing.wav hit\ntone.wav hit\ntone.wav Hit\n"
                    ";\n"
                    "tone.wav theme 3\nblip.wav theme -1\ntone.wav Theme 1\n");
    cAudioManager audio;
    EXPECT_TRUE(audio.LoadSounds("sounds.txt"));
    ASSERT_EQ(audio.effects.size(), 2u);
    EXPECT_EQ(audio.effects.at("hit")->path, "tone.wav");
    EXPECT_NE(audio.effects.at("hit")->sample, nullptr);
    ASSERT_EQ(audio.music.size(), 2u);
    EXPECT_EQ(audio.music.at("theme")->path, "blip.wav");
    EXPECT_EQ(audio.music.at("theme")->loops, -1);
    EXPECT_EQ(audio.music.at("Theme")->loops, 1);
}

TEST_F(AudioManager, ListsWrittenWithWindowsLineEndsReadTheSame) {
    directory.Write("sounds.txt", "header\r\ntone.wav hit\r\n;\r\ntone.wav introb -1\r\n");
    cAudioManager audio;
    EXPECT_TRUE(audio.LoadSounds("sounds.txt"));
    ASSERT_EQ(audio.effects.size(), 1u);
    EXPECT_EQ(audio.effects.at("hit")->path, "tone.wav");
    ASSERT_EQ(audio.music.size(), 1u);
    EXPECT_EQ(audio.music.at("introb")->loops, -1);
    EXPECT_NE(audio.music.at("introb")->music, nullptr);
}

TEST_F(AudioManager, ShortAndDamagedListsLoadWhatTheyHold) {
    cAudioManager audio;
    for (const char* contents : {"", "header only", "header only\n", "header\n;", "header\n;\n",
                                 "header\ntone.wav", "header\n;\ntone.wav introb"}) {
        directory.Write("sounds.txt", contents);
        EXPECT_TRUE(audio.LoadSounds("sounds.txt")) << contents;
        EXPECT_TRUE(audio.effects.empty()) << contents;
        EXPECT_TRUE(audio.music.empty()) << contents;
    }
    // A loop count that is not a decimal integer within 32 bits ends the music list there.
    for (const char* bad : {"x", "99999999999", "1.5", "-"}) {
        cAudioManager fresh;
        directory.Write("sounds.txt", std::string("header\n;\ntone.wav a +4\ntone.wav b ") + bad +
                                          "\ntone.wav c -1\n");
        EXPECT_TRUE(fresh.LoadSounds("sounds.txt")) << bad;
        ASSERT_EQ(fresh.music.size(), 1u) << bad;
        EXPECT_EQ(fresh.music.at("a")->loops, 4);
    }
}

TEST_F(AudioManager, AListThatCannotBeReadLeavesTheTablesAlone) {
    directory.Write("sounds.txt", "header\ntone.wav hit\n;\ntone.wav introb -1\n");
    ASSERT_TRUE(std::filesystem::create_directory(directory.path() + "/folder.txt"));
    cAudioManager audio;
    ASSERT_TRUE(audio.LoadSounds("sounds.txt"));
    EXPECT_FALSE(audio.LoadSounds("nowhere.txt"));
    EXPECT_FALSE(audio.LoadSounds("folder.txt"));
    EXPECT_EQ(audio.effects.size(), 1u);
    EXPECT_EQ(audio.music.size(), 1u);
    EXPECT_EQ(directory.Read("AudioLog.txt"), "");
}

TEST_F(AudioManager, NoFileStaysOpenOnceTheManagerIsGone) {
    if (!VAULTREACH_PROC_FDS) {
        GTEST_SKIP() << "no /proc lists this process's open files";
    }
    directory.Write("junk.wav", "not a sound at all");
    directory.Write("sounds.txt",
                    "header\ntone.wav hit\njunk.wav junk\nmissing.wav gone\n;\n"
                    "tone.wav introb -1\njunk.wav noise 1\nmissing.ogg quiet 1\n");
    const int before = OpenFileCount();
    {
        cAudioManager audio;
        ASSERT_TRUE(audio.LoadSounds("sounds.txt"));
        EXPECT_EQ(audio.effects.size(), 3u);
        EXPECT_EQ(audio.effects.at("junk")->sample, nullptr);
        EXPECT_EQ(audio.music.size(), 3u);
        EXPECT_EQ(audio.music.at("noise")->music, nullptr);
        audio.PlayMusic("introb");
    }
    EXPECT_EQ(OpenFileCount(), before);
}

TEST_F(AudioManager, PlayMusicStartsOnlyAMusicEntry) {
    directory.Write("sounds.txt", "header\ntone.wav hit\n;\ntone.wav introb -1\n");
    cAudioManager audio;
    ASSERT_TRUE(audio.LoadSounds("sounds.txt"));
    audio.PlayMusic("hit");
    EXPECT_EQ(Mix_PlayingMusic(), 0);
    audio.PlayMusic("Introb");
    EXPECT_EQ(Mix_PlayingMusic(), 0);
    audio.PlayMusic("introb");
    EXPECT_EQ(Mix_PlayingMusic(), 1);
    // Starting it again, as a new game does, keeps it playing.
    audio.PlayMusic("introb");
    EXPECT_EQ(Mix_PlayingMusic(), 1);
    EXPECT_EQ(directory.Read("AudioLog.txt"), "");
}

TEST_F(AudioManager, TheLoopCountDecidesWhetherTheMusicEnds) {
    // A twentieth of a second of music: played once it is over within a few mixer chunks,
    // looped forever it is still going long after.
    directory.Write("sounds.txt", "header\n;\nblip.wav forever -1\nblip.wav once 1\n");
    cAudioManager audio;
    ASSERT_TRUE(audio.LoadSounds("sounds.txt"));
    audio.PlayMusic("once");
    EXPECT_TRUE(MusicStopsWithin(std::chrono::seconds(5)));
    audio.PlayMusic("forever");
    EXPECT_FALSE(MusicStopsWithin(std::chrono::milliseconds(1200)));
}

TEST_F(AudioManager, TheShippedListPlaysTheTitleMusicForever) {
    directory.CopyGameData();
    cAudioManager audio;
    ASSERT_TRUE(audio.LoadSounds("sounds.txt"));
    ASSERT_EQ(audio.music.count("introb"), 1u);
    const cMusicTrack& title = *audio.music.at("introb");
    EXPECT_EQ(title.loops, -1);
    EXPECT_NE(title.music, nullptr) << title.path;
    for (const auto& effect : audio.effects) {
        EXPECT_NE(effect.second->sample, nullptr) << effect.second->path;
    }
    audio.PlayMusic("introb");
    EXPECT_EQ(Mix_PlayingMusic(), 1);
}

TEST_F(AudioManager, TheGameStartsTheTitleMusicBeforeItAsksTheName) {
    int playingAtNamePrompt = -1;
    cGameOptions options;
    options.realAudio = true;
    options.prepare = [&playingAtNamePrompt](cSession& session) {
        session.input().AddAction(
            [&playingAtNamePrompt] { playingAtNamePrompt = Mix_PlayingMusic(); });
        session.input().Add("Ann\ns\nq\n\n");
    };
    const cGameResult game = RunGame(options);
    EXPECT_EQ(game.status, 0);
    EXPECT_EQ(playingAtNamePrompt, 1);
    EXPECT_EQ(game.File("AudioLog.txt"), "");
    // The manager is gone with the game, and the device with it.
    EXPECT_EQ(Mix_QuerySpec(nullptr, nullptr, nullptr), 0);
}

}  // namespace
