// The file system on Windows. A path counts as a file only when it opens as a disk file:
// directories, device names such as CON or NUL, and named pipes are refused, and a file is opened
// for reading with every sharing mode, so nothing the game reads can make it wait. The save goes to
// a temporary file that is flushed to disk and then moved over the old save with MoveFileExA, since
// rename cannot replace an existing file here; a save marked read-only is left alone. Text files
// get Windows line ends: the logs through the C library's text mode, the save here.

#include "platform/System.h"

#include <windows.h>

namespace {

constexpr DWORD kShareAll = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;

std::uint64_t SizeOf(const BY_HANDLE_FILE_INFORMATION& info) {
    return (static_cast<std::uint64_t>(info.nFileSizeHigh) << 32) | info.nFileSizeLow;
}

// An open handle on an existing file (or link), for looking only.
class cFileQuery {
  public:
    explicit cFileQuery(const std::string& path)
        : m_handle(CreateFileA(path.c_str(), FILE_READ_ATTRIBUTES, kShareAll, nullptr,
                               OPEN_EXISTING, FILE_FLAG_OPEN_REPARSE_POINT, nullptr)),
          m_error(m_handle == INVALID_HANDLE_VALUE ? GetLastError() : ERROR_SUCCESS) {
        if (m_handle != INVALID_HANDLE_VALUE && !GetFileInformationByHandle(m_handle, &m_info)) {
            m_info = BY_HANDLE_FILE_INFORMATION{};
        }
    }
    ~cFileQuery() {
        if (m_handle != INVALID_HANDLE_VALUE) {
            CloseHandle(m_handle);
        }
    }
    cFileQuery(const cFileQuery&) = delete;
    cFileQuery& operator=(const cFileQuery&) = delete;

    bool Missing() const {
        return m_error == ERROR_FILE_NOT_FOUND || m_error == ERROR_PATH_NOT_FOUND;
    }
    bool Exists() const { return m_handle != INVALID_HANDLE_VALUE; }
    bool IsLink() const {
        return Exists() && (m_info.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT);
    }
    bool IsReadOnly() const {
        return Exists() && (m_info.dwFileAttributes & FILE_ATTRIBUTE_READONLY);
    }
    bool HasOtherLinks() const { return IsRegular() && m_info.nNumberOfLinks > 1; }

    // A plain file on a disk: not a directory, a link, a device or a pipe.
    bool IsRegular() const {
        return Exists() && GetFileType(m_handle) == FILE_TYPE_DISK &&
               (m_info.dwFileAttributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT |
                                           FILE_ATTRIBUTE_DEVICE)) == 0;
    }

    std::int64_t Size() const { return static_cast<std::int64_t>(SizeOf(m_info)); }

  private:
    HANDLE m_handle;
    DWORD m_error;
    BY_HANDLE_FILE_INFORMATION m_info{};
};

bool WriteAll(HANDLE file, const std::string& bytes) {
    const char* next = bytes.data();
    std::size_t left = bytes.size();
    while (left > 0) {
        DWORD written = 0;
        const DWORD chunk = left > 0x40000000u ? 0x40000000u : static_cast<DWORD>(left);
        if (!WriteFile(file, next, chunk, &written, nullptr) || written == 0) {
            return false;
        }
        next += written;
        left -= written;
    }
    return true;
}

std::string WithWindowsLineEnds(const std::string& text) {
    std::string out;
    out.reserve(text.size() + text.size() / 8);
    for (const char c : text) {
        if (c == '\n') {
            out += '\r';
        }
        out += c;
    }
    return out;
}

}  // namespace

std::int64_t Sys_RegularFileSize(const std::string& path) {
    if (path.empty()) {
        return -1;
    }
    const cFileQuery file(path);
    return file.IsRegular() ? file.Size() : -1;
}

eFileRead Sys_ReadFile(const std::string& path, std::int64_t maxBytes, std::string& bytes) {
    bytes.clear();
    if (path.empty()) {
        return eFileRead::Unavailable;
    }
    HANDLE file = CreateFileA(path.c_str(), GENERIC_READ, kShareAll, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        return eFileRead::Unavailable;
    }
    eFileRead result = eFileRead::Read;
    std::size_t length = 0;
    BY_HANDLE_FILE_INFORMATION info{};
    if (GetFileType(file) != FILE_TYPE_DISK || !GetFileInformationByHandle(file, &info) ||
        (info.dwFileAttributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_DEVICE)) != 0) {
        result = eFileRead::Unavailable;
    } else if (SizeOf(info) > static_cast<std::uint64_t>(maxBytes)) {
        result = eFileRead::TooLarge;
    } else {
        bytes.resize(static_cast<std::size_t>(SizeOf(info)));
        while (length < bytes.size()) {
            const std::size_t left = bytes.size() - length;
            const DWORD chunk = left > 0x40000000u ? 0x40000000u : static_cast<DWORD>(left);
            DWORD n = 0;
            if (!ReadFile(file, &bytes[length], chunk, &n, nullptr)) {
                result = eFileRead::Unavailable;
                break;
            }
            if (n == 0) {
                break;  // the file shrank while it was read: keep what was there
            }
            length += n;
        }
    }
    CloseHandle(file);
    bytes.resize(result == eFileRead::Read ? length : 0);
    return result;
}

void Sys_OpenLogFile(std::ofstream& stream, const std::string& path) {
    const cFileQuery file(path);
    bool usable = file.Exists() ? file.IsRegular() || file.IsLink() : file.Missing();
    // Truncating through a link would empty a file that is not ours: take the name over.
    if (usable && (file.IsLink() || file.HasOtherLinks())) {
        usable = DeleteFileA(path.c_str()) != 0;
    }
    if (!usable) {
        stream.setstate(std::ios::failbit);
        return;
    }
    stream.open(path, std::ios::out | std::ios::trunc);
}

eFileReplace Sys_ReplaceFile(const std::string& path, const std::string& contents) {
    {
        const cFileQuery existing(path);
        // A directory cannot be replaced, and a save the player marked read-only is kept.
        if ((existing.Exists() && !existing.IsRegular() && !existing.IsLink()) ||
            existing.IsReadOnly()) {
            return eFileReplace::NotOpened;
        }
    }
    const std::string temporary = path + ".tmp";
    // A leftover of an interrupted save, or a link by that name, goes; the new file is always
    // one we created ourselves (CREATE_NEW fails on anything that is still there).
    DeleteFileA(temporary.c_str());
    HANDLE file = CreateFileA(temporary.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        return eFileReplace::NotOpened;
    }
    bool ok = WriteAll(file, WithWindowsLineEnds(contents)) && FlushFileBuffers(file);
    ok = CloseHandle(file) && ok;
    if (ok && !MoveFileExA(temporary.c_str(), path.c_str(),
                           MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
        // A write-through move can fail after the move itself, while flushing it: the new save
        // is then in place, but a power cut may still undo the move.
        if (GetFileAttributesA(temporary.c_str()) == INVALID_FILE_ATTRIBUTES &&
            GetLastError() == ERROR_FILE_NOT_FOUND) {
            return eFileReplace::NotDurable;
        }
        ok = false;
    }
    if (!ok) {
        DeleteFileA(temporary.c_str());
        return eFileReplace::NotWritten;
    }
    return eFileReplace::Replaced;
}
