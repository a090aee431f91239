// The reference data: every row kind of the line and train sources, field by field, with what
// the readers and the compiler do with it. Written by hand from the readers; the tests hold it
// against them (each kind's keyword rule and value count) and against docs/sources.md.
#include "source/field_reference.h"
#include "source/edit_distance.h"

#include <algorithm>
#include <iterator>

namespace scenario {
namespace {

// Outcomes that many fields share, in the words the reference uses everywhere.
#define NOT_A_NUMBER "letters or a decimal point fail the reading (status 25)"
#define LINE_BEYOND                                                                              \
  "beyond the track (more than 6,900 m past the route length): status 15, the rest of the line " \
  "source is ignored"
#define TRAIN_BEYOND                                                                        \
  "beyond the track (more than 6,900 m past the route length): status 15, the rest of the " \
  "train source is ignored"
#define STORED "stored as written, for the simulator"

constexpr const char* kPlainNumber = "a whole number; " NOT_A_NUMBER;

// ---- line source, [generale] -------------------------------------------------------------

constexpr std::string_view kRouteLengthWords[] = {"percorso", "lunghezza"};
constexpr FieldEntry kRouteLengthFields[] = {
    {.name = "route length",
     .unit = "m",
     .width = "32-bit",
     .range = "0 to 1,000,000",
     .effect = "`.sim` slot 84 long2. Sizes the track: the `.dat` file holds one 15-byte block "
               "per 50 m of the route plus a run-out of 7,000 m, and the `_linea.dat` plan one "
               "point per metre of the same stretch",
     .bad_value = "above 1,000,000: status 1, and neither source is read further; negative: the "
                  "reading fails (status 25). Without this row before the first body row the "
                  "reading fails",
     .builtin = "93000",
     .example = "93000"},
};

constexpr FieldEntry kProgressiveFields[] = {
    {.name = "start",
     .unit = "m",
     .width = "32-bit",
     .range = "a route position, multiple of 50; 0 for an unused progressive",
     .effect = "`.sim` slots 81 to 83 long1, after the three progressives are put in order: the "
               "latest start in slot 81, the earliest in slot 83. The progressive in force at a "
               "route position is the one with the latest start at or before it",
     .bad_value = "not a multiple of 50: status 2 once both sources are read (the files are "
                  "still written). Two progressives sharing the largest start clear all three "
                  "slots, without a status",
     .builtin = "uno 0, due 75750, tre 0",
     .example = "0"},
    {.name = "kilometre value",
     .unit = "m",
     .width = "32-bit",
     .range = "a multiple of 50 (after the 100 m that a direction flag of 1 adds): the line's "
              "kilometre at route position 0, not at the start",
     .effect = "long2 of the same slot, plus 100 when the direction flag is 1. The kilometre at "
               "route position x is value - x with the flag 1, value + x otherwise",
     .bad_value = "not a multiple of 50 once ordered: status 2 once both sources are read",
     .builtin = "uno 75700, due 88500, tre 0",
     .example = "75700"},
    {.name = "direction flag",
     .unit = "",
     .width = "32-bit",
     .range = "1 (the kilometres fall as the route goes on) or 0 (they rise); 0 for an unused "
              "progressive",
     .effect = "long3 of the same slot. 1 also adds 100 to the stored kilometre value, and the "
               "kilometre at route position x is then value - x; any other value gives "
               "value + x",
     .bad_value = "any value other than 1 adds nothing, is stored as written and reads as a "
                  "rising kilometrage",
     .builtin = "uno 1, due 1, tre 0",
     .example = "1"},
};
// The reading of the kilometrage that `timing`, `plot`, `documents` and the editor share.
#define PROGRESSIVE_TEXT                                                                        \
  "From its start position on, the line's own kilometrage: the kilometres that the timetable "  \
  "sheet and the boards name (Km 68+905). The kilometre at route position x is value - x when " \
  "the direction flag is 1 (the kilometrage falls as the route goes on), value + x otherwise, " \
  "by the progressive in force at x: the one with the latest start at or before x (before "     \
  "every start, the route position itself). So the value is the kilometre the progressive "     \
  "would give at route position 0, not at its start. Worked example, the built-in line: uno "   \
  "0, 75700, 1 gives km 75+650 at LINDEVA (route 50 m) and km 72+400 at 3300 m; due 75750, "    \
  "88500, 1 takes over at 75750 m with km 88500 - 75750 = 12+750, and gives km 0+000 at "       \
  "QUERNO (88500 m). The three are put in order by their start, so which of uno, due and tre "  \
  "holds which does not matter; an unused one is 0, 0, 0. The compiled `.sim` holds them "      \
  "ordered, with 100 added to the value when the flag is 1 (slot 81: 75750, 88600, 1); "        \
  "`timing`, `plot`, `documents` and the editor take the 100 off again."
constexpr std::string_view kProgressiveUnoWords[] = {"uno", "progressiva"};
constexpr std::string_view kProgressiveDueWords[] = {"due", "progressiva"};
constexpr std::string_view kProgressiveTreWords[] = {"tre", "progressiva"};

constexpr FieldEntry kBackgroundUnoFields[] = {
    {.name = "background setting",
     .unit = "",
     .width = "32-bit",
     .range = "any whole number",
     .effect = "`.sim` slot 85 long1; " STORED,
     .bad_value = kPlainNumber,
     .builtin = "1",
     .example = "1"},
};
constexpr FieldEntry kBackgroundDueFields[] = {
    {.name = "background setting",
     .unit = "",
     .width = "32-bit",
     .range = "any whole number",
     .effect = "`.sim` slot 85 long3; " STORED,
     .bad_value = kPlainNumber,
     .builtin = "0",
     .example = "0"},
};
constexpr FieldEntry kBackgroundTreFields[] = {
    {.name = "background setting",
     .unit = "",
     .width = "32-bit",
     .range = "any whole number",
     .effect =
         "`.sim` slot 85 long2 (\"tre\" goes to the second field, \"due\" to the third); " STORED,
     .bad_value = kPlainNumber,
     .builtin = "0",
     .example = "0"},
};
constexpr std::string_view kBackgroundUnoWords[] = {"sfondo", "uno"};
constexpr std::string_view kBackgroundDueWords[] = {"sfondo", "due"};
constexpr std::string_view kBackgroundTreWords[] = {"sfondo", "tre"};

constexpr std::string_view kRepetitionWords[] = {"segnali", "ripetizione"};
constexpr FieldEntry kRepetitionFields[] = {
    {.name = "start",
     .unit = "m",
     .width = "32-bit",
     .range = "a route position, multiple of 50",
     .effect = "`.sim` slot 86 long1: where the stretch with cab signal repetition begins",
     .bad_value = "not a multiple of 50: status 3, and neither source is read further",
     .builtin = "76350",
     .example = "76350"},
    {.name = "end",
     .unit = "m",
     .width = "32-bit",
     .range = "a route position, multiple of 50; 0 for a line without the stretch",
     .effect = "`.sim` slot 86 long2; slot 86 long3 gets the code count that the keyword names "
               "(4 or 9), or 0 when the end is 0",
     .bad_value = "not a multiple of 50: status 4, and neither source is read further",
     .builtin = "87250",
     .example = "87250"},
};

// ---- line source, body -------------------------------------------------------------------

constexpr std::string_view kGradientWords[] = {"pendenza"};
constexpr FieldEntry kGradientFields[] = {
    {.name = "position",
     .unit = "m",
     .width = "32-bit",
     .range = "0 to the route length, each row after the one before",
     .effect = "the gradient holds from block round(position / 50) up to the next gradient "
               "row's block; the last one runs to the end of the track (`.dat` mark14)",
     .bad_value = LINE_BEYOND ". A row not after the one before writes a single block and "
                              "shifts the profile, without a status",
     .builtin = "48 rows from 0 to 87450",
     .example = "400"},
    {.name = "gradient",
     .unit = "per mille",
     .width = "32-bit",
     .range = "-100 to 155 (downhill negative)",
     .effect = "`.dat` mark14 = gradient + 100 on every block it holds for",
     .bad_value = "outside -100 to 155: the reading fails (status 25) when its blocks are "
                  "written",
     .builtin = "-10 to 6",
     .example = "-6"},
};

constexpr std::string_view kCurveWords[] = {"curva"};
constexpr FieldEntry kCurveFields[] = {
    {.name = "start",
     .unit = "m",
     .width = "32-bit",
     .range = "0 to the route length, at or after the end of the curve before",
     .effect = "the plan (`_linea.dat`) runs straight on from the end of the curve before up "
               "to this metre",
     .bad_value = LINE_BEYOND ". A curve that starts before the previous one ends turns only "
                              "from where the plan has reached, without a status",
     .builtin = "126 curves from 200 to 86950",
     .example = "200"},
    {.name = "length",
     .unit = "m",
     .width = "32-bit",
     .range = "1 or more",
     .effect = "the plan turns by the keyword's curvature at every metre from the start to "
               "start + length",
     .bad_value = "a curve running past the end of the plan is drawn up to that end; 0 or "
                  "negative turns nothing",
     .builtin = "50 to 1600",
     .example = "150"},
};

constexpr std::string_view kMountainWords[] = {"montagna"};
constexpr FieldEntry kMountainFields[] = {
    {.name = "start",
     .unit = "m",
     .width = "32-bit",
     .range = "0 to the route length, after the end of the range before",
     .effect = "the range covers the blocks round(start / 50) to round(end / 50 - 1)",
     .bad_value = LINE_BEYOND "; a negative start fails the reading (status 25)",
     .builtin = "25 ranges from 750 to 79800",
     .example = "750"},
    {.name = "end",
     .unit = "m",
     .width = "32-bit",
     .range = "after the start",
     .effect = "last block of the range, as above; a range starting 150 m or less after the "
               "previous range's end gets kind 3",
     .bad_value = "at or before the start: nothing is marked (the range still counts for the "
                  "150 m rule); past the end of the track: marked up to it",
     .builtin = "1300 to 80200",
     .example = "1300"},
    {.name = "kind",
     .unit = "",
     .width = "32-bit",
     .range = "0 to 255, plus 10 for the periodic marker",
     .effect = "`.dat` mark12 of every block of the range; above 10, 10 is taken off and every "
               "fourth block of the range that holds nothing else gets code 11, a marker for "
               "the simulator",
     .bad_value = "outside 0 to 255 (after taking off 10): the reading fails (status 25)",
     .builtin = "2 and 12",
     .example = "12"},
};

constexpr std::string_view kSpeedBoardWords[] = {"indicatori_v"};
constexpr FieldEntry kSpeedBoardFields[] = {
    {.name = "position",
     .unit = "m",
     .width = "32-bit",
     .range = "0 to the route length; one board per block",
     .effect = "`.dat` block round(position / 50 + 1), the block after the board's own, gets "
               "code 6",
     .bad_value = LINE_BEYOND "; a block already taken by a board: status 21, and neither "
                              "source is read further",
     .builtin = "20 boards from 750 to 86450",
     .example = "750"},
    {.name = "speed 1",
     .unit = "km/h",
     .width = "32-bit",
     .range = "5 to 300",
     .effect = "value1 = speed 1 x 20 + second-group speed 1 / 5",
     .bad_value = "a pair that does not fit 16 bits fails the reading (status 25)",
     .builtin = "30 to 150",
     .example = "65"},
    {.name = "speed 2",
     .unit = "km/h",
     .width = "32-bit",
     .range = "5 to 300",
     .effect = "value2 = speed 2 x 20 + second-group speed 2 / 5; the built-in train's speed "
               "rows take their values from this speed",
     .bad_value = "as speed 1",
     .builtin = "30 to 160",
     .example = "75"},
    {.name = "speed 3",
     .unit = "km/h",
     .width = "32-bit",
     .range = "5 to 300",
     .effect = "value3 = speed 3 x 20 + second-group speed 3 / 5",
     .bad_value = "as speed 1",
     .builtin = "30 to 160",
     .example = "75"},
    {.name = "code",
     .unit = "",
     .width = "32-bit",
     .range = "0 to 9",
     .effect = "value4 = code x 10 + second-group code; " STORED,
     .bad_value = "value4 keeps its low 16 bits, without a status",
     .builtin = "2, 1, 0 for a series of boards ahead of a lower limit; 0 for a board on its own",
     .example = "0"},
    {.name = "second-group speed 1",
     .unit = "km/h",
     .width = "32-bit",
     .range = "0 to 300, a multiple of 5; empty reads as 0",
     .effect = "added to value1 as speed / 5",
     .bad_value = "not a multiple of 5: rounded to the nearest step of 5, without a status",
     .builtin = "empty, or the same as speed 1",
     .example = "65"},
    {.name = "second-group speed 2",
     .unit = "km/h",
     .width = "32-bit",
     .range = "as second-group speed 1",
     .effect = "added to value2 as speed / 5",
     .bad_value = "as second-group speed 1",
     .builtin = "empty, or the same as speed 2",
     .example = "75"},
    {.name = "second-group speed 3",
     .unit = "km/h",
     .width = "32-bit",
     .range = "as second-group speed 1",
     .effect = "added to value3 as speed / 5",
     .bad_value = "as second-group speed 1",
     .builtin = "empty, or the same as speed 3",
     .example = "75"},
    {.name = "second-group code",
     .unit = "",
     .width = "32-bit",
     .range = "0 to 9",
     .effect = "added to value4",
     .bad_value = "10 or more runs into the first code, without a status",
     .builtin = "0, 1, 2, the same as the first code where the group is given",
     .example = "0"},
};

constexpr std::string_view kBoardWords[] = {"indicat", "cartello"};
constexpr FieldEntry kBoardFields[] = {
    {.name = "position",
     .unit = "m",
     .width = "32-bit",
     .range = "0 to the route length; one board per block",
     .effect = "`.dat` block round(position / 50 + 1), the block after the board's own, gets "
               "code 14 and in value1 the `.sim` slot of the text",
     .bad_value = LINE_BEYOND "; a block already taken: status 6, and neither source is read "
                              "further",
     .builtin = "55 boards from 450 to 87500",
     .example = "450"},
    {.name = "text",
     .unit = "",
     .width = "text",
     .range = "up to three board lines, each in round brackets with nothing between them: "
              "(PASSAGGIO)(A LIVELLO)(Km 68+905). Windows-1252; no comma unless the whole text is "
              "in double quotes",
     .effect = "the text of `.sim` slot 80 for the first board row, 79 for the next, and so on "
               "down; the compiler stores it whole and does not look inside",
     .bad_value = "a comma ends the text unless it is in double quotes; more than 80 boards "
                  "fail the reading (status 25)",
     .builtin = "(PASSAGGIO)(A LIVELLO)(Km 68+905) at the level crossings, (CAVALCAVIA) and "
                "(  INIZIO  )( VIADOTTO )(RIO SELVA) at the bridges, character pictures such as "
                "( ___ )(|+|+|)(|_|_|) before stations; no tunnel board",
     .example = "(CAVALCAVIA)(VIA ROVERE)"},
};

// ---- train source ------------------------------------------------------------------------

constexpr std::string_view kBrakeMassWords[] = {"frenata", "massa"};
constexpr FieldEntry kBrakeMassFields[] = {
    {.name = "brake-mass percentage",
     .unit = "%",
     .width = "32-bit",
     .range = "any whole number; a train's is usually 50 to 150",
     .effect = "`.sim` slot 84 long1; " STORED,
     .bad_value = kPlainNumber,
     .builtin = "120",
     .example = "120"},
};

constexpr std::string_view kCoachesWords[] = {"vetture"};
constexpr FieldEntry kCoachesFields[] = {
    {.name = "coaches",
     .unit = "",
     .width = "32-bit",
     .range = "any whole number",
     .effect = "`.sim` slot 84 long3; " STORED,
     .bad_value = kPlainNumber,
     .builtin = "7",
     .example = "7"},
};

constexpr std::string_view kSpeedWords[] = {"velocit"};
constexpr FieldEntry kSpeedFields[] = {
    {.name = "position",
     .unit = "m",
     .width = "32-bit",
     .range = "0 to the route length, each row after the one before",
     .effect = "the limit holds from block round(position / 50) up to the next speed row's "
               "block; the last one runs to the end of the track",
     .bad_value = TRAIN_BEYOND ". A row not after the one before writes a single block, "
                               "without a status",
     .builtin = "16 rows from 0 to 87250",
     .example = "1900"},
    {.name = "speed limit",
     .unit = "km/h",
     .width = "32-bit",
     .range = "5 to 1275, a multiple of 5",
     .effect = "`.dat` mark13 = round(speed / 5) on every block it holds for",
     .bad_value = "not a multiple of 5: rounded to the nearest step of 5 (97 is kept as 95), "
                  "without a status; above 1277 or below -2: the reading fails (status 25)",
     .builtin = "30 to 160",
     .example = "135"},
};

constexpr std::string_view kAdhesionWords[] = {"aderenza"};
constexpr FieldEntry kAdhesionFields[] = {
    {.name = "position",
     .unit = "m",
     .width = "32-bit",
     .range = "0 to the route length, each row after the one before",
     .effect = "the value holds from block round(position / 50) up to the next adhesion row's "
               "block; the last one runs to the end of the track",
     .bad_value = TRAIN_BEYOND ". A row not after the one before writes a single block, "
                               "without a status",
     .builtin = "one row, at 0",
     .example = "0"},
    {.name = "adhesion",
     .unit = "",
     .width = "32-bit",
     .range = "0 to 255",
     .effect = "`.dat` mark15 on every block it holds for; " STORED,
     .bad_value = "only the low 8 bits are kept (300 becomes 44), without a status",
     .builtin = "100",
     .example = "100"},
};

constexpr std::string_view kClockWords[] = {"orologio"};
constexpr FieldEntry kClockFields[] = {
    {.name = "hours",
     .unit = "h",
     .width = "16-bit",
     .range = "0 to 23",
     .effect = "`.sim` slot 86 int3: the clock when the run starts",
     .bad_value = "beyond 16 bits fails the reading (status 25); other values are stored as "
                  "written",
     .builtin = "6",
     .example = "6"},
    {.name = "minutes",
     .unit = "min",
     .width = "16-bit",
     .range = "0 to 59",
     .effect = "`.sim` slot 86 int4",
     .bad_value = "as hours",
     .builtin = "54",
     .example = "54"},
    {.name = "seconds",
     .unit = "s",
     .width = "16-bit",
     .range = "0 to 59",
     .effect = "`.sim` slot 86 int5",
     .bad_value = "as hours",
     .builtin = "30",
     .example = "30"},
};

constexpr std::string_view kSandWords[] = {"sabbia"};
constexpr FieldEntry kSandFields[] = {
    {.name = "sand supply",
     .unit = "",
     .width = "16-bit",
     .range = "0 to 32767",
     .effect = "`.sim` slot 86 int1; " STORED,
     .bad_value = "beyond 16 bits fails the reading (status 25)",
     .builtin = "300",
     .example = "300"},
};

// Signals: the value fields are combined in pairs into 16-bit block fields and kept only in
// their low 16 bits, so a bad value is never refused.
#define SIGNAL_PART "part of a signal value for the simulator: "
#define SIGNAL_WRAP "too large for the block field: only its low bits are kept, without a status"
constexpr std::string_view kSignalWords[] = {"segnale"};
constexpr FieldEntry kSignalFields[] = {
    {.name = "position",
     .unit = "m",
     .width = "32-bit",
     .range = "400 to the route length; one signal per block",
     .effect = "`.dat` block round(position / 50 + 1) gets code 1; the blocks 100, 200, 300 "
               "and 400 m before it get approach marks in mark11. The compiler puts a code-cut "
               "point of 180 in one of the two blocks before a signal that stands up to 1,000 m "
               "before a slowdown warning or up to 600 m after a slowdown's end",
     .bad_value = TRAIN_BEYOND "; a block already taken: status 16, the train source is read "
                               "no further and the speed limits and adhesion are not filled "
                               "in. Approach marks before the track's start are dropped",
     .builtin = "34 signals from 1850 to 87250",
     .example = "2900"},
    {.name = "kind",
     .unit = "",
     .width = "32-bit",
     .range = "1 (a distant signal) or 2 (a main signal)",
     .effect = "3 x kind goes into value4, and (3 x kind + field 7) x 10 + 1 to 4 into the "
               "approach marks, so the last digit of value4 tells the kind: 3 to 5 kind 1, 6 to "
               "8 kind 2 (`inspect` and `plot` read it so). Kind 2 also stores field 11. In the "
               "built-in scenario every signal of kind 1 stands 1,050 to 1,250 m before one of "
               "kind 2, which mostly stands 400 to 800 m before a station: kind 1 is the "
               "distant signal that announces the main signal of kind 2, as its notes tell "
               "(every station protected by a main signal, preceded by its distant one)",
     .bad_value = SIGNAL_WRAP "; another kind's last digit of value4 tells no kind to `plot`",
     .builtin = "15 of kind 1 and 19 of kind 2; in the coded stretch (from 76350 m) kind 2 only",
     .example = "2"},
    {.name = "field 3",
     .unit = "",
     .width = "32-bit",
     .range = "0 to 9",
     .effect = SIGNAL_PART "value1 = 10 x field 3 + field 8",
     .bad_value = SIGNAL_WRAP,
     .builtin = "2 to 5",
     .example = "4"},
    {.name = "field 4",
     .unit = "",
     .width = "32-bit",
     .range = "0 to 9",
     .effect = SIGNAL_PART "value2 = 10 x field 4 + field 9",
     .bad_value = SIGNAL_WRAP,
     .builtin = "0 to 6",
     .example = "1"},
    {.name = "field 5",
     .unit = "",
     .width = "32-bit",
     .range = "0 to 9",
     .effect = SIGNAL_PART "value3 = 10 x field 5 + field 10",
     .bad_value = SIGNAL_WRAP,
     .builtin = "0 and 1",
     .example = "0"},
    {.name = "field 6",
     .unit = "",
     .width = "32-bit",
     .range = "0 to 9",
     .effect = SIGNAL_PART "value4 = 10 x field 6 + 3 x kind + field 7",
     .bad_value = SIGNAL_WRAP,
     .builtin = "0",
     .example = "0"},
    {.name = "field 7",
     .unit = "",
     .width = "32-bit",
     .range = "0 to 2",
     .effect = SIGNAL_PART "added to value4, and to the approach marks as (3 x kind + field "
                           "7) x 10 + 1 to 4",
     .bad_value = SIGNAL_WRAP,
     .builtin = "0, 1 and 2",
     .example = "2"},
    {.name = "field 8",
     .unit = "",
     .width = "32-bit",
     .range = "0 to 9",
     .effect = SIGNAL_PART "added to value1",
     .bad_value = SIGNAL_WRAP,
     .builtin = "0 to 6",
     .example = "2"},
    {.name = "field 9",
     .unit = "",
     .width = "32-bit",
     .range = "0 to 9",
     .effect = SIGNAL_PART "added to value2",
     .bad_value = SIGNAL_WRAP,
     .builtin = "0 to 6",
     .example = "4"},
    {.name = "field 10",
     .unit = "",
     .width = "32-bit",
     .range = "0 to 9",
     .effect = SIGNAL_PART "added to value3",
     .bad_value = SIGNAL_WRAP,
     .builtin = "0 to 3",
     .example = "0"},
    {.name = "field 11",
     .unit = "",
     .width = "32-bit",
     .range = "0, or 101 to 255",
     .effect = "only for kind 2: `.dat` mark10 of the signal's block; " STORED,
     .bad_value = "1 to 100 are stored as 101; above 255 only the low 8 bits are kept, "
                  "without a status",
     .builtin = "0, and 190 and 240 at two signals of kind 2",
     .example = "190"},
};

constexpr std::string_view kSlowdownWords[] = {"rallentamento"};
constexpr FieldEntry kSlowdownFields[] = {
    {.name = "start",
     .unit = "m",
     .width = "32-bit",
     .range = "0 to the route length",
     .effect = "`.dat` block round(start / 50 + 1) gets code 3 and, for a start beyond 1,500 "
               "m, the block 1,200 m before it code 4 (the warning). The compiler puts code-cut "
               "points of 180 250 to 350, 550 to 650 and 900 to 1,000 m before the start",
     .bad_value = TRAIN_BEYOND "; a warning, start or end block already taken: status 17, 18 or "
                               "19, the train source is read no further and the speed limits "
                               "and adhesion are not filled in",
     .builtin = "66850",
     .example = "66850"},
    {.name = "speed",
     .unit = "km/h",
     .width = "32-bit",
     .range = "5 to 300",
     .effect = "value1 of the start, end and warning blocks; below 110 km/h the compiler also "
               "puts a code-cut point of 180 every 400 m through the slowdown",
     .bad_value = "only the low 16 bits are kept, without a status",
     .builtin = "100",
     .example = "100"},
    {.name = "length",
     .unit = "m",
     .width = "32-bit",
     .range = "50 or more",
     .effect = "the end block, round((start + length) / 50 + 1), gets code 2",
     .bad_value = "an end beyond the track: status 15 as for the start",
     .builtin = "1200",
     .example = "1200"},
    {.name = "field 4",
     .unit = "",
     .width = "32-bit",
     .range = "any 16-bit value",
     .effect = "value3 of the start and end blocks; " STORED,
     .bad_value = "only the low 16 bits are kept, without a status",
     .builtin = "0",
     .example = "0"},
    {.name = "pre-warning",
     .unit = "",
     .width = "32-bit",
     .range = "0 or 1",
     .effect = "when not 0 and the start lies beyond 1,500 m, the four blocks before the "
               "warning get code 5 with value1 1 to 4",
     .bad_value = "one of those four blocks taken: status 20, after the start, end and warning "
                  "are written",
     .builtin = "1",
     .example = "1"},
    {.name = "field 6",
     .unit = "",
     .width = "32-bit",
     .range = "any 16-bit value",
     .effect = "when not 0: value2 of the start, end and warning blocks, and the numbers 1 to 4 "
               "in value2 of the pre-warning blocks; " STORED,
     .bad_value = "only the low 16 bits are kept, without a status",
     .builtin = "100",
     .example = "100"},
};

constexpr std::string_view kCodeCutWords[] = {"abbattimento"};
constexpr FieldEntry kCodeCutFields[] = {
    {.name = "position",
     .unit = "m",
     .width = "32-bit",
     .range = "0 to the route length; a free block",
     .effect = "`.dat` block round(position / 50): code 12 when the value is above 0, else "
               "code 13",
     .bad_value = TRAIN_BEYOND "; a block already taken: status 7, the train source is read no "
                               "further and the speed limits and adhesion are not filled in",
     .builtin = "none: the built-in [codici] section is empty, and the compiler places its own "
                "points of 180",
     .example = "3000"},
    {.name = "value",
     .unit = "",
     .width = "32-bit",
     .range = "1 to 32767, or 0 for a point without a value",
     .effect = "value1 of the block when above 0; " STORED,
     .bad_value = "only the low 16 bits are kept, without a status",
     .builtin = "none (the compiler's own points have 180)",
     .example = "180"},
};

#define BYTE_FIELD "above 255 or negative fails the reading (status 25)"
#define INT16_FIELD "beyond 16 bits fails the reading (status 25)"
constexpr std::string_view kStationWords[] = {"stazione"};
constexpr FieldEntry kStationFields[] = {
    {.name = "position",
     .unit = "m",
     .width = "32-bit",
     .range = "a multiple of 50, each station after the one before",
     .effect = "`.sim` long3 of the station's slot (1 for the first station row, 2 for the "
               "next, ...); the centre of the station area",
     .bad_value = "not a multiple of 50: status 8; more than 6,200 m past the route length: "
                  "status 15, the rest of the train source is ignored",
     .builtin = "18 stations from 50 to 88500",
     .example = "50"},
    {.name = "kind",
     .unit = "",
     .width = "byte",
     .range = "0 to 255: below 25 a stop, 25 and above a station passed",
     .effect = "code of the slot. Decides the station area and the marks: kinds 5 and 6 from "
               "position - length to position + 150 (the train stops 100 m past the position), "
               "kinds 7 and 8 from position - length to position + length, other kinds the "
               "length centred on the position. Kinds below 25 are stops: `.dat` code 10 (value1 "
               "= the slot) in the block one before the area's end, where `timing` and "
               "`documents` stop the train, and, except kinds 5 and 6, approach marks 81 to 84 "
               "in mark11 of the four blocks before it. Kinds 25 and above put nothing on the "
               "track: the train passes. The built-in scenario uses 12 and 22 for its stops "
               "(the compiler treats them alike), 6 for the last one, QUERNO, and 25, 27 and 28 "
               "for the stations it passes, which differ only in fields 7 to 13",
     .bad_value = BYTE_FIELD,
     .builtin = "12 at LINDEVA, MONTECAVIO, SANT'ELPIDIO AL VAGNO; 22 at VILLA DORSENA, PIAN "
                "D'ARSIERO, POGGIO SERENTE; 6 at QUERNO; 25, 27 and 28 at the eleven passed",
     .example = "12"},
    {.name = "length",
     .unit = "m",
     .width = "32-bit",
     .range = "a multiple of 100",
     .effect = "long1 and long2 of the slot: the area start and end, derived by kind as above",
     .bad_value = "not a multiple of 100: status 9. An area starting less than 350 m after the "
                  "previous station's area end: status 22; a stop whose marker would lie at "
                  "block 1 or before: status 24. Each stops the train source there",
     .builtin = "200 to 800",
     .example = "700"},
    {.name = "last-station flag",
     .unit = "",
     .width = "byte",
     .range = "0 or 1",
     .effect = "flag of the slot; " STORED,
     .bad_value = BYTE_FIELD,
     .builtin = "1 at the last station, 0 elsewhere",
     .example = "0"},
    {.name = "field 5",
     .unit = "",
     .width = "byte",
     .range = "0 to 255",
     .effect = "byte4 of the slot, kept only when the length is 600 m or more and not for the "
               "first station; " STORED,
     .bad_value = BYTE_FIELD,
     .builtin = "0",
     .example = "0"},
    {.name = "area extension",
     .unit = "",
     .width = "byte",
     .range = "0 or 1",
     .effect = "byte3 of the slot; when not 0, the area of a kind other than 5 to 8 ends 50 m "
               "further. Stored as 0 for kinds 5 to 8 and for the first station",
     .bad_value = BYTE_FIELD,
     .builtin = "0, and 1 at four stations of kinds 22 and 27",
     .example = "0"},
    {.name = "field 7",
     .unit = "",
     .width = "16-bit",
     .range = "0 or 1",
     .effect = "int1 of the slot; " STORED,
     .bad_value = INT16_FIELD,
     .builtin = "1 at kinds 6, 12, 22 and 27; 0 at 25 and 28",
     .example = "1"},
    {.name = "field 8",
     .unit = "",
     .width = "16-bit",
     .range = "0 or 1",
     .effect = "int2 of the slot; " STORED,
     .bad_value = INT16_FIELD,
     .builtin = "1 at kinds 6, 12, 22 and 25; 0 at 27 and 28",
     .example = "1"},
    {.name = "field 9",
     .unit = "",
     .width = "byte",
     .range = "0 to 255",
     .effect = "byte1 of the slot; " STORED,
     .bad_value = BYTE_FIELD,
     .builtin = "0",
     .example = "0"},
    {.name = "field 10",
     .unit = "",
     .width = "16-bit",
     .range = "0 to 4",
     .effect = "int3 of the slot; " STORED,
     .bad_value = INT16_FIELD,
     .builtin = "4 at kinds 6, 12 and 22; 2 at 25 and 27; 0 at 28",
     .example = "4"},
    {.name = "field 11",
     .unit = "",
     .width = "16-bit",
     .range = "0 to 4",
     .effect = "int4 of the slot; " STORED,
     .bad_value = INT16_FIELD,
     .builtin = "1 at kinds 6, 12 and 22; 4 at 27; 0 at 25 and 28",
     .example = "1"},
    {.name = "field 12",
     .unit = "",
     .width = "16-bit",
     .range = "0 or 1",
     .effect = "int5 of the slot; " STORED,
     .bad_value = INT16_FIELD,
     .builtin = "1 at kinds 6, 12 and 22; 0 elsewhere",
     .example = "1"},
    {.name = "field 13",
     .unit = "",
     .width = "byte",
     .range = "0 to 255",
     .effect = "byte2 of the slot; " STORED,
     .bad_value = BYTE_FIELD,
     .builtin = "1 at the first station, 30 at the intermediate stops with a time, 206 at one "
                "kind 25 station, 0 elsewhere",
     .example = "1"},
    {.name = "hours",
     .unit = "h",
     .width = "32-bit",
     .range = "0 to 23",
     .effect = "with minutes and seconds: long4 of the slot = (hours x 60 + minutes) x 60 + "
               "seconds, the scheduled time in seconds",
     .bad_value = "no check: a time that goes backwards is stored as written; a total beyond "
                  "32 bits fails the reading (status 25)",
     .builtin = "6 to 8 at the stops; 0 at the stations passed",
     .example = "6"},
    {.name = "minutes",
     .unit = "min",
     .width = "32-bit",
     .range = "0 to 59",
     .effect = "part of long4, as above",
     .bad_value = "as hours",
     .builtin = "0 to 55",
     .example = "55"},
    {.name = "seconds",
     .unit = "s",
     .width = "32-bit",
     .range = "0 to 59",
     .effect = "part of long4, as above",
     .bad_value = "as hours",
     .builtin = "0",
     .example = "0"},
    {.name = "name",
     .unit = "",
     .width = "text",
     .range = "Windows-1252 text up to the line end; no comma unless in double quotes",
     .effect = "the text of the slot",
     .bad_value = "a comma cuts the name and the rest becomes a field of its own",
     .builtin = "LINDEVA, PONTE ALBERINO, ... QUERNO",
     .example = "LINDEVA"},
};

// How the emitter spells each row kind's values: the blanks before each comma-separated field,
// or the width a number is right-aligned in.
using V = ValueForm;
constexpr ValueType kNum = ValueType::kNumber;
constexpr ValueType kTxt = ValueType::kText;
// General rows of both sources put four blanks before each value.
constexpr V kGeneral1[] = {{kNum, 4}};
constexpr V kGeneral2[] = {{kNum, 4}, {kNum, 4}};
constexpr V kGeneral3[] = {{kNum, 4}, {kNum, 4}, {kNum, 4}};
constexpr V kCurveForm[] = {{kNum, 2}, {kNum, 2}};
constexpr V kGradientForm[] = {{kNum, 2}, {kNum, 3}};
constexpr V kMountainForm[] = {{kNum, 3}, {kNum, 2}, {kNum, 2}};
constexpr V kSpeedBoardForm[] = {{kNum, 2}, {kNum, 2}, {kNum, 2}, {kNum, 2}, {kNum, 2},
                                 {kNum, 2}, {kNum, 2}, {kNum, 2}, {kNum, 2}};
constexpr V kIndicationBoardForm[] = {{kNum, 2}, {kTxt, 3}};
constexpr V kAdhesionForm[] = {{kNum, 3}, {kNum, 4}};
constexpr V kClockForm[] = {{ValueType::kClock, 4}};
constexpr V kPositionValue[] = {{kNum, 0, 8}, {kNum, 0, 6}};
constexpr V kSignalForm[] = {{kNum, 0, 8}, {kNum, 0, 4}, {kNum, 0, 2}, {kNum, 0, 2},
                             {kNum, 0, 3}, {kNum, 0, 2}, {kNum, 0, 5}, {kNum, 0, 3},
                             {kNum, 0, 1}, {kNum, 0, 1}, {kNum, 1}};
constexpr V kSlowdownForm[] = {{kNum, 0, 8}, {kNum, 0, 6}, {kNum, 0, 5},
                               {kNum, 0, 2}, {kNum, 0, 3}, {kNum, 0, 5}};
constexpr V kStationForm[] = {{kNum, 0, 8}, {kNum, 0, 3}, {kNum, 0, 5}, {kNum, 0, 3}, {kNum, 0, 2},
                              {kNum, 0, 2}, {kNum, 0, 3}, {kNum, 0, 1}, {kNum, 0, 1}, {kNum, 0, 3},
                              {kNum, 0, 1}, {kNum, 0, 1}, {kNum, 0, 5}, {kNum, 0, 4}, {kNum, 0, 2},
                              {kNum, 0, 2}, {kTxt, 1}};

constexpr RowKindEntry kRowKinds[] = {
    // The line source's [generale] section, in the reader's order of tests.
    {.id = RowKindId::kRouteLength,
     .keyword = "lunghezza percorso",
     .source = SourceKind::kLine,
     .scope = RowScope::kLineGeneral,
     .section = "[generale]",
     .must_contain = kRouteLengthWords,
     .case_sensitive = false,
     .written = "lunghezza percorso",
     .description = "The length of the route from its start, in metres. It sizes everything "
                    "else, so it must come before the first body row; a second one starts the "
                    "track and the plan afresh.",
     .fields = kRouteLengthFields,
     .columns = kGeneral1},
    {.id = RowKindId::kProgressiveTre,
     .keyword = "progressiva chilometrica tre",
     .source = SourceKind::kLine,
     .scope = RowScope::kLineGeneral,
     .section = "[generale]",
     .must_contain = kProgressiveTreWords,
     .case_sensitive = true,
     .written = "progressiva chilometrica tre",
     .description = "The third of the line's three kilometre progressives. " PROGRESSIVE_TEXT,
     .fields = kProgressiveFields,
     .columns = kGeneral3},
    {.id = RowKindId::kProgressiveDue,
     .keyword = "progressiva chilometrica due",
     .source = SourceKind::kLine,
     .scope = RowScope::kLineGeneral,
     .section = "[generale]",
     .must_contain = kProgressiveDueWords,
     .case_sensitive = true,
     .written = "progressiva chilometrica due",
     .description = "The second of the line's three kilometre progressives. " PROGRESSIVE_TEXT,
     .fields = kProgressiveFields,
     .columns = kGeneral3},
    {.id = RowKindId::kProgressiveUno,
     .keyword = "progressiva chilometrica uno",
     .source = SourceKind::kLine,
     .scope = RowScope::kLineGeneral,
     .section = "[generale]",
     .must_contain = kProgressiveUnoWords,
     .case_sensitive = true,
     .written = "progressiva chilometrica uno",
     .description = "The first of the line's three kilometre progressives. " PROGRESSIVE_TEXT,
     .fields = kProgressiveFields,
     .columns = kGeneral3},
    {.id = RowKindId::kBackgroundUno,
     .keyword = "sfondo uno",
     .source = SourceKind::kLine,
     .scope = RowScope::kLineGeneral,
     .section = "[generale]",
     .must_contain = kBackgroundUnoWords,
     .case_sensitive = true,
     .written = "sfondo uno",
     .description = "The first of three background settings of the line, stored for the "
                    "simulator.",
     .fields = kBackgroundUnoFields,
     .columns = kGeneral1},
    {.id = RowKindId::kBackgroundDue,
     .keyword = "sfondo due",
     .source = SourceKind::kLine,
     .scope = RowScope::kLineGeneral,
     .section = "[generale]",
     .must_contain = kBackgroundDueWords,
     .case_sensitive = true,
     .written = "sfondo due",
     .description = "The second background setting of the line, stored for the simulator.",
     .fields = kBackgroundDueFields,
     .columns = kGeneral1},
    {.id = RowKindId::kBackgroundTre,
     .keyword = "sfondo tre",
     .source = SourceKind::kLine,
     .scope = RowScope::kLineGeneral,
     .section = "[generale]",
     .must_contain = kBackgroundTreWords,
     .case_sensitive = true,
     .written = "sfondo tre",
     .description = "The third background setting of the line, stored for the simulator.",
     .fields = kBackgroundTreFields,
     .columns = kGeneral1},
    {.id = RowKindId::kRepetition,
     .keyword = "ripetizione segnali",
     .source = SourceKind::kLine,
     .scope = RowScope::kLineGeneral,
     .section = "[generale]",
     .must_contain = kRepetitionWords,
     .case_sensitive = true,
     .written = "ripetizione segnali 4 codici",
     .description = "The stretch of the line with cab signal repetition. The keyword field "
                    "also names the number of codes: a 4 in it means 4 codes, else a 9 means "
                    "9; a keyword with neither is status 5 and neither source is read further.",
     .fields = kRepetitionFields,
     .columns = kGeneral2},
    // The line source's body, in the reader's order of tests.
    {.id = RowKindId::kGradient,
     .keyword = "pendenza",
     .source = SourceKind::kLine,
     .scope = RowScope::kLineBody,
     .section = "[pendenze]",
     .must_contain = kGradientWords,
     .case_sensitive = false,
     .written = "pendenza",
     .description = "A change of gradient: from this position on the track rises (positive) or "
                    "falls (negative) by so many metres per kilometre, up to the next gradient "
                    "row. Before the first row the track is level.",
     .fields = kGradientFields,
     .columns = kGradientForm},
    {.id = RowKindId::kCurve,
     .keyword = "curva",
     .source = SourceKind::kLine,
     .scope = RowScope::kLineBody,
     .section = "[curve]",
     .must_contain = kCurveWords,
     .case_sensitive = false,
     .written = "curvas2",
     .description = "A curve of the plan. The keyword is curva, a hand letter and a sharpness "
                    "digit: an s anywhere in it (curvas2) turns left, none (curvad2) turns "
                    "right. The first of the digits 1 to 6 found sets the turn per metre: 1 "
                    "0.0001, 2 0.0002, 3 0.0004, 4 0.001, 5 0.002, 6 0.003 radians; a keyword "
                    "with none of them is status 103 and neither source is read further. "
                    "Between curves the plan runs straight.",
     .fields = kCurveFields,
     .columns = kCurveForm},
    {.id = RowKindId::kMountain,
     .keyword = "montagna",
     .source = SourceKind::kLine,
     .scope = RowScope::kLineBody,
     .section = "[montagne]",
     .must_contain = kMountainWords,
     .case_sensitive = false,
     .written = "montagna",
     .description = "A mountain range beside the line over a stretch of the route: its kind "
                    "goes into every block of the stretch for the simulator.",
     .fields = kMountainFields,
     .columns = kMountainForm},
    {.id = RowKindId::kSpeedBoard,
     .keyword = "indicatori_vmax",
     .source = SourceKind::kLine,
     .scope = RowScope::kLineBody,
     .section = "[cartelli]",
     .must_contain = kSpeedBoardWords,
     .case_sensitive = false,
     .written = "indicatori_vmax",
     .description = "A speed indicator board: the line's speed limits from this point on, as "
                    "two groups of three speeds and a code, packed into the board's block. The "
                    "train's own limits are the velocita rows of the train source; the compiler "
                    "does not compare the two.",
     .fields = kSpeedBoardFields,
     .columns = kSpeedBoardForm},
    {.id = RowKindId::kIndicationBoard,
     .keyword = "cartello_indicatore",
     .source = SourceKind::kLine,
     .scope = RowScope::kLineBody,
     .section = "[indicazioni]",
     .must_contain = kBoardWords,
     .case_sensitive = false,
     .written = "cartello_indicatore",
     .description =
         "A line-side indication board with the text it shows: a level crossing (passaggio a "
         "livello), a bridge (ponte, viadotto, cavalcavia), a tunnel (galleria), a station, a "
         "junction, the start or end of the coded stretch. The compiler only stores the text "
         "and marks the board's block; the texts are the author's, in the built-in's form of "
         "up to three lines in brackets. The built-in line writes (PASSAGGIO)(A LIVELLO)(Km "
         "68+905) at its 23 level crossings, with (SEGNALE DI)(  AVVISO  )(PER  P.L. ) and "
         "(SEGNALE DI)(PROTEZIONE)(PER  P.L. ) before two of them; (CAVALCAVIA), alone or with "
         "the road's name (CAVALCAVIA)(VIA DEI MULINI), at the overpasses, and (  INIZIO  )( "
         "VIADOTTO )(RIO SELVA) at its viaduct; before three stations a "
         "picture drawn in characters, such as ( ___ )(|+|+|)(|_|_|) 800 m before SANT'ELPIDIO "
         "AL VAGNO; (SCAMBIO DI )(  BIVIO  )(  BRIVANA  "
         ") and (EX BIVIO )(  CAVA  )(ROVELLA) at junctions; (  SEGNALE  )(PERMISSIVO)(DI "
         "BLOCCO) at two block signals; (AVVISO DI  )(INIZIO ZONA)(CODIFICATA ) and (SEGNALE "
         "DI )(INIZIO ZONA)(CODIFICATA ) before the coded stretch, and the same with ( FINE ZONA "
         ") at its end. Its two tunnels have no board (its timetable sheet names their mouths, "
         "Imbocco gall. Dorsena and Imbocco gall. Vagno): a tunnel board is written like any "
         "other, such as (GALLERIA)(DORSENA). At most 80 boards; each one's text takes a slot "
         "of the general table that stations can then not use.",
     .fields = kBoardFields,
     .columns = kIndicationBoardForm},
    // The train source, in the reader's order of tests.
    {.id = RowKindId::kBrakeMass,
     .keyword = "percentuale massa frenata",
     .source = SourceKind::kTrain,
     .scope = RowScope::kTrain,
     .section = "[generale]",
     .must_contain = kBrakeMassWords,
     .case_sensitive = false,
     .written = "percentuale massa frenata",
     .description = "The train's brake-mass percentage, stored for the simulator.",
     .fields = kBrakeMassFields,
     .columns = kGeneral1},
    {.id = RowKindId::kCoaches,
     .keyword = "numero vetture",
     .source = SourceKind::kTrain,
     .scope = RowScope::kTrain,
     .section = "[generale]",
     .must_contain = kCoachesWords,
     .case_sensitive = false,
     .written = "numero vetture",
     .description = "The number of coaches of the train, stored for the simulator.",
     .fields = kCoachesFields,
     .columns = kGeneral1},
    {.id = RowKindId::kSpeed,
     .keyword = "velocita",
     .source = SourceKind::kTrain,
     .scope = RowScope::kTrain,
     .section = "[vel_limite]",
     .must_contain = kSpeedWords,
     .case_sensitive = false,
     .written = "velocita",
     .description = "A change of the train's speed limit: from this position on, up to the "
                    "next speed row, the train may run at most this fast. Limits are kept in "
                    "steps of 5 km/h.",
     .fields = kSpeedFields,
     .columns = kPositionValue},
    {.id = RowKindId::kAdhesion,
     .keyword = "aderenza",
     .source = SourceKind::kTrain,
     .scope = RowScope::kTrain,
     .section = "[aderenze]",
     .must_contain = kAdhesionWords,
     .case_sensitive = false,
     .written = "aderenza",
     .description = "A change of the rail adhesion value from this position on, stored per "
                    "block for the simulator.",
     .fields = kAdhesionFields,
     .columns = kAdhesionForm},
    {.id = RowKindId::kClock,
     .keyword = "orologio",
     .source = SourceKind::kTrain,
     .scope = RowScope::kTrain,
     .section = "[generale]",
     .must_contain = kClockWords,
     .case_sensitive = false,
     .written = "orologio",
     .description = "The clock time at which the run starts. Its three numbers may be "
                    "separated by blanks alone, as the built-in scenario writes them.",
     .fields = kClockFields,
     .columns = kClockForm,
     .blank_separated = true},
    {.id = RowKindId::kSand,
     .keyword = "sabbia",
     .source = SourceKind::kTrain,
     .scope = RowScope::kTrain,
     .section = "[generale]",
     .must_contain = kSandWords,
     .case_sensitive = false,
     .written = "sabbia",
     .description = "The train's sand supply, stored for the simulator.",
     .fields = kSandFields,
     .columns = kGeneral1},
    {.id = RowKindId::kSignal,
     .keyword = "segnale",
     .source = SourceKind::kTrain,
     .scope = RowScope::kTrain,
     .section = "[segnali]",
     .must_contain = kSignalWords,
     .case_sensitive = false,
     .written = "segnale",
     .description = "A light signal beside the line: kind 1 a distant signal, kind 2 a main "
                    "signal (see the kind). The compiler only places it, marks the four blocks "
                    "before it and combines its values into the signal's block; what fields 3 "
                    "to 11 show is the simulator's. Copy them from a built-in signal of the "
                    "same kind: 1, 3, 1, 0, 0, 1, 5, 6, 0, 0 (distant) and 2, 4, 1, 0, 0, 2, 2, "
                    "4, 0, 0 (main) are the built-in's most used.",
     .fields = kSignalFields,
     .columns = kSignalForm},
    {.id = RowKindId::kSlowdown,
     .keyword = "rallentamento",
     .source = SourceKind::kTrain,
     .scope = RowScope::kTrain,
     .section = "[rallentamenti]",
     .must_contain = kSlowdownWords,
     .case_sensitive = false,
     .written = "rallentamento",
     .description = "A temporary slowdown: a stretch the train must pass at a reduced speed, "
                    "with its warning board 1,200 m ahead. The compiler adds code-cut points "
                    "before it and, for a slow one, through it.",
     .fields = kSlowdownFields,
     .columns = kSlowdownForm},
    {.id = RowKindId::kCodeCut,
     .keyword = "abbattimento",
     .source = SourceKind::kTrain,
     .scope = RowScope::kTrain,
     .section = "[codici]",
     .must_contain = kCodeCutWords,
     .case_sensitive = false,
     .written = "abbattimento",
     .description = "A code-cut point of the author's own, beside those the compiler places "
                    "around slowdowns and before signals.",
     .fields = kCodeCutFields,
     .columns = kPositionValue},
    {.id = RowKindId::kStation,
     .keyword = "stazione",
     .source = SourceKind::kTrain,
     .scope = RowScope::kTrain,
     .section = "[stazioni]",
     .must_contain = kStationWords,
     .case_sensitive = false,
     .written = "stazione",
     .description = "A station of the train's run, with its timetable; 16 numbers and the name. "
                    "Its kind says whether the train stops (below 25: a stop marker on the "
                    "track; the built-in's last stop, QUERNO, has kind 6, whose stop lies 100 m "
                    "past the position) or passes (25 and above), and how its area lies around the "
                    "position. The scheduled "
                    "time is the departure at a stop, the arrival at the last one; a station "
                    "passed has 0, 0, 0. Stations take the general table's slots 1, 2, ... in "
                    "row order, and no more of them than the slots the boards leave (at most "
                    "78). Fields 7 to 13 are stored for the simulator: the built-in scenario "
                    "writes 1,1,0,4,1,1 in fields 7 to 12 at its stops (kinds 6, 12, 22), "
                    "0,1,0,2,0,0 at kind 25, 1,0,0,2,4,0 at kind 27 and zeros at kind 28.",
     .fields = kStationFields,
     .columns = kStationForm},
};

// The readers switch on the id, so each entry must stand at its id's place.
constexpr bool ids_in_place() {
  for (size_t i = 0; i < std::size(kRowKinds); ++i) {
    if (static_cast<size_t>(kRowKinds[i].id) != i) return false;
  }
  return std::size(kRowKinds) == kRowKindCount;
}
static_assert(ids_in_place(), "every row kind stands at its id's place");

constexpr SectionEntry kSections[] = {
    {SourceKind::kLine, "[generale]", RowScope::kLineGeneral,
     "The line's global values. Everything before this header is skipped; the section ends at "
     "the next header."},
    {SourceKind::kLine, "[curve]", RowScope::kLineBody, "The curves of the plan, in order."},
    {SourceKind::kLine, "[pendenze]", RowScope::kLineBody, "The gradient profile, in order."},
    {SourceKind::kLine, "[montagne]", RowScope::kLineBody, "The mountain ranges, in order."},
    {SourceKind::kLine, "[cartelli]", RowScope::kLineBody, "The speed indicator boards."},
    {SourceKind::kLine, "[indicazioni]", RowScope::kLineBody,
     "The line-side indication boards and their texts."},
    {SourceKind::kLine, "[fine]", RowScope::kLineBody, "The end of the file; never read."},
    {SourceKind::kTrain, "[generale]", RowScope::kTrain,
     "The train's make-up and start clock. Everything before this header is skipped."},
    {SourceKind::kTrain, "[aderenze]", RowScope::kTrain, "The adhesion steps, in order."},
    {SourceKind::kTrain, "[vel_limite]", RowScope::kTrain, "The train's speed limits, in order."},
    {SourceKind::kTrain, "[stazioni]", RowScope::kTrain, "The stations and timetable, in order."},
    {SourceKind::kTrain, "[rallentamenti]", RowScope::kTrain, "The temporary slowdowns."},
    {SourceKind::kTrain, "[segnali]", RowScope::kTrain, "The signals."},
    {SourceKind::kTrain, "[codici]", RowScope::kTrain, "The author's own code-cut points."},
    {SourceKind::kTrain, "[fine]", RowScope::kTrain, "The end of the file; never read."},
};

#undef NOT_A_NUMBER
#undef LINE_BEYOND
#undef TRAIN_BEYOND
#undef STORED
#undef PROGRESSIVE_TEXT
#undef SIGNAL_PART
#undef SIGNAL_WRAP
#undef BYTE_FIELD
#undef INT16_FIELD

char lower(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c + 32) : c; }

bool equal_ci(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i) {
    if (lower(a[i]) != lower(b[i])) return false;
  }
  return true;
}

