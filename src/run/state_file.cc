#include "run/state_file.h"

#include <cerrno>
#include <cstdio>
#include <cstring>

#include "bytes/field_text.h"
#include "bytes/hash.h"
#include "platform/file.h"
#include "platform/file_replace.h"
#include "run/run.h"
#include "run/state_sections.h"
#include "texts.h"

namespace {

constexpr std::string_view kMagic = "VXSTATE\n";
constexpr std::size_t kHeaderSize = 8 + 4 + 8 + 8;
// A fixed seed: the checksum must be the same in every run.
constexpr std::uint64_t kChecksumSeed = 0x7374'6174'6501'0000;

std::uint64_t StateChecksum(std::string_view body) { return HashBytes(body, kChecksumSeed); }

// What a record takes in a state, about: room reserved for the bytes.
constexpr std::size_t kBytesPerRecord = 40;

void PutLittleEndian(std::uint64_t value, int size, char* at) {
  for (int i = 0; i < size; ++i) at[i] = static_cast<char>(value >> (8 * i) & 0xFF);
}

std::uint64_t LittleEndian(std::string_view bytes) {
  std::uint64_t value = 0;
  for (std::size_t i = bytes.size(); i-- > 0;) {
    value = value << 8 | static_cast<unsigned char>(bytes[i]);
  }
  return value;
}

// A message of `format` with its arguments, however long they are.
template <typename... Args>
std::string Formatted(const char* format, Args... args) {
  const int size = std::snprintf(nullptr, 0, format, args...);
  if (size <= 0) return {};
  std::string text(static_cast<std::size_t>(size) + 1, '\0');
  std::snprintf(text.data(), text.size(), format, args...);
  text.resize(static_cast<std::size_t>(size));
  return text;
}

// The first option whose value differs, as a message; empty when none does.
std::string FiltersDiffer(const CountingOptions& made, const CountingOptions& now,
                          const char* program, const char* name, TextEscape escape) {
  for (const auto& [option, value] : now) {
    std::string made_value = "(none)";
    for (const auto& [made_option, made_with] : made) {
      if (made_option == option) made_value = made_with;
    }
    if (made_value == value) continue;
    const FieldText was(made_value, escape);
    const FieldText is(value, escape);
    return Formatted(texts::kStateOtherFilters, program, name, option.c_str(), was.text,
                     option.c_str(), is.text);
  }
  return {};
}

// Reads the whole file at `path` into `bytes`; false when it cannot be read
// (`*missing` when there is no such file).
bool ReadWholeFile(const char* path, std::string* bytes, bool* missing) {
  int error = 0;
  const int fd = OpenForReading(path, &error);
  if (fd < 0) {
    *missing = error == ENOENT;
    return false;
  }
  // Read straight into the text, grown when the file grew meanwhile.
  FileFacts facts;
  bool read = FactsOf(fd, &facts) && facts.regular;
  std::size_t size = 0;
  long n = 0;
  if (read) bytes->resize(static_cast<std::size_t>(facts.size) + 1);
  while (read && (n = ReadSome(fd, bytes->data() + size, bytes->size() - size)) > 0) {
    size += static_cast<std::size_t>(n);
    if (size == bytes->size()) bytes->resize(size * 2);
  }
  bytes->resize(size);
  CloseFile(fd);
  return read && n == 0;
}

}  // namespace

std::string MakeState(const Run& run) {
  // Written in place, each section's length and the header filled in after:
  // a state of a million records is never copied whole.
  StateWriter state;
  std::string& bytes = state.bytes();
  bytes.reserve(kHeaderSize + kBytesPerRecord * (run.stats.users.size() + run.stats.pages.size()));
  bytes.append(kHeaderSize, '\0');
  for (const StateSection& section : StateSections()) {
    state.Unsigned(section.number);
    const std::size_t length_at = bytes.size();
    state.Fixed64(0);
    section.write(run, &state);
    PutLittleEndian(bytes.size() - length_at - 8, 8, bytes.data() + length_at);
  }
  const std::string_view body = std::string_view(bytes).substr(kHeaderSize);
  bytes.replace(0, kMagic.size(), kMagic);
  PutLittleEndian(kStateVersion, 4, bytes.data() + 8);
  PutLittleEndian(body.size(), 8, bytes.data() + 12);
  PutLittleEndian(StateChecksum(body), 8, bytes.data() + 20);
  return bytes;
}

