// scenario-tool inspect on the built-in scenario's compiled files, whole and damaged.
#include "tool/inspect_command.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <nlohmann/json.hpp>
#include <numbers>
#include <sstream>

#include "format/cp1252.h"
#include "format/curve_image.h"
#include "format/file_names.h"
#include "format/general_image.h"
#include "format/track_image.h"
#include "support/builtin_compiled.h"
#include "support/run_process.h"
#include "support/temp_dir.h"

namespace scenario {
namespace {

using testing::builtin_compiled;
using Json = nlohmann::json;
using testing::read_file;
using testing::TempDir;
using testing::write_file;

struct Outcome {
  int status;
  std::string out;
  std::string err;
};

Outcome inspect(const std::vector<std::string>& args) {
  std::ostringstream out, err;
  const int status = tool::inspect_command(args, out, err);
  return {status, out.str(), err.str()};
}

std::vector<std::string> lines_of(const std::string& text) {
  std::vector<std::string> lines;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);) lines.push_back(line);
  return lines;
}

// The line that starts with prefix; empty when there is none.
std::string line_starting(const std::vector<std::string>& lines, const std::string& prefix) {
  for (const auto& l : lines) {
    if (l.compare(0, prefix.size(), prefix) == 0) return l;
  }
  return "";
}

// The built-in texts are ASCII plus Latin-1 letters and signs such as the degree sign.
std::string latin1_to_utf8(const std::string& s) {
  std::string out;
  for (char ch : s) {
    const auto c = static_cast<unsigned char>(ch);
    if (c < 0x80) {
      out += ch;
    } else {
      out += static_cast<char>(0xC0 | (c >> 6));
      out += static_cast<char>(0x80 | (c & 0x3F));
    }
  }
  return out;
}

std::string hms(int32_t seconds) {
  char buf[32];
  std::snprintf(buf, sizeof buf, "%d:%02d:%02d", seconds / 3600, seconds / 60 % 60, seconds % 60);
  return buf;
}

TEST(InspectGeneral, NamesEveryStationWithItsTimeAndEveryBoardText) {
  const auto& b = builtin_compiled();
  const GeneralTable& g = b.state->general;
  const Outcome r = inspect({b.general_file});
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(r.err, "");
  const auto lines = lines_of(r.out);

  EXPECT_NE(line_starting(lines, "stations: 18 (slots 1 to 18)"), "") << r.out;
  for (int s = 1; s <= 18; ++s) {
    char prefix[16];
    std::snprintf(prefix, sizeof prefix, "  %4d  ", s);
    const std::string line = line_starting(lines, prefix + g[s].text + " ");
    ASSERT_NE(line, "") << "no line for station " << s << " " << g[s].text;
    EXPECT_NE(line.find(" " + hms(g[s].long4) + " "), std::string::npos) << line;
    EXPECT_NE(line.find(" " + std::to_string(g[s].long1) + " to " + std::to_string(g[s].long2)),
              std::string::npos)
        << line;
  }
  // The first and the last station, as the timetable has them.
  EXPECT_NE(line_starting(lines, "     1  LINDEVA ").find(" 6:55:00 "), std::string::npos);
  EXPECT_NE(line_starting(lines, "    18  QUERNO ").find(" 8:00:00 "), std::string::npos);

  EXPECT_NE(line_starting(lines, "line-side boards: 55 (slots 80 down to 26)"), "") << r.out;
  for (int s = 80; s >= 26; --s) {
    const std::string expected = "  slot " + std::to_string(s) + "  " + latin1_to_utf8(g[s].text);
    EXPECT_EQ(line_starting(lines, "  slot " + std::to_string(s) + "  "), expected);
  }
  EXPECT_NE(r.out.find("(CAVALCAVIA)(STRADA STATALE)(N\xC2\xB0 62)"), std::string::npos);

  const auto value_of = [&](const std::string& label) {
    const std::string l = line_starting(lines, "  " + label);
    return l.size() > 44 ? l.substr(44) : "missing: " + label;
  };
  EXPECT_EQ(value_of("route length (slot 84 long2)"), "93000 m");
  EXPECT_EQ(value_of("signal repetition (slot 86 long1..long3)"),
            "from 76350 m to 87250 m, 4 codes");
  EXPECT_EQ(value_of("format mark (slot 85 int1)"), "610");
  EXPECT_EQ(value_of("scenario code (slot 85 long4)"), std::to_string(g[85].long4));
  EXPECT_EQ(value_of("scenario name (slot 85 text)"), "Lindeva_Querno");
  EXPECT_EQ(value_of("start clock (slot 86 int3:int4:int5)").substr(0, 7),
            hms(g[86].int3 * 3600 + g[86].int4 * 60 + g[86].int5));
  // Nothing is set outside the fields that have a meaning.
  EXPECT_EQ(r.out.find("other fields set"), std::string::npos) << r.out;
}

