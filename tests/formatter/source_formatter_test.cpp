// The formatter: column forms per row kind, what it leaves alone, and that it is a fixed point
// on the emitter's own sources.
#include "formatter/source_formatter.h"

#include <gtest/gtest.h>

#include "support/odd_spacing.h"
#include "support/scenario_generator.h"

namespace scenario::testing {
namespace {

constexpr SourceKind kLine = SourceKind::kLine;
constexpr SourceKind kTrain = SourceKind::kTrain;

std::string fmt(std::string_view text, SourceKind kind) { return format_source(text, kind).text; }

TEST(SourceFormatter, TheEmittedSourcesAreFormattedButForTheClocksTrailingBlank) {
  const std::string line = builtin_line_source();
  const std::string train = formatted_builtin_train_source();
  ASSERT_GT(line.size(), 5000u);
  ASSERT_EQ(train.size() + 1, builtin_train_source().size());
  EXPECT_EQ(fmt(line, kLine), line);
  EXPECT_EQ(fmt(builtin_train_source(), kTrain), train);
  EXPECT_EQ(fmt(train, kTrain), train);
}

TEST(SourceFormatter, WritesNoTrailingBlank) {
  // Formatted rows, headers, comments, rows it does not recognise and the text before the
  // header all end at their last character; a quote left open keeps what follows as it is.
  const std::string in =
      "nota \t\r\n[generale] \r\norologio, 6 54 30  \r\n- commento -  \r\nqualcosa, 1 \t\r\n"
      "sabbia,  \"300\"  \r\ncartello, \"(A, \r\nB)\"  \r\n";
  const std::string out = fmt(in, kTrain);
  EXPECT_EQ(
      out,
      "nota\r\n[generale]\r\norologio,    6               54            30\r\n- commento -\r\n"
      "qualcosa, 1\r\nsabbia,    \"300\"\r\ncartello, \"(A, \r\nB)\"  \r\n");
}

TEST(SourceFormatter, RespacedSourcesComeBackToTheEmittedBytes) {
  const std::string line = builtin_line_source();
  const std::string train = formatted_builtin_train_source();
  for (uint32_t seed = 1; seed <= 5; ++seed) {
    SCOPED_TRACE("seed " + std::to_string(seed));
    const std::string odd_line = odd_spacing(line, seed);
    const std::string odd_train = odd_spacing(train, seed);
    ASSERT_NE(odd_line, line);
    ASSERT_NE(odd_train, train);
    EXPECT_EQ(fmt(odd_line, kLine), line);
    EXPECT_EQ(fmt(odd_train, kTrain), train);
  }
}

// Rows after a header, as a source holds them; the expected text is the formatted source.
std::string line_src(const std::string& general, const std::string& body) {
  return "[generale]\r\n" + general + "[curve]\r\n" + body;
}

TEST(SourceFormatter, ColumnFormsOfEachRowKind) {
  struct Case {
    SourceKind kind;
    std::string in, out;
  };
  const Case cases[] = {
      // Line source, general section: four blanks before each value.
      {kLine, line_src("lunghezza percorso,93000\r\n", ""),
       line_src("lunghezza percorso,    93000\r\n", "")},
      {kLine, line_src("  progressiva chilometrica due , 75750,88500 ,1\r\n", ""),
       line_src("progressiva chilometrica due,    75750,    88500,    1\r\n", "")},
      {kLine, line_src("sfondo tre,0\r\nripetizione segnali 9 codici,\t76350,87250\r\n", ""),
       line_src("sfondo tre,    0\r\nripetizione segnali 9 codici,    76350,    87250\r\n", "")},
      // Body rows.
      {kLine, line_src("", "curvad4, 12300 ,1600\r\nmontagna,750,1300,12\r\n"),
       line_src("", "curvad4,  12300,  1600\r\nmontagna,   750,  1300,  12\r\n")},
      {kLine, line_src("", "PENDENZA,400,-6\r\npendenza, 0, 0\r\n"),
       line_src("", "PENDENZA,  400,   -6\r\npendenza,   0,    0\r\n")},
      {kLine, line_src("", "indicatori_vmax,23100,75,75,75,2,,,   ,0\r\n"),
       line_src("", "indicatori_vmax,  23100,  75,  75,  75,  2,  ,  ,  ,  0\r\n")},
      {kLine, line_src("", "cartello_indicatore,6750,(PASSAGGIO)(A  LIVELLO)  \r\n"),
       line_src("", "cartello_indicatore,  6750,   (PASSAGGIO)(A  LIVELLO)\r\n")},
      // A quoted board text keeps its commas and its blanks.
      {kLine, line_src("", "cartello_indicatore,450,  \"(A, B) \"\r\n"),
       line_src("", "cartello_indicatore,  450,   \"(A, B) \"\r\n")},
      // Train source: fixed blanks, right-aligned columns, the clock.
      {kTrain, "[generale]\r\nnumero vetture,7\r\nsabbia ,300\r\n",
       "[generale]\r\nnumero vetture,    7\r\nsabbia,    300\r\n"},
      {kTrain, "[generale]\r\norologio, 6 54\t30\r\naderenza,0,100\r\n",
       "[generale]\r\norologio,    6               54            30\r\naderenza,   0,    100\r\n"},
      {kTrain, "[generale]\r\nvelocita,1900,135\r\nabbattimento,300,-1\r\n",
       "[generale]\r\nvelocita,    1900,   135\r\nabbattimento,     300,    -1\r\n"},
      {kTrain, "[generale]\r\nsegnale,2900,2,4,1,0,0,2,2,4,0,190\r\n",
       "[generale]\r\nsegnale,    2900,   2, 4, 1,  0, 0,    2,  2,4,0, 190\r\n"},
      {kTrain, "[generale]\r\nrallentamento,66850,100,1200,0,1,100\r\n",
       "[generale]\r\nrallentamento,   66850,   100, 1200, 0,  1,  100\r\n"},
      {kTrain, "[generale]\r\nstazione,50,12,700,0,0,0,1,1,0,4,1,1,1,6,55,0,  PIAN D'ARSIERO \r\n",
       "[generale]\r\nstazione,      50, 12,  700,  0, 0, 0,  1,1,0,  4,1,1,    1,   6,55, 0, "
       "PIAN D'ARSIERO\r\n"},
      // A value wider than its column loses its blanks, never a digit.
      {kTrain, "[generale]\r\nvelocita,123456789,1234567\r\n",
       "[generale]\r\nvelocita,123456789,1234567\r\n"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.in);
    EXPECT_EQ(fmt(c.in, c.kind), c.out);
  }
}

TEST(SourceFormatter, KeepsWhatItDoesNotRecognise) {
  // Each of these lines stays byte for byte; only its line end becomes CR LF.
  const struct {
    SourceKind kind;
    const char* line;
  } cases[] = {
      {kLine, "---- curve della prima galleria ----"},  // a comment
      {kLine, "pendenza - provvisoria,  400,   -6"},    // a keyword with a hyphen is a comment
      {kLine, "pendenza,  400"},                        // a value short
      {kLine, "pendenza,  400,   -6,"},                 // a trailing comma is one field more
      {kLine, "pendenza,  400 -6"},                     // two numbers in one field
      {kLine, "pendenza,  4OO,   -6"},                  // not a number
      {kLine, "montagna pendenza,  1, 2, 3, 4"},        // two kinds read one after the other
      {kLine, "sfondo uno,  1"},                        // a general row in the body
      {kLine, "stazione,  50"},                         // a train row in the line source
      {kLine, "qualcosa,  1,  2"},                      // no kind at all
      {kTrain, "orologio,  6 54"},                      // the clock short of a number
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.line);
    const std::string before = c.kind == kLine ? "[generale]\r\n[curve]\r\n" : "[generale]\r\n";
    EXPECT_EQ(fmt(before + c.line + "\n", c.kind), before + c.line + "\r\n");
  }
}

TEST(SourceFormatter, LinesAndTheTextBeforeTheHeader) {
  // Text before "[generale]" is never read and keeps its blanks; headers and blank lines lose
  // theirs; LF, CR and a missing last line end all become CR LF.
  EXPECT_EQ(fmt("Linea di prova ,  bozza\n  [generale]  \rnumero vetture,7\n   \n\t[fine]", kTrain),
            "Linea di prova ,  bozza\r\n[generale]\r\nnumero vetture,    7\r\n\r\n[fine]\r\n");
  // Two CRs are two line ends, CR LF one.
  EXPECT_EQ(fmt("[generale]\r\rsabbia,1\r\n", kTrain), "[generale]\r\n\r\nsabbia,    1\r\n");
  EXPECT_EQ(fmt("", kLine), "");
}

TEST(SourceFormatter, AQuoteThatMayRunOnLeavesTheRestAsItStands) {
  // The reader may read a quoted field over commas and line ends from a quote that does not
  // begin a field, or from one not closed on its line: nothing from there on is moved.
  const std::string head = "[generale]\r\nsabbia,300\r\n";
  const std::string tail = "velocita,  0, 75\ncartello,  \"(A,\r\nB)\"\r\nsabbia , 1";
  for (const std::string odd : {"stazione, 50 \"X, 1\n", "cartello, \"(A,\n"}) {
    SCOPED_TRACE(odd);
    const FormattedSource f = format_source(head + odd + tail, kTrain);
    EXPECT_EQ(f.text, "[generale]\r\nsabbia,    300\r\n" + odd + tail);
    EXPECT_EQ(f.untouched_from, 3);
  }
  EXPECT_EQ(format_source(head, kTrain).untouched_from, 0);
}

TEST(SourceFormatter, FormattingTwiceChangesNothingMore) {
  const testing::GeneratedSources g = testing::generate_scenario(40);
  const std::string inputs[] = {
      odd_spacing(builtin_line_source(), 7),
      g.line,
      line_src("lunghezza percorso,1\r\n - commento , a\r\n", "pendenza,0,0\r\n\r\n  [fine] "),
  };
  for (const std::string& in : inputs) {
    const std::string once = fmt(in, kLine);
    EXPECT_EQ(fmt(once, kLine), once);
  }
  const std::string once = fmt(g.train, kTrain);
  EXPECT_NE(once, g.train);  // the generator's rows are not in column form
  EXPECT_EQ(fmt(once, kTrain), once);
}

}  // namespace
}  // namespace scenario::testing
