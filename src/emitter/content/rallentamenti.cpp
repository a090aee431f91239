// Scenario data of the built-in scenario: the slowdown order, hand-written.
#include "emitter/content/content.h"

namespace scenario::content {
namespace {

// A table line with every cell blank.
constexpr std::string_view kEmptyRow =
    " |   |                            |            |          |         |            |";
// Closes the headings and the table.
constexpr std::string_view kUnderline =
    " |___|____________________________|____________|__________|_________|____________|";

constexpr std::string_view kRows[] = {
    "",
    "                               Modulo M. 3",
    "                           ORDINE DI RALLENTAMENTO",
    " ________________________________________________________________________________",
    "  Linea  LINDEVA - QUERNO",
    "",
    "  Si ordina al macchinista del treno 40716 di effettuare i seguenti rallentamenti",
    "  _______________________________________________________________________________",
    " |   |                            |Inizio dopo |          |         |            |",
    " | N.|      FRA LE STAZIONI       | il cippo   | Velocita'|Lunghezza|Prescrizioni|",
    " |   |   (o nelle Stazioni di)    |chilometrico|          |   metri | specifiche |",
    kUnderline,
    kEmptyRow,
    " | 1 | CORVARA SCALO e GALLIANO   |     22     |   100    |   1200  |     B      |",
    kEmptyRow,
    " | 2 |                            |            |          |         |            |",
    kEmptyRow,
    kEmptyRow,
    kEmptyRow,
    kEmptyRow,
    kUnderline,
    "",
    "              Prescrizioni specifiche",
    "",
    " A - Da rispettare con tutto il treno (per i treni viaggiatori)",
    "",
    " B - Interessa anche la stazione di  GALLIANO",
    "",
    " D - Rallentamneto N. ... e N. ...  sono contigui",
    "",
    " C - Da rispettare dalle ore ....  alle ore ..... di tutti",
    "     i giorni esclusi i seguenti:.........",
};

}  // namespace

std::span<const std::string_view> rallentamenti_rows() { return kRows; }

}  // namespace scenario::content
