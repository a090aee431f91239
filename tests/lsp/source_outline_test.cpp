// The outline of a source: sections, rows and the places of their fields, as the readers see
// them, and the kilometrage and blocks of positions.
#include "lsp/source_outline.h"

#include <gtest/gtest.h>

#include "lsp/kilometrage.h"
#include "lsp/text_positions.h"

namespace scenario::lsp {
namespace {

// "keyword@line:col-end value@line:col-end ..." per row, rows apart by " | ".
std::string dump(const SourceOutline& o) {
  const auto span = [](const FieldSpan& s) {
    return "@" + std::to_string(s.line) + ":" + std::to_string(s.column) + "-" +
           std::to_string(s.end_column);
  };
  std::string out;
  for (const OutlineSection& s : o.sections) out += s.header + span(s.span) + " ";
  for (const OutlineRow& r : o.rows) {
    out += "| " + std::string(r.kind->keyword) + span(r.keyword);
    for (const OutlineValue& v : r.values) {
      out += " " + (v.is_number ? std::to_string(v.number) : v.text) + span(v.span);
    }
    out += " ";
  }
  return out;
}

TEST(SourceOutline, RowsAndFieldsWhereTheReadersFindThem) {
  const struct {
    const char* what;
    SourceKind kind;
    const char* text;
    const char* outline;
  } cases[] = {
      {"general rows end at the first header", SourceKind::kLine,
       "intro, lunghezza percorso, 9\r\n[generale]\r\nlunghezza percorso,  9000\r\n[curve]\r\n"
       "pendenza, 400, -6\r\n[fine]",
       "[generale]@2:1-11 [curve]@4:1-8 [fine]@6:1-7 | lunghezza percorso@3:1-19 9000@3:22-26 "
       "| pendenza@5:1-9 400@5:11-14 -6@5:16-18 "},
      {"a general keyword in the body is no row", SourceKind::kLine,
       "[generale]\r\n[curve]\r\nlunghezza percorso, 5\r\n", "[generale]@1:1-11 [curve]@2:1-8 "},
      {"clock numbers apart by blanks, a name with blanks", SourceKind::kTrain,
       "[generale]\r\norologio,    6   54  30\r\nstazione, 50,1,0,0,0,0,0,0,0,0,0,0,0,0,0,0, SAN "
       "MORELLO \r\n",
       "[generale]@1:1-11 | orologio@2:1-9 6@2:14-15 54@2:18-20 30@2:22-24 "
       "| stazione@3:1-9 50@3:11-13 1@3:14-15 0@3:16-17 0@3:18-19 0@3:20-21 0@3:22-23 0@3:24-25 "
       "0@3:26-27 0@3:28-29 0@3:30-31 0@3:32-33 0@3:34-35 0@3:36-37 0@3:38-39 0@3:40-41 "
       "0@3:42-43 SAN MORELLO@3:45-56 "},
      {"values on the next line, hyphen fields passed over", SourceKind::kTrain,
       "[generale]\r\n----,velocita\r\n 1900,  135\r\nsabbia, 3\r\n",
       "[generale]@1:1-11 | velocita@2:6-14 1900@3:2-6 135@3:9-12 | sabbia@4:1-7 3@4:9-10 "},
      {"the walk goes on past a row where the reader fails", SourceKind::kTrain,
       "[generale]\r\nsabbia, 3\r\nvelocita, 1x00, 5\r\nsabbia, 4\r\nx",
       "[generale]@1:1-11 | sabbia@2:1-7 3@2:9-10 | velocita@3:1-9 | sabbia@4:1-7 4@4:9-10 "},
      {"nothing before [generale]", SourceKind::kTrain, "sabbia, 3\r\n", ""},
  };
  for (const auto& c : cases) EXPECT_EQ(dump(outline_source(c.text, c.kind)), c.outline) << c.what;
}

TEST(SourceOutline, TheRowKindsOfTheSectionAtAPlace) {
  const SourceOutline line = outline_source(
      "x\r\n[generale]\r\nlunghezza percorso, 9\r\n[curve]\r\n\r\n", SourceKind::kLine);
  EXPECT_TRUE(row_kinds_at(line, 1).empty()) << "before [generale] nothing is read";
  const auto keywords = [&](int32_t at) {
    std::vector<std::string_view> out;
    for (const RowKindEntry* k : row_kinds_at(line, at)) out.push_back(k->keyword);
    return out;
  };
  EXPECT_EQ(keywords(3), keywords_of_section(SourceKind::kLine, "[generale]"));
  EXPECT_EQ(keywords(5), keywords_of_section(SourceKind::kLine, "[curve]"));
}

TEST(Kilometrage, TheProgressiveInForceAtAPosition) {
  // As the built-in line: km 75.7 at route 0 falling, from 75750 on a second kilometrage that
  // reads 88.5 at route 0 (so km 13.0 at 75500); a rising one.
  const std::vector<Progressive> line = {{0, 75700, 1}, {75750, 88500, 1}, {90000, 1000, 0}};
  const struct {
    int64_t position;
    std::optional<int64_t> km;
  } cases[] = {{0, 75700},     {50, 75650},    {75700, 0},     {75750, 12750},
               {76000, 12500}, {90000, 91000}, {90250, 91250}, {-50, std::nullopt}};
  for (const auto& c : cases) EXPECT_EQ(kilometre_at(line, c.position), c.km) << c.position;
  EXPECT_EQ(kilometre_text(72400), "km 72+400");
  EXPECT_EQ(kilometre_text(5), "km 0+005");
  EXPECT_EQ(kilometre_text(-250), "km -0+250");
  // Blocks of 50 m, halves to the even block.
  EXPECT_EQ(block_of(0), 0);
  EXPECT_EQ(block_of(25), 0);
  EXPECT_EQ(block_of(75), 2);
  EXPECT_EQ(block_of(3300), 66);
}

TEST(TextPositions, ProtocolCharactersAgainstReaderColumns) {
  // "è" is one UTF-16 unit in two bytes, the locomotive one of four bytes is two units.
  const std::string line =
      "a\xC3\xA8"
      "b\xF0\x9F\x9A\x82"
      "c";
  EXPECT_EQ(character_of_column(line, 1), 0);
  EXPECT_EQ(character_of_column(line, 3), 2);
  EXPECT_EQ(character_of_column(line, 5), 5);
  EXPECT_EQ(column_of_character(line, 2), 3);
  EXPECT_EQ(column_of_character(line, 5), 5);
  EXPECT_EQ(column_of_character(line, 9), 9) << "past the end it counts on";
  const std::string text = "x\r\n" + line + "\nlast";
  EXPECT_EQ(utf8_line(text, 1), line);
  EXPECT_EQ(utf8_line(text, 3), "");
  EXPECT_EQ(offset_of(text, {1, 5}), 3u + 8u);
  EXPECT_EQ(offset_of(text, {1, 99}), 3u + line.size()) << "clamped to the line";
  EXPECT_EQ(end_of(text).line, 2);
  EXPECT_EQ(end_of(text).character, 4);
}

}  // namespace
}  // namespace scenario::lsp
