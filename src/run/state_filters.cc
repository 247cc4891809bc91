// The options a state keeps: those that decide which lines count and how
// their times are read.
#include <string>

#include "options.h"
#include "run/state_sections.h"

CountingOptions CountingOptionsOf(const Options& options) {
  auto shown = [](const char* value) { return value == nullptr ? std::string("(none)") : std::string(value); };
  auto bound = [](const char* text, std::int64_t local, std::int64_t standard) {
    if (text == nullptr) return std::string("(none)");
    return std::string(text) + " (" + std::to_string(local) + ", " + std::to_string(standard) + ")";
  };
  return {
      {"-r", shown(options.RootPath)},
      {"-e", shown(options.ExcludeIP)},
      {"-s", shown(options.ServerIP)},
      {"-p", shown(options.ExcludePattern)},
      {"--from", bound(options.range_from_text, options.range_from, options.comma_range_from)},
      {"--to", bound(options.range_to_text, options.range_to, options.comma_range_to)},
      {"time zone", std::to_string(options.seconds_west) + " seconds west of UTC"},
      {"--client", shown(options.client_field)},
      {"--trusted-proxy", shown(options.trusted_proxies)},
      {"--site", shown(options.sites)},
      {"--robots", options.exclude_robots ? "exclude" : "(none)"},
      {"--own-host", shown(options.own_hosts)},
  };
}

bool ReadCountingOptions(StateReader* in, CountingOptions* options) {
  const std::uint64_t count = in->Count(2);
  for (std::uint64_t i = 0; i < count && in->ok(); ++i) {
    std::string name(in->Text());
    std::string value(in->Text());
    options->emplace_back(std::move(name), std::move(value));
  }
  return in->ok();
}
