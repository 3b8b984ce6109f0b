// Windows only: the save's steps as the Windows calls see them, and what a player sees when one
// of them fails. The new save is created under a temporary name, written, flushed to the disk,
// closed and moved over the old one with a move that is itself written through; a failure at
// any step is told on the screen and in log.txt, ends the game with status 1, and leaves the
// previous save or the whole new one, and nothing beside it.
// The calls are watched and broken where the program imports them from the system (its import
// table), so the game's own code runs as it is.

#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "support/SaveReport.h"
#include "support/TestPlatform.h"

namespace {

// The step the stand-ins break (empty: none), and the steps they have seen, one a line.
std::string gFail;
std::string gSteps;
HANDLE gTemporary = INVALID_HANDLE_VALUE;

// The system's own function, whatever this program's import of it points to meanwhile.
template <typename tFunction>
tFunction System(const char* name) {
    return reinterpret_cast<tFunction>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA("kernel32.dll"), name)));
}

bool IsTemporary(const char* path) {
    const std::size_t length = path == nullptr ? 0 : std::strlen(path);
    return length > 4 && std::strcmp(path + length - 4, ".tmp") == 0;
}

// True (once) when `step` is the one to break; the last error is then `error`.
bool Fails(const char* step, DWORD error) {
    if (gFail != step) {
        return false;
    }
    gFail.clear();
    SetLastError(error);
    return true;
}

HANDLE WINAPI CreateFileStandIn(LPCSTR path, DWORD access, DWORD share,
                                LPSECURITY_ATTRIBUTES security, DWORD disposition, DWORD flags,
                                HANDLE model) {
    const bool temporary = IsTemporary(path) && disposition == CREATE_NEW;
    if (temporary && Fails("create", ERROR_ACCESS_DENIED)) {
        return INVALID_HANDLE_VALUE;
    }
    static const auto real = System<decltype(&CreateFileA)>("CreateFileA");
    const HANDLE file = real(path, access, share, security, disposition, flags, model);
    if (temporary && file != INVALID_HANDLE_VALUE) {
        gTemporary = file;
        gSteps += std::string("create ") + path + "\n";
    }
    return file;
}

BOOL WINAPI WriteFileStandIn(HANDLE file, LPCVOID bytes, DWORD count, LPDWORD written,
                             LPOVERLAPPED overlapped) {
    static const auto real = System<decltype(&WriteFile)>("WriteFile");
    if (file != gTemporary) {
        return real(file, bytes, count, written, overlapped);
    }
    if (gSteps.find("write\n") == std::string::npos) {
        gSteps += "write\n";
    }
    static bool half = false;
    if (half) {
        half = false;
        SetLastError(ERROR_DISK_FULL);
        return FALSE;
    }
    if (count > 1 && Fails("write", ERROR_DISK_FULL)) {
        half = true;
        return real(file, bytes, count / 2, written, overlapped);
    }
    return real(file, bytes, count, written, overlapped);
}

BOOL WINAPI FlushFileBuffersStandIn(HANDLE file) {
    static const auto real = System<decltype(&FlushFileBuffers)>("FlushFileBuffers");
    if (file != gTemporary) {
        return real(file);
    }
    gSteps += "flush\n";
    return Fails("flush", ERROR_WRITE_FAULT) ? FALSE : real(file);
}

BOOL WINAPI CloseHandleStandIn(HANDLE handle) {
    static const auto real = System<decltype(&CloseHandle)>("CloseHandle");
    if (handle != gTemporary) {
        return real(handle);
    }
    gTemporary = INVALID_HANDLE_VALUE;
    gSteps += "close\n";
    const BOOL closed = real(handle);
    return Fails("close", ERROR_WRITE_FAULT) ? FALSE : closed;
}

BOOL WINAPI MoveFileExStandIn(LPCSTR from, LPCSTR to, DWORD flags) {
    static const auto real = System<decltype(&MoveFileExA)>("MoveFileExA");
    if (!IsTemporary(from)) {
        return real(from, to, flags);
    }
    gSteps += std::string("move ") + from + " " + to +
              ((flags & MOVEFILE_WRITE_THROUGH) != 0 ? " written through" : "") + "\n";
    if (Fails("move", ERROR_ACCESS_DENIED)) {
        return FALSE;
    }
    // The move is done, but its flush to the disk fails.
    const BOOL moved = real(from, to, flags);
    return moved && Fails("move-flush", ERROR_WRITE_FAULT) ? FALSE : moved;
}