TEST(InspectTrack, ListsCodedBlocksAndStepsAsTheSourcesPlacedThem) {
  const auto& b = builtin_compiled();
  const Outcome r = inspect({b.track_file});
  ASSERT_EQ(r.status, 0) << r.err;
  const auto lines = lines_of(r.out);
  const auto has = [&](const std::string& line) {
    for (const auto& l : lines) {
      if (l == line) return true;
    }
    return false;
  };
  EXPECT_TRUE(has("  format mark (block 1 value1)    5121"));
  EXPECT_TRUE(has("  scenario code (block 1 value2)  " + std::to_string(b.state->track[1].value2)));
  // The first board in block 10, the station stop marker of slot 1 in block 7, the signal of
  // the 2900 m row in block 59 and the slowdown of 66850 m.
  EXPECT_TRUE(has("         500      10    14  line-side board            text slot 80"));
  EXPECT_TRUE(has("         350       7    10  station stop marker        station slot 1"));
  EXPECT_TRUE(
      has("        2950      59     1  signal                     value1 42, value2 14, "
          "value3 0, value4 8, mark10 190"));
  EXPECT_TRUE(
      has("       66900    1338     3  slowdown start             speed 100 km/h, "
          "value2 100"));
  EXPECT_TRUE(
      has("       65700    1314     4  slowdown warning           speed 100 km/h, "
          "value2 100"));
  EXPECT_TRUE(has("       65650    1313     5  pre-warning                step 1 of 4, value2 1"));
  EXPECT_TRUE(has("  from 0 m to 1850 m: 75 km/h"));
  EXPECT_TRUE(has("  from 1900 m to 24300 m: 135 km/h"));
  EXPECT_TRUE(has("  from 0 m to 350 m: 0 per mille"));
  EXPECT_TRUE(has("  from 400 m to 1100 m: -6 per mille"));
  // The last three blocks are never given a gradient.
  EXPECT_TRUE(has("  from 99900 m to 100000 m: -100 per mille (mark 0: not set)"));

  int64_t coded = 0;
  for (const TrackBlock& blk : b.state->track.blocks()) coded += blk.code != 0;
  EXPECT_TRUE(has("blocks with a code: " + std::to_string(coded)));
}

// The curve rows of the line source, as the authors wrote them.
struct CurveRow {
  int64_t start, length;
  double k;  // signed: negative to the left
};

std::vector<CurveRow> curve_rows(const std::string& line_source) {
  static const std::pair<char, double> kSharpness[] = {{'1', 0.0001}, {'2', 0.0002}, {'3', 0.0004},
                                                       {'4', 0.001},  {'5', 0.002},  {'6', 0.003}};
  std::vector<CurveRow> rows;
  for (const std::string& line : lines_of(line_source)) {
    if (line.compare(0, 5, "curva") != 0) continue;
    CurveRow row{};
    std::sscanf(line.substr(line.find(',') + 1).c_str(), "%ld , %ld", &row.start, &row.length);
    const std::string keyword = line.substr(0, line.find(','));
    for (const auto& [digit, k] : kSharpness) {
      if (keyword.find(digit) != std::string::npos) {
        row.k = k;
        break;
      }
    }
    if (keyword.find_first_of("sS") != std::string::npos) row.k = -row.k;
    rows.push_back(row);
  }
  return rows;
}

