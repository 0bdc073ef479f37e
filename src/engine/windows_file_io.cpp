// The operating system's file layer on Windows, in posix_file_io.cpp's place.
// Files are opened with every share mode (read, write, delete), as a table
// file is used by several cursors and programs at once and a pack renames a
// new file over an open one; who may use a file is decided by the locks of
// file_lock.h. Errors come back as the errno values the engine reports.

#ifdef _WIN32

#include <windows.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <vector>

#include "engine/file_io.h"
#include "engine/win32_util.h"

namespace kvzt::engine {

namespace {

HANDLE handleOf(FileHandle h) { return reinterpret_cast<HANDLE>(h); }

int lastErrno() { return win32::errnoOf(::GetLastError()); }

constexpr DWORD kShareAll = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;

class WindowsFileIo final : public FileIo {
public:
    int open(const std::string& path, OpenFlags flags, FileHandle& out) override {
        DWORD access = GENERIC_READ | GENERIC_WRITE;
        DWORD disposition = OPEN_EXISTING;
        switch (flags) {
        case OpenFlags::Read: access = GENERIC_READ; break;
        case OpenFlags::ReadWrite: break;
        case OpenFlags::Create: disposition = CREATE_ALWAYS; break;
        case OpenFlags::CreateNew: disposition = CREATE_NEW; break;
        case OpenFlags::OpenOrCreate: disposition = OPEN_ALWAYS; break;
        }
        const HANDLE h = ::CreateFileW(win32::widePath(path).c_str(), access, kShareAll, nullptr, disposition,
                                       FILE_ATTRIBUTE_NORMAL, nullptr);
        if (h == INVALID_HANDLE_VALUE) return lastErrno();
        out = reinterpret_cast<FileHandle>(h);
        return 0;
    }

    void close(FileHandle file) override { ::CloseHandle(handleOf(file)); }

    int read(FileHandle file, void* out, std::size_t size, std::uint64_t offset, std::size_t& done) override {
        done = 0;
        char* p = static_cast<char*>(out);
        while (done < size) {
            OVERLAPPED at = at_(offset + done);
            DWORD n = 0;
            const DWORD want = DWORD(std::min<std::size_t>(size - done, kChunk));
            if (!::ReadFile(handleOf(file), p + done, want, &n, &at)) {
                const DWORD e = ::GetLastError();
                if (e == ERROR_HANDLE_EOF) break;
                return win32::errnoOf(e);
            }
            if (n == 0) break;
            done += n;
        }
        return 0;
    }

    int write(FileHandle file, const void* data, std::size_t size, std::uint64_t offset) override {
        const char* p = static_cast<const char*>(data);
        while (size > 0) {
            OVERLAPPED at = at_(offset);
            DWORD n = 0;
            const DWORD want = DWORD(std::min<std::size_t>(size, kChunk));
            if (!::WriteFile(handleOf(file), p, want, &n, &at)) return lastErrno();
            if (n == 0) return ENOSPC;
            p += n;
            size -= n;
            offset += n;
        }
        return 0;
    }

    int sync(FileHandle file) override { return ::FlushFileBuffers(handleOf(file)) ? 0 : lastErrno(); }

    int truncate(FileHandle file, std::uint64_t length) override {
        FILE_END_OF_FILE_INFO end{};
        end.EndOfFile.QuadPart = LONGLONG(length);
        return ::SetFileInformationByHandle(handleOf(file), FileEndOfFileInfo, &end, sizeof end) ? 0 : lastErrno();
    }

    int info(FileHandle file, FileInfo& out) override {
        BY_HANDLE_FILE_INFORMATION st{};
        if (!::GetFileInformationByHandle(handleOf(file), &st)) return lastErrno();
        fill(st, out);
        return 0;
    }

    int pathInfo(const std::string& path, FileInfo& out) override {
        // Opened for no access at all: a file locked by others can still be looked at.
        const HANDLE h = ::CreateFileW(win32::widePath(path).c_str(), 0, kShareAll, nullptr, OPEN_EXISTING,
                                       FILE_FLAG_BACKUP_SEMANTICS, nullptr);
        if (h == INVALID_HANDLE_VALUE) return lastErrno();
        BY_HANDLE_FILE_INFORMATION st{};
        const bool ok = ::GetFileInformationByHandle(h, &st);
        const int e = ok ? 0 : lastErrno();
        ::CloseHandle(h);
        if (ok) fill(st, out);
        return e;
    }