// Points this program's import of `name` at `standIn` while it lives.
class cImportHook {
  public:
    cImportHook(const char* name, void* standIn) {
        auto* base = reinterpret_cast<BYTE*>(GetModuleHandleA(nullptr));
        const auto* dos = reinterpret_cast<const IMAGE_DOS_HEADER*>(base);
        const auto* nt = reinterpret_cast<const IMAGE_NT_HEADERS*>(base + dos->e_lfanew);
        const IMAGE_DATA_DIRECTORY& imports =
            nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT];
        for (auto* library =
                 reinterpret_cast<IMAGE_IMPORT_DESCRIPTOR*>(base + imports.VirtualAddress);
             library->Name != 0 && m_slot == nullptr; ++library) {
            auto* names = reinterpret_cast<IMAGE_THUNK_DATA*>(base + library->OriginalFirstThunk);
            auto* slots = reinterpret_cast<IMAGE_THUNK_DATA*>(base + library->FirstThunk);
            for (; names->u1.AddressOfData != 0; ++names, ++slots) {
                if (IMAGE_SNAP_BY_ORDINAL(names->u1.Ordinal)) {
                    continue;
                }
                const auto* byName =
                    reinterpret_cast<const IMAGE_IMPORT_BY_NAME*>(base + names->u1.AddressOfData);
                if (std::strcmp(reinterpret_cast<const char*>(byName->Name), name) == 0) {
                    m_slot = reinterpret_cast<void**>(&slots->u1.Function);
                    break;
                }
            }
        }
        if (m_slot != nullptr) {
            m_original = Swap(standIn);
        }
    }
    ~cImportHook() {
        if (m_slot != nullptr) {
            Swap(m_original);
        }
    }
    cImportHook(const cImportHook&) = delete;
    cImportHook& operator=(const cImportHook&) = delete;

    bool hooked() const { return m_slot != nullptr; }

  private:
    void* Swap(void* function) {
        DWORD protection = 0;
        VirtualProtect(m_slot, sizeof(void*), PAGE_READWRITE, &protection);
        void* previous = *m_slot;
        *m_slot = function;
        VirtualProtect(m_slot, sizeof(void*), protection, &protection);
        return previous;
    }

    void** m_slot = nullptr;
    void* m_original = nullptr;
};

const char* const kOldSave = "57\r\n10\r\n8\r\n6\r\n25\r\nAnn\r\nSword\r\n0\r\n9 7\r\n";
const std::string kWritten = "create Player.txt.tmp\nwrite\n";
const std::string kClosed = kWritten + "flush\nclose\n";
const std::string kAllSteps = kClosed + "move Player.txt.tmp Player.txt written through\n";

struct cWindowsSaveCase {
    const char* name;
    const char* fail;
    std::string steps;
    const char* screen;  // the line shown before the farewell; none when empty
    const char* log;
    int status;
    bool newSave;
};

void PrintTo(const cWindowsSaveCase& c, std::ostream* out) {
    *out << c.name;
}

class WindowsSaveSteps : public ::testing::TestWithParam<cWindowsSaveCase> {};

TEST_P(WindowsSaveSteps, EachFailureIsToldAndLeavesOneWholeSave) {
    const cWindowsSaveCase& c = GetParam();
    const cImportHook hooks[] = {
        {"CreateFileA", reinterpret_cast<void*>(&CreateFileStandIn)},
        {"WriteFile", reinterpret_cast<void*>(&WriteFileStandIn)},
        {"FlushFileBuffers", reinterpret_cast<void*>(&FlushFileBuffersStandIn)},
        {"CloseHandle", reinterpret_cast<void*>(&CloseHandleStandIn)},
        {"MoveFileExA", reinterpret_cast<void*>(&MoveFileExStandIn)}};
    for (const cImportHook& hook : hooks) {
        ASSERT_TRUE(hook.hooked());
    }
    gFail = c.fail;
    gSteps.clear();
    cGameOptions options;
    options.input = "Bob\ns\nq\n";
    options.files["Player.txt"] = kOldSave;
    const cGameResult result = RunGame(options);
    gFail.clear();

    EXPECT_EQ(gSteps, c.steps);
    EXPECT_EQ(result.status, c.status);
    const std::string screen = StripColours(result.transcript);
    ExpectSaveOnScreen(screen, c.screen);
    EXPECT_NE(result.File("log.txt").find(c.log), std::string::npos) << result.File("log.txt");
    const std::string save = result.directory->Read("Player.txt");
    if (c.newSave) {
        EXPECT_NE(save.find("\r\nBob\r\nSword\r\n"), std::string::npos) << save;
        EXPECT_EQ(std::count(save.begin(), save.end(), '\n'), 9) << save;
    } else {
        EXPECT_EQ(save, kOldSave);
    }
    EXPECT_FALSE(result.directory->Exists("Player.txt.tmp"));
}

INSTANTIATE_TEST_SUITE_P(
    Cases, WindowsSaveSteps,
    ::testing::Values(cWindowsSaveCase{"Saved", "", kAllSteps, "", kLogSaved, 0, true},
                      cWindowsSaveCase{"TemporaryFileRefused", "create", "",
                                       "Failed to open Player.txt", kLogKept, 1, false},
                      cWindowsSaveCase{"DiskFullHalfway", "write", kWritten + "close\n",
                                       "Failed to write Player.txt", kLogKept, 1, false},
                      cWindowsSaveCase{"FlushFails", "flush", kClosed, "Failed to write Player.txt",
                                       kLogKept, 1, false},
                      cWindowsSaveCase{"CloseReportsALateError", "close", kClosed,
                                       "Failed to write Player.txt", kLogKept, 1, false},
                      cWindowsSaveCase{"MoveFails", "move", kAllSteps, "Failed to write Player.txt",
                                       kLogKept, 1, false},
                      cWindowsSaveCase{"MovedButNotWrittenThrough", "move-flush", kAllSteps,
                                       "Failed to write Player.txt", kLogNotDurable, 1, true}),
    [](const ::testing::TestParamInfo<cWindowsSaveCase>& info) { return info.param.name; });

}  // namespace
