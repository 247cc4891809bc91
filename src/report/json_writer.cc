#include "report/json_writer.h"

#include <cinttypes>
#include <nlohmann/json.hpp>
#include <string>

void JsonWriter::NewLine(int depth) {
  std::fputc('\n', out_);
  for (int i = 0; i < depth; ++i) std::fputs("  ", out_);
}

void JsonWriter::BeforeValue() {
  if (after_key_) {
    after_key_ = false;
    return;
  }
  if (depth_ == 0) return;
  if (has_member_[static_cast<std::size_t>(depth_)]) std::fputc(',', out_);
  has_member_[static_cast<std::size_t>(depth_)] = true;
  NewLine(depth_);
}

void JsonWriter::Key(const char* name) {
  BeforeValue();
  std::fprintf(out_, "\"%s\": ", name);
  after_key_ = true;
}

void JsonWriter::Open(char bracket) {
  BeforeValue();
  std::fputc(bracket, out_);
  ++depth_;
  has_member_[static_cast<std::size_t>(depth_)] = false;
}

void JsonWriter::Close(char bracket) {
  // A container with members closes on a line of its own; an empty one
  // is "{}" or "[]".
  if (has_member_[static_cast<std::size_t>(depth_)]) NewLine(depth_ - 1);
  --depth_;
  std::fputc(bracket, out_);
}

void JsonWriter::String(std::string_view utf8) {
  BeforeValue();
  // The library's escaping, one text at a time; a text that is not UTF-8
  // would be the program's fault.
  const nlohmann::json text(std::string{utf8});
  const std::string quoted = text.dump(-1, ' ', false, nlohmann::json::error_handler_t::strict);
  std::fwrite(quoted.data(), 1, quoted.size(), out_);
}

void JsonWriter::Number(std::int64_t n) {
  BeforeValue();
  std::fprintf(out_, "%" PRId64, n);
}

void JsonWriter::Number(std::uint64_t n) {
  BeforeValue();
  std::fprintf(out_, "%" PRIu64, n);
}

void JsonWriter::Null() {
  BeforeValue();
  std::fputs("null", out_);
}
