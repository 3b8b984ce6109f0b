// The save against what the system may refuse it: read-only directories and files, other
// users' saves, the permission bits a new save keeps, and a file-size limit that stops the
// write halfway.
// Linux only: it uses fork, setuid, permission bits, umask and rlimits.

#include <gtest/gtest.h>

#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "characters/Character.h"
#include "support/TestPlatform.h"

namespace {

std::vector<std::string> DirectoryEntries(const std::string& path) {
    std::vector<std::string> names;
    std::error_code error;
    for (const auto& entry : std::filesystem::directory_iterator(path, error)) {
        names.push_back(entry.path().filename().string());
    }
    std::sort(names.begin(), names.end());
    return names;
}

struct cChildOutcome {
    bool finished = false;
    bool result = false;
    std::string output;
};

// Runs body in a child process, so that a lowered file-size limit or a changed user stays
// there, and brings back its result and what it printed. With dropPrivileges the child runs
// as an ordinary user, because root writes into read-only directories regardless.
cChildOutcome RunInChild(bool dropPrivileges, const std::function<bool(std::string&)>& body) {
    cChildOutcome outcome;
    int channel[2];
    if (pipe(channel) != 0) {
        return outcome;
    }
    const pid_t child = fork();
    if (child == 0) {
        close(channel[0]);
        if (dropPrivileges && geteuid() == 0 && (setgid(65534) != 0 || setuid(65534) != 0)) {
            _exit(3);
        }
        std::string printed;
        const bool result = body(printed);
        const std::string message = (result ? "1" : "0") + printed;
        const char* next = message.data();
        std::size_t left = message.size();
        while (left > 0) {
            const ssize_t n = write(channel[1], next, left);
            if (n <= 0) {
                _exit(4);
            }
            next += n;
            left -= static_cast<std::size_t>(n);
        }
        _exit(0);
    }
    close(channel[1]);
    std::string message;
    char buffer[512];
    ssize_t n = 0;
    while ((n = read(channel[0], buffer, sizeof buffer)) > 0) {
        message.append(buffer, static_cast<std::size_t>(n));
    }
    close(channel[0]);
    int status = 0;
    if (child < 0 || waitpid(child, &status, 0) != child || !WIFEXITED(status) ||
        WEXITSTATUS(status) != 0 || message.empty()) {
        return outcome;
    }
    outcome.finished = true;
    outcome.result = message[0] == '1';
    outcome.output = message.substr(1);
    return outcome;
}

const char* const kAnnSave = "57\n10\n8\n6\n25\nAnn\nSword\n0\n9 7\n";

class SavePermissions : public ::testing::Test {
  protected:
    cScratchDirectory directory;
    cSession session;
};

}  // namespace

TEST_F(SavePermissions, AReadOnlyDirectoryKeepsTheOldSave) {
    directory.Write("Player.txt", kAnnSave);
    // Only the directory is read-only: the old file itself could be overwritten in place.
    ASSERT_EQ(chmod((directory.path() + "/Player.txt").c_str(), 0666), 0);
    ASSERT_EQ(chmod(directory.path().c_str(), 0555), 0);
    const cChildOutcome outcome = RunInChild(true, [&](std::string& printed) {
        cPlayer player("Player");
        player.name = "Intruder";
        const bool saved = player.Save("Player.txt");
        printed = session.Output();
        return saved;
    });
    ASSERT_TRUE(outcome.finished);
    EXPECT_FALSE(outcome.result);
    EXPECT_EQ(outcome.output, "Failed to open Player.txt\n");
    EXPECT_EQ(directory.Read("Player.txt"), kAnnSave);
    EXPECT_EQ(DirectoryEntries(directory.path()), (std::vector<std::string>{"Player.txt"}));
}

