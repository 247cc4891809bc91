#include "intake/file_mark.h"

#include <gtest/gtest.h>

#include "intake/file_format.h"

namespace {

// A W3C layout, noted in a mark and rebuilt from it, splits lines as the
// #Fields: line that made it: the same slots, field count, date and
// placements (which decide what the splitter fills).
TEST(FileMarkTest, LayoutRebuiltAsItsFieldsLineMadeIt) {
  const char* const lines[] = {
      "#Fields: date time s-ip cs-method cs-uri-stem c-ip sc-status",
      "#Fields: C-IP x y DATE  time\tcs-uri-stem cs-uri-stem sc-bytes",  // case, repeats
      "#Fields:",                                                     // names nothing
      "#Fields: a b c d e f g h i j k l m n o p q r s t cs-uri-stem",
  };
  for (const char* line : lines) {
    for (bool status : {false, true}) {
      SCOPED_TRACE(line);
      FileFormat read;
      read.extras.status = status;
      read.Note({"#Software: IIS\n"});
      read.Note({"#Date: 2024-03-20 00:00:00\n"});
      read.Note({line});
      FileMark mark;
      MarkFormat(read, &mark);
      ASSERT_TRUE(MarkFormatValid(mark));
      FileFormat resumed;
      resumed.extras.status = status;
      ResumeFormat(mark, &resumed);
      EXPECT_TRUE(resumed.w3c);
      EXPECT_EQ(read.layout.ToString(), resumed.layout.ToString());
      EXPECT_EQ(read.layout.directive_date, resumed.layout.directive_date);
      EXPECT_EQ(read.layout.unnamed, resumed.layout.unnamed);
      ASSERT_EQ(read.layout.placement_count, resumed.layout.placement_count);
      for (int i = 0; i < read.layout.placement_count; ++i) {
        EXPECT_EQ(read.layout.placements[i].field, resumed.layout.placements[i].field);
        EXPECT_EQ(read.layout.placements[i].slot, resumed.layout.placements[i].slot);
      }
    }
  }
}

// A mark from a damaged state may name any positions: only those a
// #Fields: line could give are taken.
TEST(FileMarkTest, ImpossibleLayoutsAreRefused) {
  struct Case {
    bool known;
    std::int32_t count;
    int slot;
    std::int32_t field;
    bool valid;
  } cases[] = {
      {true, 3, 0, 2, true},          {true, 3, 0, 3, false},  // past the count
      {true, 3, 0, -2, false},        {false, 1, 0, -1, false},  // a count without a layout
      {true, kMaxFieldsInMark + 1, 0, 0, false},
      {true, kMaxFieldsInMark, 13, kMaxFieldsInMark - 1, true},
  };
  for (const Case& c : cases) {
    FileMark mark;
    mark.fields_known = c.known;
    mark.field_count = c.count;
    mark.field_of_slot[static_cast<std::size_t>(c.slot)] = c.field;
    EXPECT_EQ(c.valid, MarkFormatValid(mark)) << c.count << " " << c.field;
  }
  FileMark twice;
  twice.fields_known = true;
  twice.field_count = 2;
  twice.field_of_slot[0] = 1;
  twice.field_of_slot[1] = 1;  // two slots at one position
  EXPECT_FALSE(MarkFormatValid(twice));
}

}  // namespace
