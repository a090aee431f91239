// The notes document as it lands on disk: layout, row statistics and agreement with the train.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <regex>
#include <string>
#include <vector>

#include "emitter/emitters.h"
#include "format/file_names.h"
#include "support/emitted.h"

namespace scenario {
namespace {

using testing::builtin_state;
using testing::emitted_lines;

const std::vector<std::string>& notes() {
  static const std::vector<std::string> lines =
      emitted_lines(&dati_note, note_name(builtin_state("").identity()));
  return lines;
}

struct Station {
  std::string name;
  int hours = 0;
  int minutes = 0;
};

// The "stazione" rows of the emitted train source, in route order.
std::vector<Station> stations() {
  std::vector<Station> out;
  for (const auto& line :
       emitted_lines(&dati_treno, train_source_name(builtin_state("").identity()))) {
    if (line.rfind("stazione,", 0) != 0) continue;
    std::vector<std::string> fields;
    size_t start = 0;
    for (size_t comma; (comma = line.find(',', start)) != std::string::npos; start = comma + 1) {
      fields.push_back(line.substr(start, comma - start));
    }
    fields.push_back(line.substr(start));
    if (fields.size() != 18) {
      ADD_FAILURE() << "station row with " << fields.size() << " fields: " << line;
      continue;
    }
    out.push_back({fields[17].substr(fields[17].find_first_not_of(' ')), std::stoi(fields[14]),
                   std::stoi(fields[15])});
  }
  return out;
}

bool is_empty(const std::string& s) { return s.empty(); }
bool is_blank_only(const std::string& s) {
  return !s.empty() && s.find_first_not_of(' ') == std::string::npos;
}
size_t indent(const std::string& s) { return s.find_first_not_of(' '); }

// Accented vowels as the code page writes them, one byte each.
bool has_accented_vowel(const std::string& s) {
  static const std::string kVowels = "\xe0\xe8\xe9\xec\xf2\xf9\xc0\xc8\xc9\xcc\xd2\xd9";
  return s.find_first_of(kVowels) != std::string::npos;
}

struct Section {
  size_t heading;
  const char* text;
};
constexpr Section kSections[] = {
    {7, "INTRODUZIONE"},
    {55, "LA LINEA SIMULATA"},
    {102, "  IMPRECISIONI NELLA LINEA SIMULATA"},
    {174, "LA LINEA REALE"},
    {351, " NOTE :"},
};
constexpr size_t kClosing = 366;

// A place sub-heading of the real line: upper-case name (a lower-case "di" allowed), possibly
// followed by a line kilometre in brackets. Returns the name, or "" for any other row.
std::string place_heading(const std::string& row) {
  const size_t at = indent(row);
  if (at == std::string::npos || (at != 2 && at != 3 && at != 8)) return "";
  std::string name = row.substr(at);
  if (name.rfind("TRATTA ", 0) == 0) return "";
  if (const size_t bracket = name.find(" ("); bracket != std::string::npos) {
    name.resize(bracket);
  }
  std::string check = " " + name + " ";
  for (size_t di; (di = check.find(" di ")) != std::string::npos;) check.replace(di, 4, " ");
  const bool upper = std::none_of(check.begin(), check.end(), [](char c) {
    return (c >= 'a' && c <= 'z') || c == '.' || c == ',' || c == ':' || c == ';';
  });
  return upper ? name : "";
}

TEST(NoteContent, IdentificationHeadingsAndClosingStandWhereTheyBelong) {
  const auto& lines = notes();
  ASSERT_EQ(lines.size(), 370u);

  EXPECT_EQ(lines[0], "LINEA :  LINDEVA -- QUERNO");
  EXPECT_TRUE(is_empty(lines[1]));
  EXPECT_EQ(lines[2], "TRENO : " + builtin_state("").train_number);
  EXPECT_TRUE(is_empty(lines[3]));
  EXPECT_EQ(lines[4].rfind("SCENARI COSTRUITI : ", 0), 0u) << lines[4];
  EXPECT_EQ(indent(lines[5]), 14u) << lines[5];
  EXPECT_TRUE(is_empty(lines[6]));

  for (const auto& s : kSections) {
    EXPECT_EQ(lines[s.heading], s.text);
    EXPECT_TRUE(is_empty(lines[s.heading + 1]) || is_blank_only(lines[s.heading + 1]))
        << "after " << s.text;
  }
  // Between sections: one to four empty rows, with text right before them.
  for (size_t k = 1; k < std::size(kSections); ++k) {
    size_t i = kSections[k].heading;
    size_t gap = 0;
    for (; is_empty(lines[i - 1]); --i) ++gap;
    EXPECT_GE(gap, 1u) << "before " << kSections[k].text;
    EXPECT_LE(gap, 4u) << "before " << kSections[k].text;
  }
  // Each heading occurs once: no prose row repeats one.
  for (const auto& s : kSections) {
    EXPECT_EQ(std::count(lines.begin(), lines.end(), s.text), 1) << s.text;
  }

  EXPECT_TRUE(is_empty(lines[kClosing]));
  EXPECT_FALSE(is_blank_only(lines[kClosing + 1]) || is_empty(lines[kClosing + 1]));
  EXPECT_TRUE(is_empty(lines[kClosing + 2]));
  EXPECT_FALSE(is_blank_only(lines[kClosing + 3]) || is_empty(lines[kClosing + 3]));
  EXPECT_EQ(lines[kClosing + 3].find('@'), std::string::npos) << "no e-mail in the contact line";
}

TEST(NoteContent, RowStatisticsOfTheWrittenFile) {
  const auto& lines = notes();
  ASSERT_EQ(lines.size(), 370u);
  size_t empty = 0, blank_only = 0, ending_in_blank = 0, accented = 0, prose = 0, prose_80_99 = 0;
  for (size_t i = 0; i < lines.size(); ++i) {
    const std::string& s = lines[i];
    empty += is_empty(s);
    if (is_blank_only(s)) {
      ++blank_only;
      EXPECT_LE(s.size(), 16u) << "row " << i;
    }
    ending_in_blank += !s.empty() && s.back() == ' ';
    accented += has_accented_vowel(s);
    EXPECT_LE(s.size(), 105u) << "row " << i;
    for (unsigned char c : s) {
      // Anything above ASCII must be a single-byte accented vowel; '?' marks a lost character.
      EXPECT_TRUE(c < 0x80 ? c != '?' : has_accented_vowel(std::string(1, char(c))))
          << "row " << i << " byte " << int(c);
    }
    if (!s.empty() && s[0] == ' ' && !is_blank_only(s)) {
      ++prose;
      prose_80_99 += s.size() >= 80 && s.size() <= 99;
    }
  }
  EXPECT_EQ(empty, 48u);
  EXPECT_EQ(blank_only, 25u);
  EXPECT_EQ(ending_in_blank, 152u);
  EXPECT_EQ(accented, 121u);
  EXPECT_GT(prose_80_99 * 2, prose) << prose_80_99 << " of " << prose;
}

TEST(NoteContent, ProseIndentationFollowsTheSection) {
  const auto& lines = notes();
  ASSERT_EQ(lines.size(), 370u);
  // The first two sections are indented by one blank, the later ones mostly by eight.
  for (size_t k = 0; k < std::size(kSections); ++k) {
    const size_t end = k + 1 < std::size(kSections) ? kSections[k + 1].heading : kClosing;
    size_t text = 0, by_eight = 0;
    for (size_t i = kSections[k].heading + 1; i < end; ++i) {
      if (is_empty(lines[i]) || is_blank_only(lines[i])) continue;
      ++text;
      const size_t at = indent(lines[i]);
      if (k < 2) {
        EXPECT_EQ(at, 1u) << "row " << i;
      } else {
        EXPECT_TRUE(at == 2 || at == 3 || at == 4 || at == 8) << "row " << i;
        by_eight += at == 8;
      }
    }
    if (k >= 2) {
      EXPECT_GT(by_eight * 2, text) << kSections[k].text;
    }
  }
}

TEST(NoteContent, PlacesAndTimesAgreeWithTheTrainSource) {
  const auto& lines = notes();
  ASSERT_EQ(lines.size(), 370u);
  const auto table = stations();
  ASSERT_FALSE(table.empty());
  auto route_index = [&](const std::string& name) {
    const auto it =
        std::find_if(table.begin(), table.end(), [&](const Station& s) { return s.name == name; });
    return it == table.end() ? -1 : int(it - table.begin());
  };

  EXPECT_EQ(lines[0], "LINEA :  " + table.front().name + " -- " + table.back().name);

  // The real line, place by place: one sub-heading per station, in route order.
  const std::regex kKilometre(R"(.* \( \d{1,2}\+\d{3}( / \d{1,2}\+\d{3})? \)$)");
  std::vector<std::string> places;
  size_t with_kilometre = 0, with_two = 0;
  for (size_t i = kSections[3].heading + 1; i < kSections[4].heading; ++i) {
    const std::string& row = lines[i];
    if (row.rfind("  TRATTA ", 0) == 0) {
      std::string ends = row.substr(9);
      size_t join = ends.find(" -- ");
      size_t width = 4;
      if (join == std::string::npos) {
        join = ends.find(" - ");
        width = 3;
      }
      ASSERT_NE(join, std::string::npos) << row;
      const int from = route_index(ends.substr(0, join));
      const int to = route_index(ends.substr(join + width));
      EXPECT_GE(from, 0) << row;
      EXPECT_LT(from, to) << row;
      continue;
    }
    const std::string name = place_heading(row);
    if (name.empty()) continue;
    places.push_back(name);
    if (row.find('(') != std::string::npos) {
      EXPECT_TRUE(std::regex_match(row, kKilometre)) << row;
      ++with_kilometre;
      with_two += row.find(" / ") != std::string::npos;
    }
  }
  std::vector<std::string> names;
  for (const auto& s : table) names.push_back(s.name);
  EXPECT_EQ(places, names);
  EXPECT_EQ(with_kilometre, 3u);
  EXPECT_EQ(with_two, 1u);
  EXPECT_EQ(std::count_if(lines.begin(), lines.end(),
                          [](const std::string& r) { return r.rfind("  TRATTA ", 0) == 0; }),
            3);

  // Every scheduled time of the train appears in the notes as the sheet writes it ("7.06").
  std::string all;
  for (const auto& l : lines) all += l + "\n";
  for (const auto& s : table) {
    if (s.hours == 0 && s.minutes == 0) continue;
    char time[8];
    std::snprintf(time, sizeof time, "%d.%02d", s.hours, s.minutes);
    EXPECT_NE(all.find(time), std::string::npos) << s.name << " " << time;
  }
}

}  // namespace
}  // namespace scenario