TEST(InspectCurve, FindsEveryCurveRowOfTheLineSource) {
  const auto& b = builtin_compiled();
  const Outcome r = inspect({"--json", b.curve_file});
  ASSERT_EQ(r.status, 0) << r.err;
  const Json j = Json::parse(r.out);
  EXPECT_EQ(j.at("E").get<int64_t>(), 100000);
  EXPECT_EQ(j.at("cells_per_axis").at("integer").get<int64_t>(), 2);
  EXPECT_EQ(j.at("cells_per_axis").at("double").get<int64_t>(), 99997);
  EXPECT_EQ(j.at("cells_per_axis").at("empty").get<int64_t>(), 2);

  const std::vector<CurveRow> rows =
      curve_rows(read_file(b.dir + "/" + line_source_name(b.state->identity())));
  ASSERT_GT(rows.size(), 100u);
  const Json& curves = j.at("curves");
  ASSERT_EQ(curves.size(), rows.size());
  double turn = 0;
  for (size_t i = 0; i < rows.size(); ++i) {
    const Json& c = curves.at(i);
    SCOPED_TRACE("curve row " + std::to_string(i) + " at " + std::to_string(rows[i].start));
    EXPECT_EQ(c["start"].get<int64_t>(), rows[i].start);
    EXPECT_EQ(c["length"].get<int64_t>(), rows[i].length);
    // The plan's step grows a little along every curve, so radii drift slightly above 1/k.
    EXPECT_NEAR(c["radius"].get<double>(), 1 / std::abs(rows[i].k), 0.01 / std::abs(rows[i].k));
    EXPECT_EQ(c["turn_degrees"].get<double>() > 0, rows[i].k > 0);
    turn += std::atan(rows[i].k) * static_cast<double>(rows[i].length) * 180 / std::numbers::pi;
  }
  EXPECT_NEAR(j.at("total_turn_degrees").get<double>(), turn, 1e-4);

  // The extent is the table's own.
  const CurveTable& t = b.state->curves;
  double min_x = 0, max_x = 0, max_y = 0;
  for (int64_t m = 0; m <= t.last_metre() - 2; ++m) {
    min_x = std::min(min_x, t.value(m, 0));
    max_x = std::max(max_x, t.value(m, 0));
    max_y = std::max(max_y, t.value(m, 1));
  }
  EXPECT_EQ(j.at("extent").at("x").at(0).get<double>(), min_x);
  EXPECT_EQ(j.at("extent").at("x").at(1).get<double>(), max_x);
  EXPECT_EQ(j.at("extent").at("y").at(1).get<double>(), max_y);

  const Outcome text = inspect({b.curve_file});
  EXPECT_NE(text.out.find("  cells per axis: 2 integer, 99997 double, 2 empty\n"),
            std::string::npos)
      << text.out.substr(0, 400);
  EXPECT_NE(text.out.find("\ncurves: " + std::to_string(rows.size()) + "\n"), std::string::npos);
}

// --json, read back field by field and written again with the model's image writers, gives
// the file's own bytes.

std::string from_hex(const std::string& hex) {
  std::string out;
  for (size_t i = 0; i + 1 < hex.size(); i += 2) {
    out += static_cast<char>(std::stoi(hex.substr(i, 2), nullptr, 16));
  }
  return out;
}

GeneralTable general_from_json(const Json& j) {
  GeneralTable t;
  const Json& slots = j.at("slots");
  EXPECT_EQ(slots.size(), 87u);
  for (size_t s = 0; s < slots.size(); ++s) {
    const Json& e = slots.at(s);
    EXPECT_EQ(e.at("slot").get<int64_t>(), static_cast<int64_t>(s));
    GeneralEntry& g = t[static_cast<int>(s)];
    g.code = static_cast<uint8_t>(e.at("code").get<int64_t>());
    g.long1 = static_cast<int32_t>(e.at("long1").get<int64_t>());
    g.long2 = static_cast<int32_t>(e.at("long2").get<int64_t>());
    g.long3 = static_cast<int32_t>(e.at("long3").get<int64_t>());
    g.flag = static_cast<uint8_t>(e.at("flag").get<int64_t>());
    g.text = e.contains("text_hex") ? from_hex(e.at("text_hex").get<std::string>())
                                    : utf8_to_cp1252(e.at("text").get<std::string>());
    g.int1 = static_cast<int16_t>(e.at("int1").get<int64_t>());
    g.int2 = static_cast<int16_t>(e.at("int2").get<int64_t>());
    g.int3 = static_cast<int16_t>(e.at("int3").get<int64_t>());
    g.int4 = static_cast<int16_t>(e.at("int4").get<int64_t>());
    g.int5 = static_cast<int16_t>(e.at("int5").get<int64_t>());
    g.byte1 = static_cast<uint8_t>(e.at("byte1").get<int64_t>());
    g.byte2 = static_cast<uint8_t>(e.at("byte2").get<int64_t>());
    g.byte3 = static_cast<uint8_t>(e.at("byte3").get<int64_t>());
    g.byte4 = static_cast<uint8_t>(e.at("byte4").get<int64_t>());
    g.long4 = static_cast<int32_t>(e.at("long4").get<int64_t>());
  }
  return t;
}