bool contains_word(std::string_view field, std::string_view word, bool case_sensitive) {
  if (case_sensitive) return field.find(word) != std::string_view::npos;
  if (word.size() > field.size()) return false;
  for (size_t i = 0; i + word.size() <= field.size(); ++i) {
    if (equal_ci(field.substr(i, word.size()), word)) return true;
  }
  return false;
}

}  // namespace

bool recognises(const RowKindEntry& kind, std::string_view field) {
  return std::all_of(kind.must_contain.begin(), kind.must_contain.end(), [&](std::string_view w) {
    return contains_word(field, w, kind.case_sensitive);
  });
}

namespace {

// Distance of a word to a keyword: to the whole keyword or to its nearest word.
size_t keyword_distance(std::string_view word, std::string_view keyword) {
  size_t best = edit_distance(word, keyword);
  size_t start = 0;
  while (start < keyword.size()) {
    size_t end = keyword.find_first_of(" _", start);
    if (end == std::string_view::npos) end = keyword.size();
    if (end > start) best = std::min(best, edit_distance(word, keyword.substr(start, end - start)));
    start = end + 1;
  }
  return best;
}

}  // namespace

std::span<const RowKindEntry> row_kind_entries() { return kRowKinds; }

std::span<const SectionEntry> section_entries() { return kSections; }

