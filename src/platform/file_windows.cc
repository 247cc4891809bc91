#include "platform/file.h"

#include <climits>
#include <cerrno>

#include <fcntl.h>
#include <io.h>
#include <sys/stat.h>
#include <windows.h>

namespace {

FileIdentity IdentityOfHandle(const BY_HANDLE_FILE_INFORMATION& info) {
  return {info.dwVolumeSerialNumber,
          std::uint64_t{info.nFileIndexHigh} << 32 | info.nFileIndexLow};
}

HANDLE HandleOf(int file) { return reinterpret_cast<HANDLE>(_get_osfhandle(file)); }

}  // namespace

int OpenForReading(const char* path, int* error) {
  // Bytes as stored: no text-mode translation of line ends or ^Z.
  const int fd = _open(path, _O_RDONLY | _O_BINARY | _O_NOINHERIT);
  if (fd < 0) *error = errno;
  return fd;
}

int OpenForWriting(const char* path) {
  return _open(path, _O_WRONLY | _O_CREAT | _O_BINARY | _O_NOINHERIT, _S_IREAD | _S_IWRITE);
}

void CloseFile(int file) { _close(file); }

bool FactsOf(int file, FileFacts* facts) {
  const HANDLE handle = HandleOf(file);
  if (handle == INVALID_HANDLE_VALUE) return false;
  *facts = {};
  // A console, a pipe or a device: no regular file, and nothing to tell.
  if (GetFileType(handle) != FILE_TYPE_DISK) return true;
  BY_HANDLE_FILE_INFORMATION info;
  if (GetFileInformationByHandle(handle, &info) == 0) return false;
  facts->regular = (info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) == 0;
  facts->size = static_cast<std::int64_t>(std::uint64_t{info.nFileSizeHigh} << 32 |
                                          info.nFileSizeLow);
  facts->identity = IdentityOfHandle(info);
  return true;
}

bool IdentityOf(const char* path, FileIdentity* identity) {
  // Attributes only: no sharing is refused, and a folder opens too.
  const HANDLE handle =
      CreateFileA(path, FILE_READ_ATTRIBUTES, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                  nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
  if (handle == INVALID_HANDLE_VALUE) return false;
  BY_HANDLE_FILE_INFORMATION info;
  const bool known = GetFileInformationByHandle(handle, &info) != 0;
  CloseHandle(handle);
  if (known) *identity = IdentityOfHandle(info);
  return known;
}

long ReadSome(int file, char* buffer, std::size_t size) {
  const int n = _read(file, buffer, size > INT_MAX ? INT_MAX : static_cast<unsigned>(size));
  return n < 0 ? -1 : n;
}

int StandardInputForReading() {
  _setmode(0, _O_BINARY);
  return 0;
}

long ReadAt(int file, char* buffer, std::size_t size, std::int64_t offset) {
  const __int64 was = _telli64(file);
  if (was < 0 || _lseeki64(file, offset, SEEK_SET) < 0) return -1;
  const long n = ReadSome(file, buffer, size);
  if (_lseeki64(file, was, SEEK_SET) < 0) return -1;
  return n;
}

bool SeekFile(int file, std::int64_t offset) {
  return _lseeki64(file, offset, SEEK_SET) == offset;
}

std::FILE* WritingStream(int file) {
  // Text mode, which the descriptor holds: the report's line feeds reach
  // the file as CR LF, as every other text here (KeepLineFeeds undoes it
  // for the JSON and web reports).
  _setmode(file, _O_TEXT);
  return _fdopen(file, "w");
}

int DescriptorOf(std::FILE* stream) { return _fileno(stream); }

bool EmptyFile(int file) { return _chsize_s(file, 0) == 0; }

void KeepLineFeeds(std::FILE* stream) {
  std::fflush(stream);
  _setmode(_fileno(stream), _O_BINARY);
}
