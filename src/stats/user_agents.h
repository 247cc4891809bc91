// Browsers and operating systems among user agents: the family and major
// version of each, from the browser and system expressions of the vendored
// uap-core list (data/uap-core, made by data/refresh-agents.sh). The first
// expression of a list (in list order) that matches an agent names it, with
// the list's replacements for the name and the version; "Other" when none
// does. Pure: no I/O, no state beyond the compiled list.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <regex>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "stats/needed_texts.h"

/// What an agent runs as and on; the majors are empty when not known.
struct AgentFamily {
  std::string browser = "Other";  // "Chrome", "Firefox", "Mobile Safari", "Other"
  std::string browser_major;      // "120", or empty
  std::string system = "Other";   // "Windows", "Mac OS X", "Android", "Other"
  std::string system_major;       // "10", or empty
};

/// An expression of the list is compiled the first time an agent needs it
/// tried (compiling them all costs more than a small log's whole run, and
/// most agents of a log need few of them): a parser is for one thread.
class AgentParser {
 public:
  /// Indexes the texts the expressions need.
  AgentParser();

  /// The browser and system of `agent` (as AgentText in stats/robots.h
  /// gives it). Only its first kMaxParsedBytes bytes are read.
  AgentFamily Parse(std::string_view agent) const;

  /// The expressions this library can read, all compiled to know.
  std::size_t expression_count() const;

  /// The expressions are tried on this much of an agent, no more: the
  /// library walks a match byte by byte on the stack, and no name or
  /// version of the list lies so far in.
  static constexpr std::size_t kMaxParsedBytes = 512;

 private:
  struct Expression {
    const char* source;  // ECMAScript
    std::regex::flag_type flags;
    std::string_view prefix;      // every match begins with it; or empty
    const char* name = nullptr;   // the list's replacement, or nullptr
    const char* major = nullptr;  // likewise
    bool browser = true;          // of the browser list, else the system list
    bool needs_text = false;      // tried only when a needed text is there
    NeededTexts needed;           // and where the texts its source needs are
    // Compiled when first tried; left out (never matching) when this
    // library cannot read it.
    mutable std::unique_ptr<std::regex> regex;
    mutable bool unreadable = false;
  };
  // A text in lower case that some expressions cannot match without (or
  // without one of a few such texts), and those expressions.
  struct Needed {
    std::string_view text;
    std::vector<std::uint32_t> expressions;
  };

  // The leftmost match of `e` in `agent`, tried only where its prefix stands.
  static bool Search(std::string_view agent, const Expression& e, std::cmatch* match);
  // The expression compiled, or nullptr when it cannot be.
  static const std::regex* Compiled(const Expression& e);

  std::vector<Expression> expressions_;  // browsers, then systems, in list order
  std::vector<Needed> needed_;
  std::unordered_map<std::uint16_t, std::vector<std::uint32_t>> by_first_two_;
};