const RowKindEntry* find_row_kind(std::string_view keyword) {
  for (const RowKindEntry& k : kRowKinds) {
    if (equal_ci(k.keyword, keyword)) return &k;
  }
  return nullptr;
}

std::vector<const RowKindEntry*> row_kinds_matching(RowScope scope, std::string_view field) {
  std::vector<const RowKindEntry*> out;
  for (const RowKindEntry& k : kRowKinds) {
    if (k.scope == scope && recognises(k, field)) out.push_back(&k);
  }
  return out;
}

const RowKindEntry& row_kind(RowKindId id) { return kRowKinds[static_cast<size_t>(id)]; }

size_t match_row_kinds(RowScope scope, std::string_view field, bool curves,
                       RowKindId (&out)[kRowKindCount]) {
  size_t n = 0;
  for (const RowKindEntry& k : kRowKinds) {
    if (k.scope != scope || (!curves && k.id == RowKindId::kCurve)) continue;
    if (recognises(k, field)) out[n++] = k.id;
  }
  return n;
}

std::vector<const RowKindEntry*> lookup_row_kinds(std::string_view text) {
  if (const RowKindEntry* k = find_row_kind(text)) return {k};
  std::vector<const RowKindEntry*> out;
  for (const RowKindEntry& k : kRowKinds) {
    if (recognises(k, text)) out.push_back(&k);
  }
  return out;
}