TEST_F(SavePermissions, AProtectedSaveIsKeptAndANewOneKeepsTheOldPermissions) {
    struct cCase {
        int mode;  // of the old save; -1 for none
        mode_t umask;
        bool saved;
        int modeAfter;
    };
    const cCase cases[] = {
        {0444, 022, false, 0444}, {0400, 022, false, 0400}, {0600, 022, true, 0600},
        {0640, 022, true, 0640},  {0604, 022, true, 0604},  {0666, 022, true, 0644},
        {0666, 077, true, 0600},  {0755, 000, true, 0644},  {-1, 022, true, 0644},
        {-1, 027, true, 0640},
    };
    const std::string path = directory.path() + "/Player.txt";
    for (const cCase& c : cases) {
        directory.Remove("Player.txt");
        if (c.mode >= 0) {
            directory.Write("Player.txt", kAnnSave);
            ASSERT_EQ(chmod(path.c_str(), static_cast<mode_t>(c.mode)), 0);
        }
        const mode_t savedMask = umask(c.umask);
        cPlayer player("Player");
        const bool saved = player.Save("Player.txt");
        umask(savedMask);
        struct stat info {};
        ASSERT_EQ(stat(path.c_str(), &info), 0);
        EXPECT_EQ(saved, c.saved) << std::oct << c.mode;
        EXPECT_EQ(static_cast<int>(info.st_mode & 07777), c.modeAfter) << std::oct << c.mode;
        EXPECT_EQ(directory.Read("Player.txt"),
                  c.saved ? "100\n10\n8\n6\n25\nPlayer\nNone\n0\n0 0\n" : kAnnSave)
            << std::oct << c.mode;
        EXPECT_EQ(session.Take(), c.saved ? "" : "Failed to open Player.txt\n");
        EXPECT_EQ(DirectoryEntries(directory.path()), (std::vector<std::string>{"Player.txt"}));
    }

    // Someone else's save in a directory anybody may write to: we may not replace it. The
    // superuser may, and leaves it theirs.
    if (geteuid() == 0) {
        directory.Write("Player.txt", kAnnSave);
        ASSERT_EQ(chown(path.c_str(), 65534, 65534), 0);
        cPlayer saver("Player");
        EXPECT_TRUE(saver.Save("Player.txt"));
        struct stat info {};
        ASSERT_EQ(stat(path.c_str(), &info), 0);
        EXPECT_EQ(info.st_uid, 65534u);
        EXPECT_EQ(info.st_gid, 65534u);
        EXPECT_EQ(directory.Read("Player.txt"), "100\n10\n8\n6\n25\nPlayer\nNone\n0\n0 0\n");

        ASSERT_EQ(chown(path.c_str(), 0, 0), 0);
        directory.Write("Player.txt", kAnnSave);
        ASSERT_EQ(chmod(path.c_str(), 0644), 0);
        ASSERT_EQ(chmod(directory.path().c_str(), 0777), 0);
        const cChildOutcome outcome = RunInChild(true, [&](std::string& printed) {
            cPlayer player("Player");
            const bool saved = player.Save("Player.txt");
            printed = session.Output();
            return saved;
        });
        ASSERT_TRUE(outcome.finished);
        EXPECT_FALSE(outcome.result);
        EXPECT_EQ(outcome.output, "Failed to open Player.txt\n");
        EXPECT_EQ(directory.Read("Player.txt"), kAnnSave);
        EXPECT_EQ(DirectoryEntries(directory.path()), (std::vector<std::string>{"Player.txt"}));
    }
}

TEST_F(SavePermissions, AWriteThatFailsHalfwayKeepsTheOldSave) {
    directory.Write("Player.txt", kAnnSave);
    // Writes past the tenth byte of any file fail, as on a full disk.
    const cChildOutcome outcome = RunInChild(false, [&](std::string& printed) {
        signal(SIGXFSZ, SIG_IGN);
        const rlimit limit{10, 10};
        if (setrlimit(RLIMIT_FSIZE, &limit) != 0) {
            return true;
        }
        cPlayer player("Player");
        player.name = "Somebody with a name longer than the limit";
        const bool saved = player.Save("Player.txt");
        printed = session.Output();
        return saved;
    });
    ASSERT_TRUE(outcome.finished);
    EXPECT_FALSE(outcome.result);
    EXPECT_EQ(outcome.output, "Failed to write Player.txt\n");
    EXPECT_EQ(directory.Read("Player.txt"), kAnnSave);
    EXPECT_EQ(DirectoryEntries(directory.path()), (std::vector<std::string>{"Player.txt"}));
}
