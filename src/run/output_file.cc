#include "run/output_file.h"

std::FILE* OpenOutputFile(const char* path, FileIdentity* identity) {
  const int fd = OpenForWriting(path);
  if (fd < 0) return nullptr;
  FileFacts facts;
  std::FILE* out = FactsOf(fd, &facts) ? WritingStream(fd) : nullptr;
  if (out == nullptr) {
    CloseFile(fd);
    return nullptr;
  }
  *identity = facts.identity;
  return out;
}

bool EmptyForReport(std::FILE* out) {
  if (std::fflush(out) != 0) return false;
  const int fd = DescriptorOf(out);
  FileFacts facts;
  if (fd < 0 || !FactsOf(fd, &facts) || !facts.regular) return true;
  if (!EmptyFile(fd)) return false;
  return std::fseek(out, 0, SEEK_SET) == 0;
}