std::string track_bytes_from_json(const Json& j) {
  StringSink sink;
  const Json& blocks = j.at("blocks");
  for (size_t i = 0; i < blocks.size(); ++i) {
    const Json& e = blocks.at(i);
    EXPECT_EQ(e.at("block").get<int64_t>(), static_cast<int64_t>(i));
    TrackBlock b;
    b.code = static_cast<uint8_t>(e.at("code").get<int64_t>());
    b.value1 = static_cast<int16_t>(e.at("value1").get<int64_t>());
    b.value2 = static_cast<int16_t>(e.at("value2").get<int64_t>());
    b.value3 = static_cast<int16_t>(e.at("value3").get<int64_t>());
    b.value4 = static_cast<int16_t>(e.at("value4").get<int64_t>());
    b.mark10 = static_cast<uint8_t>(e.at("mark10").get<int64_t>());
    b.mark11 = static_cast<uint8_t>(e.at("mark11").get<int64_t>());
    b.mark12 = static_cast<uint8_t>(e.at("mark12").get<int64_t>());
    b.mark13 = static_cast<uint8_t>(e.at("mark13").get<int64_t>());
    b.mark14 = static_cast<uint8_t>(e.at("mark14").get<int64_t>());
    b.mark15 = static_cast<uint8_t>(e.at("mark15").get<int64_t>());
    write_track_block(sink, b);
  }
  return sink.bytes;
}

CurveTable curve_from_json(const Json& j) {
  const Json& axes = j.at("axes");
  EXPECT_EQ(axes.size(), 2u);
  CurveTable t;
  t.create(static_cast<int64_t>(axes.at(0).size()) - 1);
  for (int axis = 0; axis < 2; ++axis) {
    EXPECT_EQ(axes.at(axis).size(), axes.at(0).size());
    for (size_t m = 0; m < axes.at(axis).size(); ++m) {
      const Json& cell = axes.at(axis).at(m);
      const int64_t tag = cell.at(0).get<int64_t>();
      const auto metre = static_cast<int64_t>(m);
      if (tag == 2) {
        t.set_int16(metre, axis, static_cast<int16_t>(cell.at(1).get<int64_t>()));
      } else if (tag == 5) {
        t.set_double(metre, axis, cell.at(1).get<double>());
      } else {
        EXPECT_EQ(tag, 0);
        EXPECT_EQ(cell.size(), 1u);
      }
    }
  }
  return t;
}

TEST(InspectJson, ReadBackAndWrittenAgainGivesTheFileBytes) {
  const auto& b = builtin_compiled();
  struct Case {
    std::string file;
    std::string kind;
    std::string (*reencode)(const Json&);
  };
  const Case cases[] = {
      {b.general_file, "general",
       [](const Json& j) {
         StringSink s;
         write_general_image(s, general_from_json(j));
         return s.bytes;
       }},
      {b.track_file, "track", track_bytes_from_json},
      {b.curve_file, "curve",
       [](const Json& j) {
         StringSink s;
         write_curve_image(s, curve_from_json(j));
         return s.bytes;
       }},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.file);
    const Outcome r = inspect({"--json", c.file});
    ASSERT_EQ(r.status, 0) << r.err;
    const Json j = Json::parse(r.out);
    EXPECT_EQ(j.at("kind").get<std::string>(), c.kind);
    const std::string bytes = read_file(c.file);
    EXPECT_EQ(j.at("bytes").get<int64_t>(), static_cast<int64_t>(bytes.size()));
    EXPECT_TRUE(c.reencode(j) == bytes) << "re-encoded bytes differ from the file";
  }
}

TEST(InspectJson, CarriesTheGeneralValuesStationsAndBoardsByMeaning) {
  const auto& b = builtin_compiled();
  const GeneralTable& g = b.state->general;
  const Json j = Json::parse(inspect({"--json", b.general_file}).out);
  EXPECT_EQ(j.at("general").at("route_length").get<int64_t>(), 93000);
  EXPECT_EQ(j.at("general").at("format_mark").get<int64_t>(), 610);
  EXPECT_EQ(j.at("general").at("signal_repetition").at("codes").get<int64_t>(), 4);
  ASSERT_EQ(j.at("stations").size(), 18u);
  ASSERT_EQ(j.at("boards").size(), 55u);
  for (size_t i = 0; i < 18; ++i) {
    const GeneralEntry& e = g[static_cast<int>(i) + 1];
    EXPECT_EQ(utf8_to_cp1252(j.at("stations").at(i).at("name").get<std::string>()), e.text);
    EXPECT_EQ(utf8_to_cp1252(j.at("stations").at(i).at("time").get<std::string>()), hms(e.long4));
    EXPECT_EQ(j.at("stations").at(i).at("position").get<int64_t>(), e.long3);
  }
  EXPECT_EQ(j.at("boards").at(0).at("slot").get<int64_t>(), 80);
  EXPECT_EQ(utf8_to_cp1252(j.at("boards").at(54).at("text").get<std::string>()), g[26].text);
}

