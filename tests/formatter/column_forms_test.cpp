// The column forms agree with the field reference: every row kind has one, with a form for
// each value the reader takes, of the same type.
#include "formatter/column_forms.h"

#include <gtest/gtest.h>

namespace scenario::testing {
namespace {

TEST(ColumnForms, OneFormPerValueOfEveryRowKind) {
  for (const RowKindEntry& kind : row_kind_entries()) {
    SCOPED_TRACE(std::string(kind.keyword));
    const std::span<const ValueForm> form = column_form(kind);
    if (kind.blank_separated) {
      // The clock's numbers share one field.
      ASSERT_EQ(form.size(), 1u);
      EXPECT_EQ(form[0].type, ValueType::kClock);
      continue;
    }
    ASSERT_EQ(form.size(), kind.fields.size());
    for (size_t i = 0; i < form.size(); ++i) {
      const bool text = kind.fields[i].width == "text";
      EXPECT_EQ(form[i].type, text ? ValueType::kText : ValueType::kNumber) << "value " << i;
    }
  }
}

TEST(ColumnForms, SourceKindFromTheFileName) {
  EXPECT_EQ(source_kind_of("dir/Lindeva_Querno_linea.txt"), SourceKind::kLine);
  EXPECT_EQ(source_kind_of("Lindeva_Querno_40716-.txt"), SourceKind::kTrain);
  EXPECT_EQ(source_kind_of("Lindeva_Querno_40716_note.txt"), std::nullopt);
  EXPECT_EQ(source_kind_of("_linea.txt"), std::nullopt);
  EXPECT_EQ(source_kind_of("x_linea.txt/"), std::nullopt);
}

}  // namespace
}  // namespace scenario::testing
