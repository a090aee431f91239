// The one report of a source fault, as text and as JSON.
#include "source/diagnostic.h"

#include <gtest/gtest.h>

#include "source/diagnostic_json.h"
#include "source/status_codes.h"

namespace scenario {
namespace {

RowOrigin row(const char* file, int32_t line, int32_t column) {
  RowOrigin o;
  o.file = file;
  o.line = line;
  o.column = column;
  o.field_line = line;
  o.last_line = line;
  return o;
}

TEST(Diagnostic, TextQuotesTheRowWithACaretUnderTheField) {
  const std::map<std::string, std::string> texts = {
      {"A_linea.txt", "[generale]\r\n\tcartello_indicatore,  460,   (X\xE8)\r\n"}};
  const Diagnostic d = make_diagnostic(Diagnostic::Kind::kStatus, kIndicationBoardTaken, 460,
                                       row("A_linea.txt", 2, 24), "", &texts);
  // The tab stays a tab in the caret's line, so that it lines up in a terminal.
  EXPECT_EQ(diagnostic_text(d),
            "A_linea.txt:2:24: status 6 at 460 m: indication board on a block already taken\n"
            "    \tcartello_indicatore,  460,   (X\xE8)\n"
            "    \t                      ^\n");
  const nlohmann::ordered_json j = diagnostic_json(d);
  EXPECT_EQ(j.dump(),
            "{\"file\":\"A_linea.txt\",\"line\":2,\"column\":24,\"status\":6,\"errore\":null,"
            "\"position\":460,\"message\":\"indication board on a block already taken\","
            "\"text\":\"\\tcartello_indicatore,  460,   (X\xC3\xA8)\",\"severity\":\"error\","
            "\"name\":null}");
}

// A row that holds terminal controls is shown with them as \xNN, as the message shows them, and
// the caret stays under the blamed field as shown. Tabs and the bytes of the text's code page
// above 0x7F stay as they are.
TEST(Diagnostic, ControlBytesOfTheRowAreShownEscaped) {
  using namespace std::string_literals;
  struct Case {
    std::string row;
    int32_t column;
    std::string shown;
    std::string pad;  // what stands before the caret after the four blanks of the indent
  } cases[] = {
      // 14 bytes of controls before the keyword show as 23 characters.
      {"\x1b]0;TITLE\x07\x1b[2Jcartello_indicatore, 460, (X)", 36,
       "\\x1B]0;TITLE\\x07\\x1B[2Jcartello_indicatore, 460, (X)", std::string(44, ' ')},
      {"\tpendenza,\x7f 400, 5", 13, "\tpendenza,\\x7F 400, 5", "\t" + std::string(14, ' ')},
      {"pendenza, 400, \x00\x92"s
       "5",
       18,
       "pendenza, 400, \\x00\x92"
       "5",
       std::string(20, ' ')},
  };
  for (const Case& k : cases) {
    SCOPED_TRACE(k.shown);
    const std::map<std::string, std::string> texts = {
        {"A_linea.txt", "[generale]\n" + k.row + "\n"}};
    const Diagnostic d = make_diagnostic(Diagnostic::Kind::kStatus, kIndicationBoardTaken, 460,
                                         row("A_linea.txt", 2, k.column), "", &texts);
    EXPECT_EQ(diagnostic_text(d), "A_linea.txt:2:" + std::to_string(k.column) +
                                      ": status 6 at 460 m: indication board on a block already "
                                      "taken\n    " +
                                      k.shown + "\n    " + k.pad + "^\n");
  }
}

TEST(Diagnostic, PartsThatDoNotApplyAreLeftOut) {
  struct Case {
    Diagnostic d;
    const char* text;
    const char* json;
  } cases[] = {
      {make_diagnostic(Diagnostic::Kind::kStatus, kClean, 0, RowOrigin{}), "status 0: no fault\n",
       "{\"file\":null,\"line\":null,\"column\":null,\"status\":0,\"errore\":null,\"position\":"
       "null,"
       "\"message\":\"no fault\",\"text\":\"\",\"severity\":null,\"name\":null}"},
      // Code 1 records no position, whatever the field holds; a file without a row.
      {make_diagnostic(Diagnostic::Kind::kStatus, kRouteTooLong, 77, row("A_linea.txt", 0, 0)),
       "A_linea.txt: status 1: route length above 1,000,000 m\n",
       "{\"file\":\"A_linea.txt\",\"line\":null,\"column\":null,\"status\":1,\"errore\":null,"
       "\"position\":null,\"message\":\"route length above 1,000,000 m\",\"text\":\"\","
       "\"severity\":\"error\",\"name\":null}"},
      {make_diagnostic(Diagnostic::Kind::kStatus, kReadFailure, 0, row("A_1-.txt", 3, 5),
                       "'x' is not a whole number"),
       // Without the source's text there is no row to quote.
       "A_1-.txt:3:5: status 25: the source could not be read: 'x' is not a whole number\n",
       nullptr},
      {make_diagnostic(Diagnostic::Kind::kErrore, kFormatMarkInUse, 0, RowOrigin{}), nullptr,
       "{\"file\":null,\"line\":null,\"column\":null,\"status\":null,\"errore\":1250,"
       "\"position\":null,"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.d.message);
    if (c.text != nullptr) {
      EXPECT_EQ(diagnostic_text(c.d), c.text);
    }
    if (c.json != nullptr) {
      EXPECT_EQ(diagnostic_json(c.d).dump().rfind(c.json, 0), 0u);
    }
  }
  EXPECT_EQ(diagnostic_text(cases[3].d).rfind("errore 1250: ", 0), 0u);
  EXPECT_FALSE(cases[3].d.clean());
  EXPECT_TRUE(cases[0].d.clean());
}

}  // namespace
}  // namespace scenario