    // Replaces `to` even while it is open elsewhere (a pack renames the new
    // table over the one its cursors hold), with the POSIX semantics of
    // Windows 10: the name moves at once, open handles keep the old file.
    // Older systems (and file systems without them) get MoveFileExW.
    int rename(const std::string& from, const std::string& to) override {
        const std::wstring target = win32::widePath(to);
        const DWORD e = setNameInformation(from, kFileRenameInfoEx, [&](std::vector<char>& buffer) {
            buffer.assign(sizeof(FILE_RENAME_INFO) + target.size() * sizeof(wchar_t), '\0');
            auto* info = reinterpret_cast<FILE_RENAME_INFO*>(buffer.data());
            const DWORD flags = kRenameReplaceIfExists | kRenamePosixSemantics;
            std::memcpy(info, &flags, sizeof flags);  // the Flags member shares ReplaceIfExists's place
            info->RootDirectory = nullptr;
            info->FileNameLength = DWORD(target.size() * sizeof(wchar_t));
            std::memcpy(info->FileName, target.c_str(), target.size() * sizeof(wchar_t));
        });
        if (e == ERROR_SUCCESS) return 0;
        if (!unsupported(e)) return win32::errnoOf(e);
        return ::MoveFileExW(win32::widePath(from).c_str(), target.c_str(),
                             MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)
                   ? 0
                   : lastErrno();
    }

    // The name goes at once even while the file is open (POSIX semantics),
    // so that it can be made again at once (the journal is); else DeleteFileW.
    int remove(const std::string& path) override {
        const DWORD e = setNameInformation(path, kFileDispositionInfoEx, [](std::vector<char>& buffer) {
            const DWORD flags = kDispositionDelete | kDispositionPosixSemantics;
            buffer.assign(sizeof flags, '\0');
            std::memcpy(buffer.data(), &flags, sizeof flags);
        });
        if (e == ERROR_SUCCESS) return 0;
        if (!unsupported(e)) return win32::errnoOf(e);
        return ::DeleteFileW(win32::widePath(path).c_str()) ? 0 : lastErrno();
    }

    int link(const std::string& existing, const std::string& newPath) override {
        return ::CreateHardLinkW(win32::widePath(newPath).c_str(), win32::widePath(existing).c_str(), nullptr)
                   ? 0
                   : lastErrno();
    }

    // Windows keeps directory entries with the files' own metadata; there is
    // no directory handle to flush.
    int syncDirectory(const std::string&) override { return 0; }

private:
    // The values of the Windows 10 headers, so that older headers build too.
    static constexpr auto kFileDispositionInfoEx = FILE_INFO_BY_HANDLE_CLASS(21);
    static constexpr auto kFileRenameInfoEx = FILE_INFO_BY_HANDLE_CLASS(22);
    static constexpr DWORD kRenameReplaceIfExists = 0x1;
    static constexpr DWORD kRenamePosixSemantics = 0x2;
    static constexpr DWORD kDispositionDelete = 0x1;
    static constexpr DWORD kDispositionPosixSemantics = 0x2;

    static bool unsupported(DWORD e) {
        return e == ERROR_INVALID_PARAMETER || e == ERROR_NOT_SUPPORTED || e == ERROR_INVALID_FUNCTION ||
               e == ERROR_CALL_NOT_IMPLEMENTED;
    }

    // Opens `path` for deletion and sets one piece of its name information;
    // the Win32 error (ERROR_SUCCESS when done).
    template <class Fill>
    static DWORD setNameInformation(const std::string& path, FILE_INFO_BY_HANDLE_CLASS kind, Fill fill) {
        const HANDLE h = ::CreateFileW(win32::widePath(path).c_str(), DELETE | SYNCHRONIZE, kShareAll, nullptr,
                                       OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
        if (h == INVALID_HANDLE_VALUE) return ::GetLastError();
        std::vector<char> buffer;
        fill(buffer);
        const bool ok = ::SetFileInformationByHandle(h, kind, buffer.data(), DWORD(buffer.size()));
        const DWORD e = ok ? ERROR_SUCCESS : ::GetLastError();
        ::CloseHandle(h);
        return e;
    }

    // ReadFile and WriteFile take 32-bit sizes.
    static constexpr std::size_t kChunk = std::size_t(1) << 30;

    static OVERLAPPED at_(std::uint64_t offset) {
        OVERLAPPED at{};
        at.Offset = DWORD(offset & 0xFFFFFFFFu);
        at.OffsetHigh = DWORD(offset >> 32);
        return at;
    }

    static void fill(const BY_HANDLE_FILE_INFORMATION& st, FileInfo& out) {
        out.size = (std::uint64_t(st.nFileSizeHigh) << 32) | st.nFileSizeLow;
        out.device = st.dwVolumeSerialNumber;
        out.inode = (std::uint64_t(st.nFileIndexHigh) << 32) | st.nFileIndexLow;
        out.links = st.nNumberOfLinks;
        out.regular = !(st.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY);
    }
};

}  // namespace

FileIo& systemFileIo() {
    static WindowsFileIo instance;
    return instance;
}

long processId() { return long(::GetCurrentProcessId()); }

}  // namespace kvzt::engine

#endif  // _WIN32
