// Placeholder until the agent families land: every agent is "Other".
#pragma once

#include <string>
#include <string_view>

struct AgentFamily {
  std::string browser = "Other";
  std::string browser_major;
  std::string system = "Other";
  std::string system_major;
};

class AgentParser {
 public:
  AgentFamily Parse(std::string_view) const { return {}; }
};