std::string SealState(std::string_view body, std::uint32_t version) {
  std::string bytes(kHeaderSize, '\0');
  bytes.replace(0, kMagic.size(), kMagic);
  PutLittleEndian(version, 4, bytes.data() + 8);
  PutLittleEndian(body.size(), 8, bytes.data() + 12);
  PutLittleEndian(StateChecksum(body), 8, bytes.data() + 20);
  return bytes.append(body);
}

std::string TakeState(Run* run, std::string_view bytes, const char* name) {
  const char* program = run->options.ProgramName;
  auto damaged = [&](const char* why) {
    return Formatted(texts::kStateDamaged, program, name, why);
  };
  if (bytes.size() < kMagic.size() || !bytes.starts_with(kMagic)) {
    return damaged(texts::kStateNotAState);
  }
  if (bytes.size() < kHeaderSize) return damaged(texts::kStateCutShort);
  const auto version = static_cast<std::uint32_t>(LittleEndian(bytes.substr(8, 4)));
  if (version != kStateVersion) {
    return Formatted(texts::kStateOtherVersion, program, name, version, kStateVersion);
  }
  const std::uint64_t size = LittleEndian(bytes.substr(12, 8));
  const std::string_view body = bytes.substr(kHeaderSize);
  if (size != body.size()) return damaged(texts::kStateCutShort);
  if (LittleEndian(bytes.substr(20, 8)) != StateChecksum(body)) {
    return damaged(texts::kStateChecksum);
  }

  StateReader in(body);
  bool first = true;
  for (const StateSection& section : StateSections()) {
    const std::string why = Formatted(texts::kStateBadSection, section.name);
    const std::uint64_t number = in.Unsigned();
    StateReader part(in.Bytes(in.Fixed64()));
    if (!in.ok() || number != section.number) return damaged(why.c_str());
    if (first) {
      // The filters first: a state of others is named as that.
      CountingOptions made;
      if (!ReadCountingOptions(&part, &made) || !part.at_end()) return damaged(why.c_str());
      std::string differ =
          FiltersDiffer(made, run->state.filters, program, name, run->options.message_escape);
      if (!differ.empty()) return differ;
      first = false;
      continue;
    }
    if (!section.read(run, &part) || !part.at_end()) return damaged(why.c_str());
  }
  if (!in.at_end()) return damaged(texts::kStateExtraBytes);
  return {};
}

bool LoadState(Run* run) {
  const Options& options = run->options;
  run->state.filters = CountingOptionsOf(options);
  run->state.taken = true;
  const FieldText name(run->state.path, options.message_escape);
  std::string bytes;
  bool missing = false;
  if (!ReadWholeFile(run->state.path, &bytes, &missing)) {
    if (missing) return true;  // the first run under this state
    run->progress.Erase();
    std::fprintf(run->err, texts::kStateUnreadable, options.ProgramName, name.text);
    return false;
  }
  run->state.exists = IdentityOf(run->state.path, &run->state.identity);
  const std::string problem = TakeState(run, bytes, name.text);
  if (problem.empty()) return true;
  run->progress.Erase();
  std::fputs(problem.c_str(), run->err);
  return false;
}

bool StateFiltersChanged(Run* run) {
  const FieldText name(run->state.path, run->options.message_escape);
  const std::string differ = FiltersDiffer(run->state.filters, CountingOptionsOf(run->options),
                                           run->options.ProgramName, name.text,
                                           run->options.message_escape);
  if (differ.empty()) return false;
  run->progress.Erase();
  std::fputs(differ.c_str(), run->err);
  return true;
}

bool SaveState(Run* run) {
  const std::string bytes = MakeState(*run);
  const std::string target = FollowLinks(run->state.path);
  std::string temporary;
  int error = 0;
  const int fd = CreateBeside(target, &temporary, &error);
  std::FILE* stream = fd >= 0 ? WritingStream(fd) : nullptr;
  bool saved = stream != nullptr;
  if (saved) {
    KeepLineFeeds(stream);
    saved = std::fwrite(bytes.data(), 1, bytes.size(), stream) == bytes.size();
    saved = std::fflush(stream) == 0 && saved && SyncFile(DescriptorOf(stream));
    saved = std::fclose(stream) == 0 && saved;
    saved = saved && RenameOver(temporary, target);
  } else if (fd >= 0) {
    CloseFile(fd);
  }
  if (!saved) {
    if (!temporary.empty()) RemoveFile(temporary);
    run->progress.Erase();
    std::fprintf(run->err, texts::kStateNotSaved, run->options.ProgramName,
                 FieldText(run->state.path, run->options.message_escape).text);
  }
  return saved;
}
