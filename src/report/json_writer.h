// JSON written as it is made, a value at a time, laid out as the library's
// dump with an indent of two spaces lays out a whole tree. Nothing but the
// value in hand is held, so a report of any size needs no more memory than
// its largest text, and running out of memory part way leaves nothing
// behind whose clean-up needs more.
#pragma once

#include <array>
#include <cstdint>
#include <cstdio>
#include <string_view>

class JsonWriter {
 public:
  explicit JsonWriter(std::FILE* out) : out_(out) {}

  void BeginObject() { Open('{'); }
  void EndObject() { Close('}'); }
  void BeginArray() { Open('['); }
  void EndArray() { Close(']'); }

  /// The next member's name, in an object; its value follows. Names are
  /// the layout's own, plain ASCII.
  void Key(const char* name);

  /// A text, which must be valid UTF-8.
  void String(std::string_view utf8);
  void Number(std::int64_t n);
  void Number(std::uint64_t n);
  void Null();

  /// Shorthands for a member with a value.
  template <typename Value>
  void Member(const char* name, Value value) {
    Key(name);
    Put(value);
  }

 private:
  void Put(std::string_view utf8) { String(utf8); }
  void Put(const char* utf8) { String(utf8); }
  void Put(std::int64_t n) { Number(n); }
  void Put(std::uint64_t n) { Number(n); }
  void Put(int n) { Number(std::int64_t{n}); }
  void Put(std::nullptr_t) { Null(); }

  // Before a value: the separator and indent that its container needs.
  void BeforeValue();
  void Open(char bracket);
  void Close(char bracket);
  void NewLine(int depth);

  std::FILE* out_;
  int depth_ = 0;
  std::array<bool, 16> has_member_{};  // by depth: a member or element written
  bool after_key_ = false;
};