// A text with a byte that Windows-1252 leaves undefined still comes back whole.
TEST(InspectJson, KeepsEveryByteOfATextThatTheCodePageCannotShow) {
  GeneralTable t;
  t[1].text = std::string("A\x81\x8D\x9D\x01z", 6);
  t[85].text = "x";
  StringSink s;
  write_general_image(s, t);
  TempDir dir;
  write_file(dir.file("x_1.sim"), s.bytes);
  const Outcome r = inspect({"--json", dir.file("x_1.sim")});
  ASSERT_EQ(r.status, 0) << r.err;
  const Json j = Json::parse(r.out);
  EXPECT_EQ(j.at("slots").at(1).at("text_hex").get<std::string>(), "41818d9d017a");
  EXPECT_FALSE(j.at("slots").at(85).contains("text_hex"));
  StringSink again;
  write_general_image(again, general_from_json(j));
  EXPECT_TRUE(again.bytes == s.bytes);
}

// ---------------------------------------------------------------- damaged files

std::string with_u16_at(std::string bytes, size_t at, uint16_t v) {
  bytes[at] = static_cast<char>(v & 0xFF);
  bytes[at + 1] = static_cast<char>(v >> 8);
  return bytes;
}

TEST(InspectDamaged, ReportsTheOffsetAndWhatIsWrong) {
  const auto& b = builtin_compiled();
  const std::string sim = read_file(b.general_file);
  const std::string dat = read_file(b.track_file);
  const std::string lin = read_file(b.curve_file);
  const GeneralTable& g = b.state->general;
  // Slot 2 starts after two entries of 34 bytes and slot 1's text.
  const size_t slot2 = 2 * 34 + g[1].text.size();
  // Axis 0 of the curve file: 2 integer cells, E - 3 doubles and 2 empty cells.
  const size_t axis0 = 2 * 4 + 99997 * 10 + 2 * 2;
  struct Case {
    const char* what;
    std::string name;
    std::string bytes;
    size_t offset;
    std::string message;  // a part of the message
  };
  const Case cases[] = {
      {"sim cut inside slot 2", "s_1.sim", sim.substr(0, slot2 + 20), slot2,
       "slot 2: entry truncated"},
      {"sim one byte added", "s_1.sim", sim + "x", sim.size(), "1 byte after the entry of slot 86"},
      {"sim empty", "s_1.sim", "", 0, "slot 0: entry truncated"},
      {"sim text length past the end", "s_1.sim", with_u16_at(sim, 34 + 14, 0xFFFF), 34,
       "slot 1: entry truncated: it needs 65569 bytes"},
      {"sim cut to its first 86 entries", "s_1.sim", sim.substr(0, sim.size() - 34 - 5),
       sim.size() - 39, "slot 86: entry truncated"},
      {"dat one byte added", "s_1.dat", dat + "x", dat.size(),
       "size 30016 is not a multiple of 15: the last block has only 1 byte"},
      {"dat one byte short", "s_1.dat", dat.substr(0, dat.size() - 1), dat.size() - 15,
       "is not a multiple of 15: the last block has only 14 bytes"},
      {"dat empty", "s_1.dat", "", 0, "empty file"},
      {"curve unknown tag first", "s_linea.dat", with_u16_at(lin, 0, 3), 0,
       "cell 0: unknown variant tag 3"},
      {"curve tag with a high byte", "s_linea.dat", with_u16_at(lin, 8, 0x0105), 8,
       "cell 2: unknown variant tag 261"},
      {"curve cut inside a double", "s_linea.dat", lin.substr(0, lin.size() - 4 - 3),
       lin.size() - 4 - 10, "cell 199999: truncated cell: tag 5 needs 8 value bytes, 5 bytes left"},
      {"curve cut inside a tag", "s_linea.dat", lin.substr(0, lin.size() - 1), lin.size() - 2,
       "cell 200001: truncated tag"},
      {"curve one byte added", "s_linea.dat", lin + "x", lin.size(), "cell 200002: truncated tag"},
      {"curve one cell short", "s_linea.dat", lin.substr(0, lin.size() - 2), lin.size() - 2,
       "200001 cells, an odd number"},
      {"curve axes shifted by a cell", "s_linea.dat",
       lin.substr(0, axis0 - 2) + lin.substr(axis0) + std::string(2, '\0'), axis0 - 2 + 8,
       "(axis 1, metre 1) is double (tag 5) but axis 0 metre 1 is integer (tag 2)"},
      {"curve empty", "s_linea.dat", "", 0, "empty file"},
      {"curve longer than any route", "s_linea.dat", std::string(2 * (2 * 1007001 + 1), '\0'),
       2 * 2 * 1007001, "more than 2014002 cells"},
  };
  TempDir dir;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    const std::string path = dir.file(c.name);
    write_file(path, c.bytes);
    for (bool json : {false, true}) {
      const Outcome r = json ? inspect({"--json", path}) : inspect({path});
      EXPECT_EQ(r.status, 1);
      EXPECT_EQ(r.out, "");
      const std::string head = path + ": offset " + std::to_string(c.offset) + ": ";
      EXPECT_EQ(r.err.substr(0, head.size()), head) << r.err;
      EXPECT_NE(r.err.find(c.message), std::string::npos) << r.err;
      EXPECT_EQ(std::count(r.err.begin(), r.err.end(), '\n'), 1) << r.err;
    }
  }
}

