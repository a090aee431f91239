// Scenario data of the built-in scenario: the timetable sheet, hand-written.
#include "emitter/content/content.h"

namespace scenario::content {
namespace {

// The table's blank line, standing between the entry rows.
constexpr std::string_view kEmptyRow =
    " |     |     |          |     |                            |                |     |";
// Closes the headings and the table.
constexpr std::string_view kUnderline =
    " |_____|_____|__________|_____|____________________________|________________|_____|";

constexpr std::string_view kRows[] = {
    "",
    "",
    "  ___________________                                               ______________",
    " |                   |                    SCHEDA                   |              |",
    " |   TRENO n.40716   |                   da: LINDEVA               |    V160 B    |",
    " |___________________|                    a: QUERNO                |     120%     |",
    "                                                                   |______________|",
    "  ___________________                ___________________",
    " |  CLASSIFICAZIONE  |              |  MASSA BLOCCATA   |",
    " |        R          |              |      420T         |",
    " |___________________|              |___________________|",
    "",
    "  ________________________________________________________________________________",
    " | Vel.| Vel.| Progr Km |  No |   Localita' di  Servizio   |     Orario     | Rec |",
    " | Lim.|Marc.|          |  Rs |                            |                |     |",
    kUnderline,
    kEmptyRow,
    " |  75 |  75 |  75.680  |  75 | LINDEVA                    |           6.55 |     |",
    kEmptyRow,
    " | 135 | 135 |  73.830  | 135 |      Fine curve Lindeva    |                |     |",
    kEmptyRow,
    " |     |     |  71.030  |     | PONTE ALBERINO             |       6.58+    |     |",
    kEmptyRow,
    " |     |     |  66.330  |     | SAN MORELLO                |       7.01+    |     |",
    kEmptyRow,
    " |     |     |  64.030  |     |      Imbocco gall. Dorsena |                |     | ",
    kEmptyRow,
    " |     |     |  61.480  |     | VILLA DORSENA              | 7.05+     7.06 | 1.0 |",
    kEmptyRow,
    " |     |     |  56.130  |     | CASCINA ROVELLA            |       7.09     |     |",
    kEmptyRow,
    " |  75 |  75 |  50.930  |  75 | BORGO TALIVO               |       7.12     |     |",
    kEmptyRow,
    " |  30 |  30 |  50.330  |  30 |   Ponte provvisorio        |                |     |",
    kEmptyRow,
    " | 145 | 145 |  49.780  | 145 |      Fine curva Talivo     |                |     |",
    kEmptyRow,
    " |     |     |  45.630  |     | MONTECAVIO                 |  7.18     7.19 | 1.5 |",
    kEmptyRow,
    " |     |     |  42.730  |     |      Bivio Montecavio      |                |     |",
    kEmptyRow,
    " |     |     |  40.180  |     | FORNACI di SELVA           |       7.22     |     |",
    kEmptyRow,
    " | 130 | 130 |  39.630  | 130 |      Curva di Selva        |                |     |",
    kEmptyRow,
    " | 145 | 145 |  37.780  | 145 |      Fine curva di Selva   |                |     |",
    kEmptyRow,
    " |     |     |  35.930  |     | ROCCA VELMONTE             |       7.24+    |     |",
    kEmptyRow,
    " |     |     |  31.730  |     | PIAN D'ARSIERO             | 7.29      7.30 | 1.0 |",
    kEmptyRow,
    " |     |     |  26.080  |     | CAMPOLIVO                  |       7.33     |     |",
    kEmptyRow,
    " |     |     |  21.430  |     | TORRE BRIVANA              |       7.35     |     |",
    kEmptyRow,
    " |     |     |  18.480  |     |      Imbocco gall. Vagno   |                |     | ",
    kEmptyRow,
    " |     |     |  15.930  |     | SANT'ELPIDIO AL VAGNO      | 7.39+     7.41 | 2.0 |",
    kEmptyRow,
    " |     |     |  10.830  |     | CORVARA SCALO              |       7.44     |     |",
    kEmptyRow,
    " |     |     |   5.530  |     | GALLIANO                   |       7.47+    |     |",
    kEmptyRow,
    " | 130 | 130 |   2.180  | 130 |      Inizio curve Serente  |                |     |",
    // POGGIO SERENTE: the kilometrage changes, so the three rows stand together.
    kEmptyRow,
    " |     |     |   0.230  |     |                            |                |     |",
    " |     |     |  ------  |     | POGGIO SERENTE             | 7.51      7.52 | 1.0 |",
    " |     |     |  13.030  |     |                            |                |     |",
    kEmptyRow,
    " |  60 |  60 |  12.680  |  60 |      Bivio Serente         |                |     |",
    kEmptyRow,
    " | 160 | 160 |  12.330  | 160 |      Fine deviatoi Serente |                |     |",
    kEmptyRow,
    " |     |     |   6.730  |     | VALLE DI QUERCIOLA         |       7.55+    |     |",
    kEmptyRow,
    " | 110 | 110 |   5.130  | 110 |      Curva Querciola       |                |     |",
    kEmptyRow,
    " |  90 |  90 |   3.130  |  90 |      Curve di Querno       |                |     |",
    kEmptyRow,
    " |     |     |   2+461  |     |      Imbocco gall. Querno  |                |     |",
    kEmptyRow,
    " |  30 |  30 |   0.000  |  30 | QUERNO                     |           8.00 | 0.5 |",
    kEmptyRow,
    kUnderline,
    "",
};

}  // namespace

std::span<const std::string_view> scheda_rows() { return kRows; }

}  // namespace scenario::content
