// The row kinds table: each kind's own keyword is recognised as that kind alone.
#include "formatter/row_forms.h"

#include <gtest/gtest.h>

namespace scenario::testing {
namespace {

TEST(RowForms, EachKeywordIsItsOwnKindAndNoOther) {
  for (const RowForm& form : row_forms()) {
    SCOPED_TRACE(std::string(form.keyword));
    const auto found = matching_row_forms(form.keyword, form.source, form.section);
    ASSERT_EQ(found.size(), 1u);
    EXPECT_EQ(found[0], &form);
  }
  // The section headers match no kind, as the readers pass over them.
  for (const char* header : {"[generale]", "[curve]", "[pendenze]", "[montagne]", "[cartelli]",
                             "[indicazioni]", "[fine]"}) {
    EXPECT_TRUE(matching_row_forms(header, SourceKind::kLine, RowSection::kBody).empty());
  }
  for (const char* header :
       {"[aderenze]", "[vel_limite]", "[stazioni]", "[rallentamenti]", "[segnali]", "[codici]"}) {
    EXPECT_TRUE(matching_row_forms(header, SourceKind::kTrain, RowSection::kBody).empty());
  }
}

}  // namespace
}  // namespace scenario::testing