TEST(InspectUsage, RefusesWhatItCannotReadWithTheRightStatus) {
  const auto& b = builtin_compiled();
  TempDir dir;
  TempDir sources;
  write_file(sources.file("L_linea.txt"), read_file(b.dir + "/Lindeva_Querno_linea.txt"));
  struct Case {
    std::vector<std::string> args;
    int status;
    std::string message;
  };
  const Case cases[] = {
      {{}, 2, "FILE is missing"},
      {{"--json"}, 2, "FILE is missing"},
      {{"--xml", b.general_file}, 2, "unknown option '--xml'"},
      {{b.general_file, dir.file("notes.txt")}, 2, "cannot tell the kind of"},
      {{dir.file("gone.sim")}, 1, dir.file("gone.sim") + ": cannot open: No such file"},
      {{dir.path() + "/"}, 2, "is a directory: name its compiled files"},
      {{b.dir}, 2, "is a directory: name its compiled files"},
      {{sources.path()},
       1,
       sources.path() +
           " holds sources but no compiled files; compile it first: scenario-tool "
           "compile " +
           sources.path()},
      {{sources.file("L_linea.txt")},
       1,
       sources.file("L_linea.txt") +
           " is a source, not a compiled file; compile it first: scenario-tool compile " +
           sources.path()},
  };
  for (const Case& c : cases) {
    const Outcome r = inspect(c.args);
    SCOPED_TRACE(c.message);
    EXPECT_EQ(r.status, c.status);
    EXPECT_NE(r.err.find(c.message), std::string::npos) << r.err;
    if (c.status == 2) {
      EXPECT_NE(r.err.find("usage: scenario-tool inspect"), std::string::npos);
    }
    if (c.status == 1) {
      EXPECT_EQ(std::count(r.err.begin(), r.err.end(), '\n'), 1) << r.err;
    }
  }
  // A missing file does not stop the others; the status still says something failed.
  const Outcome r = inspect({dir.file("gone.dat"), b.track_file});
  EXPECT_EQ(r.status, 1);
  EXPECT_NE(r.out.find("track array, 2001 blocks"), std::string::npos);
}

TEST(InspectUsage, TheToolRunsItFromTheCommandLine) {
  const auto& b = builtin_compiled();
  const auto r = testing::run_process(SCENARIO_TOOL_EXE,
                                      {"inspect", b.general_file, b.track_file, b.curve_file});
  EXPECT_EQ(r.exit_status, 0) << r.err;
  EXPECT_EQ(r.out, inspect({b.general_file, b.track_file, b.curve_file}).out);
  TempDir dir;
  write_file(dir.file("cut.dat"), "abc");
  const auto bad = testing::run_process(SCENARIO_TOOL_EXE, {"inspect", dir.file("cut.dat")});
  EXPECT_EQ(bad.exit_status, 1);
  EXPECT_EQ(bad.err, dir.file("cut.dat") +
                         ": offset 0: size 3 is not a multiple of 15: the last block has only 3 "
                         "bytes\n");
}

}  // namespace
}  // namespace scenario
