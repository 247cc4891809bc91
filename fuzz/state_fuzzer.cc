// The state reader (--state=FILE) on damaged and made-up states.
//
// Input: a state file as it is; or, when it does not begin as one, the
// body of a state, given a whole header and a checksum that matches, so
// that the sections are read however damaged they are.
//
// Properties:
// - reading ends, with the state taken or a message, never a fault, and
//   no count in the file makes it reserve memory the file cannot fill;
// - a message names the file and ends its line; into a file or a pipe the
//   options a state was made with are shown as they are, so a value that
//   holds a line feed (a -p list may) spans lines, and only a terminal's
//   escaping keeps the message on one;
// - a state taken is written back the same way: taken again, it writes the
//   same bytes.
#include <string>

#include "fuzz_input.h"
#include "run/run.h"
#include "run/state_file.h"
#include "run/state_sections.h"

namespace {

constexpr std::uint64_t kSeed = 0x1234'5678'9abc'def0;

// A run as the program starts one, with a fixed hash seed, so that its
// state writes its records in the same order each time.
struct QuietRun {
  QuietRun() : run(nullptr, nullptr, 0) {
    run.stats.hash_seed = kSeed;
    run.state.filters = CountingOptionsOf(run.options);
  }
  Run run;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view input(reinterpret_cast<const char*>(data), size);
  const std::string bytes =
      input.starts_with("VXSTATE\n") ? std::string(input) : SealState(input);
  QuietRun first;
  const std::string message = TakeState(&first.run, bytes, "s");
  if (!message.empty()) {
    FUZZ_CHECK(message.find("'s'") != std::string::npos);
    FUZZ_CHECK(message.back() == '\n');
    QuietRun shown;
    shown.run.options.message_escape = TextEscape::kTerminal;
    const std::string escaped = TakeState(&shown.run, bytes, "s");
    FUZZ_CHECK(escaped.find('\n') == escaped.size() - 1);
    return 0;
  }
  const std::string written = MakeState(first.run);
  QuietRun second;
  FUZZ_CHECK(TakeState(&second.run, written, "s").empty());
  FUZZ_CHECK(MakeState(second.run) == written);
  return 0;
}
