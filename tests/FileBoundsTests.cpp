// Every data file is read within bounds: a file past its size limit is refused with one log
// line, a table stops after its last allowed record, a log line quotes only the start of a bad
// record, and a sound file named many times is loaded once.

#include <gtest/gtest.h>
#include <unistd.h>

#include <string>

#include "game/AudioManager.h"
#include "platform/TextArt.h"
#include "support/TestPlatform.h"
#include "weapons/WeaponManager.h"

namespace {

std::size_t CountLines(const std::string& text) {
    std::size_t lines = 0;
    for (char c : text) {
        lines += c == '\n' ? 1 : 0;
    }
    return lines;
}

// A file of zero bytes, made without writing them.
void MakeSparseFile(const cScratchDirectory& directory, const std::string& name, off_t size) {
    directory.Write(name, "");
    ASSERT_EQ(truncate((directory.path() + "/" + name).c_str(), size), 0);
}

class DataFileBounds : public ::testing::Test {
  protected:
    void SetUp() override { Sys_InstallAudioBackend(std::make_unique<cSilentAudio>(audio)); }
    void TearDown() override { Sys_InstallAudioBackend(nullptr); }

    cScratchDirectory directory;
    cSession session;
    std::shared_ptr<cAudioRecord> audio = std::make_shared<cAudioRecord>();
};

}  // namespace

TEST_F(DataFileBounds, TheWeaponTableIsBoundedInSizeRecordsAndLogLines) {
    {
        MakeSparseFile(directory, "Weapons.txt", 1024LL * 1024 * 1024);
        cWeaponManager weapons;
        EXPECT_FALSE(weapons.LoadWeapons("Weapons.txt"));
        EXPECT_TRUE(weapons.weapons.empty());
        EXPECT_EQ(directory.ReadText("WeaponsLog.txt"),
                  "cWeaponManager: Failed to load Weapons.txt: larger than 1048576 bytes.\n");
    }
    {
        std::string table = "Sword 4 4\n";
        for (int i = 0; i < 10000; ++i) {
            table += "W" + std::to_string(i) + " 1 1\n";
        }
        directory.Write("Weapons.txt", table);
        cWeaponManager weapons;
        EXPECT_TRUE(weapons.LoadWeapons("Weapons.txt"));
        EXPECT_EQ(weapons.weapons.size(), 10000u);
        EXPECT_EQ(weapons.weapons.count("W9999"), 0u);
        EXPECT_EQ(directory.ReadText("WeaponsLog.txt"),
                  "cWeaponManager: Stopped reading Weapons.txt after 10000 records.\n");
    }
    {
        const std::string longName(200000, 'N');
        const std::string longNumber(200000, '7');
        directory.Write("Weapons.txt", longName + " x 1\nAxe " + longNumber + " 1\n");
        cWeaponManager weapons;
        EXPECT_TRUE(weapons.LoadWeapons("Weapons.txt"));
        const std::string log = directory.ReadText("WeaponsLog.txt");
        EXPECT_EQ(CountLines(log), 2u) << log;
        EXPECT_LT(log.size(), 400u) << "a log line quotes only the start of a record";
        EXPECT_NE(log.find(std::string(40, 'N') + "...:"), std::string::npos) << log;
        EXPECT_NE(log.find(std::string(40, '7') + "...\""), std::string::npos) << log;
    }
}

TEST_F(DataFileBounds, TheSoundListIsBoundedAndEachSoundFileLoadsOnce) {
    {
        MakeSparseFile(directory, "sounds.txt", 1024 * 1024 + 1);
        cAudioManager sounds;
        EXPECT_FALSE(sounds.LoadSounds("sounds.txt"));
        EXPECT_EQ(directory.ReadText("AudioLog.txt"),
                  "cAudioManager: Failed to load sounds.txt: larger than 1048576 bytes.\n");
    }
    {
        // Twenty thousand effects naming one small file: loaded once, the first 256 kept.
        directory.Write("tone.wav", "RIFF");
        std::string list = "header\n";
        for (int i = 0; i < 20000; ++i) {
            list += "tone.wav e" + std::to_string(i) + "\n";
        }
        list += ";\ntone.wav introb -1\n";
        directory.Write("sounds.txt", list);
        audio->loaded.clear();
        cAudioManager sounds;
        EXPECT_TRUE(sounds.LoadSounds("sounds.txt"));
        EXPECT_EQ(sounds.effects.size(), 256u);
        EXPECT_TRUE(sounds.music.empty()) << "entries past the bound are not read";
        EXPECT_EQ(audio->loaded, std::vector<std::string>{"tone.wav"});
        EXPECT_EQ(directory.ReadText("AudioLog.txt"),
                  "cAudioManager: Stopped reading sounds.txt after 256 entries.\n");
    }
    {
        // The same file as effect and as music is one of each; the byte budgets are apart.
        directory.Write("big.wav", std::string(700 * 1024, 'x'));
        directory.Write("bigger.wav", std::string(700 * 1024, 'y'));
        directory.Write("sounds.txt",
                        "header\nbig.wav a\nbigger.wav b\nbig.wav c\n;\nbig.wav introb -1\n"
                        "bigger.wav other 1\nbig.wav again 2\n");
        audio->loaded.clear();
        cAudioManager sounds;
        EXPECT_TRUE(sounds.LoadSounds("sounds.txt"));
        EXPECT_EQ(sounds.effects.size(), 3u);
        EXPECT_EQ(sounds.music.size(), 3u);
        EXPECT_EQ(audio->loaded, (std::vector<std::string>{"big.wav", "big.wav", "bigger.wav"}));
        EXPECT_EQ(directory.ReadText("AudioLog.txt"),
                  "cAudioManager: Skipped effect bigger.wav: the effect files would pass 1048576 "
                  "bytes.\n");
    }
    {
        // Each music file keeps a decoder open: only so many are opened.
        std::string list = "header\n;\n";
        for (int i = 0; i < 20; ++i) {
            directory.Write("m" + std::to_string(i) + ".ogg", "OggS");
            list += "m" + std::to_string(i) + ".ogg m" + std::to_string(i) + " 1\n";
        }
        directory.Write("sounds.txt", list);
        audio->loaded.clear();
        cAudioManager sounds;
        EXPECT_TRUE(sounds.LoadSounds("sounds.txt"));
        EXPECT_EQ(sounds.music.size(), 20u);
        EXPECT_EQ(audio->loaded.size(), 16u);
        EXPECT_EQ(CountLines(directory.ReadText("AudioLog.txt")), 4u);
    }
}

TEST_F(DataFileBounds, PagesAndPicturesPastTheirLimitsAreEmpty) {
    directory.Write("page.txt", std::string(1024 * 1024, 'p'));
    MakeSparseFile(directory, "long page.txt", 1024 * 1024 + 1);
    MakeSparseFile(directory, "troll.txt", 16 * 1024 * 1024 + 1);
    MakeSparseFile(directory, "rat.txt", 16 * 1024 * 1024);
    cPlotText page;
    LoadPlotText("page.txt", page);
    EXPECT_EQ(page.length, 1024 * 1024);
    LoadPlotText("long page.txt", page);
    EXPECT_EQ(page.length, 0);
    EXPECT_TRUE(page.text.empty());

    cTextArt art;
    EXPECT_TRUE(LoadTextArt("rat.txt", art));
    EXPECT_EQ(art.length, 16 * 1024 * 1024);
    EXPECT_FALSE(LoadTextArt("troll.txt", art));
    EXPECT_EQ(art.data, nullptr);
    EXPECT_EQ(session.Output(), "File troll.txt is not valid.\n");
}
