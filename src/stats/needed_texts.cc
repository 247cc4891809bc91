#include "stats/needed_texts.h"

#include <algorithm>
#include <cstring>
#include <iterator>

namespace {

using Texts = std::vector<std::string>;

char Lower(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

// strchr() would find the NUL that ends `set`.
bool IsOneOf(char c, const char* set) { return c != '\0' && std::strchr(set, c) != nullptr; }

bool IsWordByte(char c) {
  return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9');
}

// Reads an expression a byte at a time, the groups by recursion. Whatever
// it does not understand makes it give up (`understood` false), never
// guess: a text wrongly taken for needed would lose matches.
class Reader {
 public:
  explicit Reader(std::string_view pattern) : p_(pattern) {}

  NeededTexts Read() {
    NeededTexts needed;
    needed.alternatives = Alternatives(0);
    const bool any_without = std::any_of(needed.alternatives.begin(), needed.alternatives.end(),
                                         [](const Texts& texts) { return texts.empty(); });
    if (!understood_ || i_ != p_.size() || any_without) needed.alternatives.clear();
    return needed;
  }

 private:
  // The alternatives of a sequence, up to its closing ")" or the end.
  std::vector<Texts> Alternatives(int depth) {
    std::vector<Texts> alternatives(1);
    std::string run;  // needed bytes in a row
    auto end_run = [&] {
      if (!run.empty()) alternatives.back().push_back(std::move(run));
      run.clear();
    };
    while (understood_ && i_ < p_.size() && p_[i_] != ')') {
      const char c = p_[i_++];
      if (c == '|') {
        end_run();
        alternatives.emplace_back();
      } else if (c == '(') {
        end_run();
        Group(depth, &alternatives.back());
      } else if (c == '[') {
        end_run();
        SkipClass();
        SkipQuantifier();
      } else if (c == '\\') {
        if (i_ == p_.size()) {
          understood_ = false;
          break;
        }
        const char e = p_[i_++];
        // Hexadecimal, Unicode and control escapes, back references.
        if (e == 'x' || e == 'u' || e == 'c' || (e >= '0' && e <= '9')) {
          understood_ = false;
        } else if (IsWordByte(e)) {  // "\d", "\s", "\b" and the like
          end_run();
          SkipQuantifier();
        } else {
          Literal(e, &run, end_run);
        }
      } else if (IsOneOf(c, "?*+{")) {
        // A quantifier after what needs no text.
        end_run();
        --i_;
        SkipQuantifier();
      } else if (IsOneOf(c, ".^$}]")) {
        end_run();
        SkipQuantifier();
      } else {
        Literal(c, &run, end_run);
      }
    }
    end_run();
    if (depth == 0 && i_ < p_.size()) understood_ = false;  // a ")" too many
    return alternatives;
  }

  // A plain byte: needed unless what follows may leave it out.
  template <typename EndRun>
  void Literal(char c, std::string* run, EndRun end_run) {
    // Beyond ASCII, a library may fold case otherwise than this reader.
    if (static_cast<unsigned char>(c) >= 0x80) {
      end_run();
      SkipQuantifier();
      return;
    }
    const char next = i_ < p_.size() ? p_[i_] : '\0';
    if (next == '?' || next == '*' || next == '{') {
      end_run();
      SkipQuantifier();
      return;
    }
    *run += Lower(c);
    // "+" repeats it: what follows is after some repeat, not this one.
    if (next == '+') {
      end_run();
      SkipQuantifier();
    }
  }

  // A group, its "(" read: its texts are needed when it has one
  // alternative, is matched (no look-around) and cannot be left out.
  void Group(int depth, Texts* texts) {
    bool counts = true;
    if (p_.substr(i_).starts_with("?:")) {
      i_ += 2;
    } else if (p_.substr(i_).starts_with("?=") || p_.substr(i_).starts_with("?!")) {
      i_ += 2;
      counts = false;
    } else if (p_.substr(i_).starts_with("?<=") || p_.substr(i_).starts_with("?<!")) {
      i_ += 3;
      counts = false;
    } else if (i_ < p_.size() && p_[i_] == '?') {
      understood_ = false;
      return;
    }
    std::vector<Texts> inner = Alternatives(depth + 1);
    if (i_ == p_.size()) {
      understood_ = false;  // never closed
      return;
    }
    ++i_;  // ")"
    const char next = i_ < p_.size() ? p_[i_] : '\0';
    if (next == '?' || next == '*' || next == '{') counts = false;
    SkipQuantifier();
    if (counts && inner.size() == 1) {
      texts->insert(texts->end(), std::make_move_iterator(inner.front().begin()),
                    std::make_move_iterator(inner.front().end()));
    }
  }

  // A class of bytes, its "[" read: to its first "]" that no "\" escapes.
  void SkipClass() {
    while (i_ < p_.size() && p_[i_] != ']') i_ += p_[i_] == '\\' ? 2 : 1;
    if (i_ >= p_.size()) {
      understood_ = false;
      return;
    }
    ++i_;
  }

  // A quantifier after an atom, if any, with its lazy "?".
  void SkipQuantifier() {
    if (i_ >= p_.size()) return;
    if (p_[i_] == '{') {
      const std::size_t close = p_.find('}', i_);
      if (close == std::string_view::npos) {
        understood_ = false;
        return;
      }
      i_ = close + 1;
    } else if (p_[i_] == '?' || p_[i_] == '*' || p_[i_] == '+') {
      ++i_;
    } else {
      return;
    }
    if (i_ < p_.size() && p_[i_] == '?') ++i_;
  }

  std::string_view p_;
  std::size_t i_ = 0;
  bool understood_ = true;
};

}  // namespace

bool NeededTexts::MayMatch(std::string_view lowered) const {
  if (alternatives.empty()) return true;
  return std::any_of(alternatives.begin(), alternatives.end(), [&](const Texts& texts) {
    return std::all_of(texts.begin(), texts.end(), [&](const std::string& text) {
      return lowered.find(text) != std::string_view::npos;
    });
  });
}

NeededTexts ReadNeededTexts(std::string_view pattern) { return Reader(pattern).Read(); }

std::string LowerAscii(std::string_view text) {
  std::string lowered(text);
  std::transform(lowered.begin(), lowered.end(), lowered.begin(), Lower);
  return lowered;
}
