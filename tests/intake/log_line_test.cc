#include "intake/log_line.h"

#include <gtest/gtest.h>

#include <string>
#include <string_view>
#include <vector>

#include "bytes/text_buffer.h"
#include "options.h"
#include "test_util.h"

namespace {

using namespace std::string_view_literals;

constexpr std::string_view kAbsent = "(absent)";

// The count and the 14 slots, absent ones marked, trailing absent ones cut.
std::vector<std::string> Slots(const LogFields& fields) {
  std::vector<std::string> out;
  out.push_back(std::to_string(fields.count));
  for (int i = 0; i < kFieldCount; ++i) {
    out.push_back(fields.Present(i) ? std::string(fields.slot[i])
                                    : std::string(kAbsent));
  }
  while (out.size() > 1 && out.back() == kAbsent) out.pop_back();
  return out;
}

std::vector<std::string> Tokenize(std::string_view line) {
  LogFields fields;
  TokenizeLine(line, &fields);
  return Slots(fields);
}

TEST(LogLineTest, TokenizeStandardLine) {
  std::string line =
      "192.168.0.10, -, 03/20/01, 7:55:20, W3SVC1, WEBSRV, 192.168.0.1, 47, "
      "163, 322, 200, 0, GET, /index.htm, -,\n";
  EXPECT_EQ((std::vector<std::string>{
                "14", "192.168.0.10", "(absent)", "03/20/01", "7:55:20",
                "W3SVC1", "WEBSRV", "192.168.0.1", "47", "163", "322", "200",
                "0", "GET", "/index.htm"}),
            Tokenize(line));
}

TEST(LogLineTest, TokenizeRules) {
  struct Case {
    std::string_view line;
    std::vector<std::string> slots;
  };
  const Case cases[] = {
      {"", {"0"}},
      {"\n", {"1"}},  // one token of white space: absent but counted
      {",,,,", {"0"}},
      {",,a,b\n", {"2", "a", "b\n"}},
      // Adjacent commas are one separator; trailing blanks stay.
      {"a,,b,  c  ,", {"3", "a", "b", "c  "}},
      // A dash alone, or after white space, is absent; "- " is not.
      {"-, -,- ,\t-,  ,--", {"6", "(absent)", "(absent)", "- ", "(absent)",
                             "(absent)", "--"}},
      {" \t\n\v\f\rx", {"1", "x"}},
      {"x\r", {"1", "x\r"}},
      // Exactly 14 fields and no trailing comma: the line feed stays.
      {"0,1,2,3,4,5,6,7,8,9,10,11,12,/x\n",
       {"14", "0", "1", "2", "3", "4", "5", "6", "7", "8", "9", "10", "11",
        "12", "/x\n"}},
      // Tokenizing stops at 14: the rest is neither read nor counted.
      {"0,1,2,3,4,5,6,7,8,9,10,11,12,13,14,15,16\n",
       {"14", "0", "1", "2", "3", "4", "5", "6", "7", "8", "9", "10", "11",
        "12", "13"}},
      // The text ends at its first NUL.
      {"a,b\0,c,d\n"sv, {"2", "a", "b"}},
      {"\0a,b"sv, {"0"}},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(c.slots, Tokenize(c.line)) << "line \"" << c.line << "\"";
  }
}

TEST(LogLineTest, TokenizeForgetsThePreviousLine) {
  const std::string full = IisLine(IisFields());
  LogFields fields;
  TokenizeLine(full, &fields);
  TokenizeLine("a, -,", &fields);
  EXPECT_EQ((std::vector<std::string>{"2", "a"}), Slots(fields));
}

TEST(LogLineTest, AdjacentCommasShiftLaterFields) {
  // An empty user-name field moves the server name into the service slot.
  std::string line = IisLineWith(1, "");
  line.erase(line.find(", ,"), 2);  // "a,, b" rather than "a, , b"
  LogFields fields;
  TokenizeLine(line, &fields);
  EXPECT_EQ(14, fields.count);
  EXPECT_EQ("WEBSRV", fields.slot[kService]);

  // A user name of one blank keeps every field in place.
  const std::string blank = IisLineWith(1, " ");
  TokenizeLine(blank, &fields);
  EXPECT_FALSE(fields.Present(1));
  EXPECT_EQ("W3SVC1", fields.slot[kService]);
}

struct FilterCase {
  std::string line;
  LineVerdict verdict;
  const char* root_path = "";
  const char* server_ip = nullptr;
  const char* exclude_ip = nullptr;
  const char* exclude_pattern = nullptr;  // nullptr: the default list
};

LineVerdict Filter(const FilterCase& c) {
  Options options;
  options.RootPath = c.root_path;
  options.ServerIP = c.server_ip;
  options.ExcludeIP = c.exclude_ip;
  if (c.exclude_pattern != nullptr) options.ExcludePattern = c.exclude_pattern;
  LineFilters filters = CompileFilters(options);
  LogFields fields;
  TokenizeLine(c.line, &fields);
  return FilterLine(fields, filters);
}

TEST(LogLineTest, FilterChain) {
  using V = LineVerdict;
  std::vector<std::string> short_fields = IisFields();
  short_fields.resize(12);  // the line feed is the 13th token
  const FilterCase cases[] = {
      {IisLine(IisFields()), V::kAccepted},
      {IisLine(short_fields), V::kIncomplete},
      {"\n", V::kIncomplete},
      // 1. Service: "W3SVC" at the start, case-sensitive.
      {IisLineWith(kService, "W3SVC"), V::kAccepted},
      {IisLineWith(kService, "W3SVC12"), V::kAccepted},
      {IisLineWith(kService, "w3svc1"), V::kWrongService},
      {IisLineWith(kService, "W3SV"), V::kWrongService},
      {IisLineWith(kService, "MSFTPSVC1"), V::kWrongService},
      {IisLineWith(kService, "-"), V::kWrongService},
      // 2. Method: exactly "GET".
      {IisLineWith(kMethod, "get"), V::kWrongMethod},
      {IisLineWith(kMethod, "HEAD"), V::kWrongMethod},
      {IisLineWith(kMethod, "POST"), V::kWrongMethod},
      {IisLineWith(kMethod, "GET "), V::kWrongMethod},
      {IisLineWith(kMethod, "GETS"), V::kWrongMethod},
      {IisLineWith(kMethod, "-"), V::kWrongMethod},
      // 3. Server address: always present; in the -s list when given.
      {IisLineWith(kServerIp, "-"), V::kWrongServerIp},
      {IisLine(IisFields()), V::kAccepted, "", "192.168.0.*"},
      {IisLine(IisFields()), V::kAccepted, "", "10.*.*.*,192.168.0.1"},
      {IisLine(IisFields()), V::kWrongServerIp, "", "10.*.*.*"},
      {IisLine(IisFields()), V::kWrongServerIp, "", ""},  // -s with nothing
      {IisLine(IisFields()), V::kWrongServerIp, "", "1.2.3,192.168.0.*"},
      // 4. Root path: a byte-exact prefix of the target.
      {IisLineWith(kTarget, "-"), V::kWrongRootPath},
      {IisLineWith(kTarget, "/shop/a.htm"), V::kAccepted, "/shop"},
      {IisLineWith(kTarget, "/shopping"), V::kAccepted, "/shop"},
      {IisLineWith(kTarget, "/shop"), V::kAccepted, "/shop"},
      {IisLineWith(kTarget, "/Shop/a.htm"), V::kWrongRootPath, "/shop"},
      {IisLineWith(kTarget, "/sho"), V::kWrongRootPath, "/shop"},
      // 5. Client address: always present; not in the -e list.
      {IisLineWith(kClientIp, "-"), V::kExcludedClientIp},
      {IisLine(IisFields()), V::kExcludedClientIp, "", nullptr, "192.168.*.*"},
      {IisLine(IisFields()), V::kAccepted, "", nullptr, "10.*.*.*"},
      {IisLine(IisFields()), V::kAccepted, "", nullptr, ""},
      {IisLine(IisFields()), V::kAccepted, "", nullptr, "1.2.3,192.168.*.*"},
      // 6. Name patterns, "*.gif,*.jpg" unless -p says otherwise.
      {IisLineWith(kTarget, "/logo.gif"), V::kExcludedPattern},
      {IisLineWith(kTarget, "/img/LOGO.JPG"), V::kExcludedPattern},
      {IisLineWith(kTarget, "/a.b.gif"), V::kAccepted},
      {IisLineWith(kTarget, "/logo.gif"), V::kAccepted, "", nullptr, nullptr,
       ""},
      {IisLineWith(kTarget, "/a.htm"), V::kExcludedPattern, "", nullptr,
       nullptr, "*.htm"},
      // 7. Bytes, date and time present; the bytes need not be a number.
      {IisLineWith(kServerBytes, "-"), V::kMissingParameter},
      {IisLineWith(kDate, "-"), V::kMissingParameter},
      {IisLineWith(kTime, "-"), V::kMissingParameter},
      {IisLineWith(kServerBytes, "abc"), V::kAccepted},
      // The first failing test decides.
      // A 14-field line keeps its line feed in the target, past "*.gif".
      {"a, b, c, d, W3SVC, f, g, h, i, j, k, l, GET, /a.gif\n", V::kAccepted},
      {"a, b, c, d, x, f, -, h, i, -, k, l, POST, -, o,\n",
       V::kWrongService},
      {"a, b, c, d, W3SVC, f, -, h, i, -, k, l, POST, -, o,\n",
       V::kWrongMethod},
      {"a, b, c, d, W3SVC, f, -, h, i, -, k, l, GET, -, o,\n",
       V::kWrongServerIp},
      {"-, b, c, d, W3SVC, f, g, h, i, -, k, l, GET, -, o,\n",
       V::kWrongRootPath},
      {"-, b, c, d, W3SVC, f, g, h, i, -, k, l, GET, /x.gif, o,\n",
       V::kExcludedClientIp},
      {"a, b, -, -, W3SVC, f, g, h, i, -, k, l, GET, /x.gif, o,\n",
       V::kExcludedPattern},
      {"a, b, -, -, W3SVC, f, g, h, i, -, k, l, GET, /x.htm, o,\n",
       V::kMissingParameter},
  };
  for (const FilterCase& c : cases) {
    EXPECT_EQ(static_cast<int>(c.verdict), static_cast<int>(Filter(c)))
        << "line \"" << c.line << "\" root \"" << c.root_path << "\"";
  }
}

// The message of the verdict that the line gets, written to a stream.
std::string Rejection(const std::string& line, Options options = Options()) {
  LogFields fields;
  TokenizeLine(line, &fields);
  LineVerdict verdict = FilterLine(fields, CompileFilters(options));
  TextBuffer out;
  WriteRejection(&out, verdict, fields, options);
  return out.text();
}

TEST(LogLineTest, RejectionMessages) {
  std::vector<std::string> short_fields = IisFields();
  short_fields.resize(12);  // the line feed is the 13th token
  EXPECT_EQ("  Skipping line due to incomplete data (13 tokens)\n",
            Rejection(IisLine(short_fields)));
  EXPECT_EQ("  Skipping line due to incomplete data (0 tokens)\n",
            Rejection(",,,"));
  EXPECT_EQ("  Skipping line due to wrong service (!W3SVC)\n",
            Rejection(IisLineWith(kService, "W3SV")));
  EXPECT_EQ("  Skipping line due to wrong mode of operation (!GET)\n",
            Rejection(IisLineWith(kMethod, "HEAD")));
  EXPECT_EQ("  Skipping line due to wrong server IP number\n",
            Rejection(IisLineWith(kServerIp, "-")));
  // The root path message names the option, not the line's target.
  Options shop;
  shop.RootPath = "/shop";
  EXPECT_EQ("  Skipping line due to wrong root path (/shop)\n",
            Rejection(IisLineWith(kTarget, "/Shop/a.htm"), shop));
  EXPECT_EQ("  Skipping line due to wrong root path ()\n",
            Rejection(IisLineWith(kTarget, "-")));
  EXPECT_EQ("  Skipping line. User IP is on exclude list(*undefined IP*)\n",
            Rejection(IisLineWith(kClientIp, "-")));
  EXPECT_EQ("  Skipping line. File is on exclude list (/logo.gif)\n",
            Rejection(IisLineWith(kTarget, "/logo.gif")));
  EXPECT_EQ("  Skipping line due to missing parameter\n",
            Rejection(IisLineWith(kServerBytes, "-")));
  Options exclude;
  exclude.ExcludeIP = "192.168.0.*";
  EXPECT_EQ("  Skipping line. User IP is on exclude list(192.168.0.10)\n",
            Rejection(IisLine(IisFields()), exclude));
  // A 14-field line keeps its line feed in the target, and the message
  // shows it.
  Options gif;
  gif.ExcludePattern = "*.gif*";
  EXPECT_EQ("  Skipping line. File is on exclude list (/a.gif\n)\n",
            Rejection("a, b, c, d, W3SVC, f, g, h, i, j, k, l, GET, /a.gif\n",
                      gif));
}

}  // namespace