namespace {

// Latin-1 letters (the upper half of Windows-1252 from 0xC0, and the code points U+00C0 to
// U+00FF) to their plain letter; 0 where the character is no letter.
constexpr char kFoldedLatin1[64 + 1] =
    "aaaaaaaceeeeiiiidnooooo\0ouuuuytsaaaaaaaceeeeiiiidnooooo\0ouuuuyty";

char folded_letter(unsigned char c) {
  if (c >= 'A' && c <= 'Z') return static_cast<char>(c + 32);
  if ((c >= 'a' && c <= 'z') || (c >= '0' && c <= '9')) return static_cast<char>(c);
  if (c >= 0xC0) return kFoldedLatin1[c - 0xC0];
  return 0;
}

// How much a query word found in a place of a kind's text weighs.
enum Weight : int {
  kInField = 2,
  kInFieldName = 6,
  kInDescription = 10,
  kInSummary = 20,  // the description's first sentence, which says what the row is
  kInKeyword = 100,
};

// A query word matches a text word that equals it, that it begins (passagg: passaggio), or
// that differs in the last letter only (galleria: gallerie), for words of four letters or more.
bool word_matches(const std::string& query, const std::string& word) {
  if (query == word) return true;
  if (query.size() < 4) return false;
  if (word.size() > query.size() && word.compare(0, query.size(), query) == 0) return true;
  return query.size() == word.size() &&
         query.compare(0, query.size() - 1, word, 0, word.size() - 1) == 0;
}

}  // namespace

