#include "run/output_file.h"

#include <algorithm>
#include <cerrno>

#include "platform/file_replace.h"

namespace {

// Opens `path` to be written directly, as a pipe or a device is.
bool OpenDirectly(const char* path, OutputFile* output, int* error) {
  const int fd = OpenForWriting(path);
  if (fd < 0) {
    *error = errno;
    return false;
  }
  FileFacts facts;
  std::FILE* stream = FactsOf(fd, &facts) ? WritingStream(fd) : nullptr;
  if (stream == nullptr) {
    *error = errno;
    CloseFile(fd);
    return false;
  }
  output->stream = stream;
  output->identities = {facts.identity};
  return true;
}

}  // namespace

bool OpenOutputFile(const char* path, OutputFile* output, int* error) {
  *output = OutputFile();
  output->target = FollowLinks(path);
  return OpenDirectly(path, output, error);
}

bool IsOutputFile(const OutputFile& output, const FileIdentity& identity) {
  return std::find(output.identities.begin(), output.identities.end(), identity) !=
         output.identities.end();
}

bool StartReport(OutputFile* output) {
  std::FILE* out = output->stream;
  const int fd = DescriptorOf(out);
  FileFacts facts;
  if (fd < 0 || !FactsOf(fd, &facts) || !facts.regular) return true;

  // A new file beside it, where one can be made, takes its place once the
  // report is whole.
  int unused = 0;
  const int beside = CreateBeside(output->target, &output->temporary, &unused);
  std::FILE* stream = nullptr;
  if (beside >= 0) {
    stream = WritingStream(beside);
    if (stream == nullptr) {
      CloseFile(beside);
      RemoveFile(output->temporary);
    }
  }
  if (stream != nullptr) {
    std::fclose(out);
    output->stream = stream;
    return true;
  }
  output->temporary.clear();

  // Else the file itself, emptied and written from its start.
  if (std::fflush(out) != 0 || !EmptyFile(fd)) return false;
  return std::fseek(out, 0, SEEK_SET) == 0;
}

bool FinishOutputFile(OutputFile* output) {
  std::FILE* out = output->stream;
  output->stream = nullptr;
  if (out == nullptr) return false;
  bool written = std::fflush(out) == 0 && std::ferror(out) == 0;
  if (output->temporary.empty()) return std::fclose(out) == 0 && written;

  // On the disk before it takes the old file's place, or a crash could
  // leave an empty file where the old report was.
  written = written && SyncFile(DescriptorOf(out));
  written = std::fclose(out) == 0 && written;
  written = written && RenameOver(output->temporary, output->target);
  if (!written) RemoveFile(output->temporary);
  output->temporary.clear();
  return written;
}

void AbandonOutputFile(OutputFile* output) {
  if (output->stream != nullptr) std::fclose(output->stream);
  output->stream = nullptr;
  if (!output->temporary.empty()) RemoveFile(output->temporary);
  output->temporary.clear();
}
