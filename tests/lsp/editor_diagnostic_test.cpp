// A diagnostic's range covers its field as the field stream cuts it.
#include "lsp/editor_diagnostic.h"

#include <gtest/gtest.h>

namespace scenario::lsp {
namespace {

TEST(EditorDiagnostic, TheRangeCoversTheFieldAsTheReaderCutsIt) {
  const struct {
    const char* what;
    const char* line;
    int32_t column;
    int start, end;  // protocol characters
  } cases[] = {
      {"a number ends at a blank", "orologio,    6   54  30", 14, 13, 14},
      {"a text runs to the comma, trailing blanks aside", "cartello_indicatore, 450, (A B)  ,", 27,
       26, 31},
      {"a quoted text to its closing quote", "stazione, 50, \"BORGO, SCALO\"", 15, 14, 28},
      {"a malformed number to where it stops", "velocita, 1x00, 60", 11, 10, 14},
      {"a keyword", "pendanza,  2000,   4", 1, 0, 8},
      {"past the line's end, one character", "pendenza, 2000", 15, 14, 15},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    EditorDiagnostic d;
    d.file = "T_linea.txt";
    d.line = 1;
    d.column = c.column;
    const Json j = lsp_diagnostic(d, c.line, true);
    EXPECT_EQ(j["range"]["start"]["character"], c.start);
    EXPECT_EQ(j["range"]["end"]["character"], c.end);
  }
}

}  // namespace
}  // namespace scenario::lsp