std::vector<std::string> folded_words(std::string_view text) {
  std::vector<std::string> words;
  std::string word;
  for (size_t i = 0; i < text.size(); ++i) {
    auto c = static_cast<unsigned char>(text[i]);
    // A UTF-8 letter of U+00C0 to U+00FF is two bytes, 0xC3 and 0x80 to 0xBF.
    if (c == 0xC3 && i + 1 < text.size() &&
        (static_cast<unsigned char>(text[i + 1]) & 0xC0) == 0x80) {
      c = static_cast<unsigned char>(0xC0 + (static_cast<unsigned char>(text[++i]) & 0x3F));
    }
    const char f = folded_letter(c);
    if (f != 0) {
      word += f;
    } else if (!word.empty()) {
      words.push_back(std::move(word));
      word.clear();
    }
  }
  if (!word.empty()) words.push_back(std::move(word));
  return words;
}

std::vector<const RowKindEntry*> search_row_kinds(std::string_view query) {
  std::vector<std::string> wanted;
  for (std::string& w : folded_words(query)) {
    if (w.size() > 1) wanted.push_back(std::move(w));
  }
  struct Found {
    const RowKindEntry* kind;
    int words = 0;   // query words found
    int weight = 0;  // the best place of each, summed
    int times = 0;   // how often they occur, for kinds otherwise alike
  };
  std::vector<Found> found;
  for (const RowKindEntry& k : kRowKinds) {
    // Each query word's best place in this kind.
    std::vector<int> best(wanted.size(), 0);
    int times = 0;
    const auto look = [&](std::string_view text, int weight) {
      for (const std::string& word : folded_words(text)) {
        for (size_t i = 0; i < wanted.size(); ++i) {
          if (!word_matches(wanted[i], word)) continue;
          best[i] = std::max(best[i], weight);
          ++times;
        }
      }
    };
    look(k.keyword, kInKeyword);
    look(k.written, kInKeyword);
    const size_t summary = k.description.find(". ");
    look(k.description.substr(0, summary), kInSummary);
    if (summary != std::string_view::npos) look(k.description.substr(summary), kInDescription);
    look(k.section, kInFieldName);
    for (const FieldEntry& f : k.fields) {
      look(f.name, kInFieldName);
      for (const std::string_view text : {f.unit, f.range, f.effect, f.bad_value, f.builtin}) {
        look(text, kInField);
      }
    }
    Found one{&k, 0, 0, times};
    for (const int b : best) {
      one.words += b > 0 ? 1 : 0;
      one.weight += b;
    }
    if (one.words > 0) found.push_back(one);
  }
  std::stable_sort(found.begin(), found.end(), [](const Found& a, const Found& b) {
    if (a.words != b.words) return a.words > b.words;
    if (a.weight != b.weight) return a.weight > b.weight;
    return a.times > b.times;
  });
  std::vector<const RowKindEntry*> out;
  for (const Found& f : found) out.push_back(f.kind);
  return out;
}

const SectionEntry* find_section(SourceKind source, std::string_view header) {
  for (const SectionEntry& s : kSections) {
    if (s.source == source && equal_ci(s.header, header)) return &s;
  }
  return nullptr;
}

std::vector<const RowKindEntry*> row_kinds_of_section(SourceKind source, std::string_view header) {
  std::vector<const RowKindEntry*> out;
  const SectionEntry* section = find_section(source, header);
  if (section == nullptr) return out;
  for (const RowKindEntry& k : kRowKinds) {
    if (k.scope == section->scope) out.push_back(&k);
  }
  return out;
}

std::vector<std::string_view> keywords_of_section(SourceKind source, std::string_view header) {
  std::vector<std::string_view> out;
  for (const RowKindEntry* k : row_kinds_of_section(source, header)) out.push_back(k->keyword);
  return out;
}

FieldCount field_count(const RowKindEntry& kind) {
  const int values = static_cast<int>(kind.fields.size());
  return {values, kind.blank_separated ? 1 : values, values};
}

std::vector<std::string_view> nearest_keywords(std::string_view word,
                                               std::span<const RowKindEntry* const> among,
                                               size_t limit) {
  // Near enough to be a slip of the keyboard: two edits, or a third of a long word.
  const size_t allowed = std::max<size_t>(2, word.size() / 3);
  std::vector<std::pair<size_t, std::string_view>> near;
  for (const RowKindEntry* k : among) {
    const size_t d = keyword_distance(word, k->keyword);
    if (d <= allowed) near.emplace_back(d, k->keyword);
  }
  std::stable_sort(near.begin(), near.end(),
                   [](const auto& a, const auto& b) { return a.first < b.first; });
  std::vector<std::string_view> out;
  for (const auto& [d, keyword] : near) {
    if (out.size() == limit) break;
    out.push_back(keyword);
  }
  return out;
}

std::string_view source_name(SourceKind source) {
  return source == SourceKind::kLine ? "line" : "train";
}

std::string example_row(const RowKindEntry& kind) {
  std::string row(kind.written);
  for (const FieldEntry& f : kind.fields) {
    row += ", ";
    row += f.example;
  }
  return row;
}

}  // namespace scenario
