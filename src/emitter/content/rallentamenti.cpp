// Scenario data of the built-in scenario: the slowdown order, hand-written.
#include "emitter/content/content.h"
#include "emitter/content/form_rows.h"

namespace scenario::content {
namespace {

constexpr std::string_view kEmptyRow = kOrderEmptyRow;
constexpr std::string_view kUnderline = kOrderUnderline;

constexpr std::string_view kRows[] = {
    "",
    "                               Modulo M. 3",
    "                           ORDINE DI RALLENTAMENTO",
    " ________________________________________________________________________________",
    "  Linea  LINDEVA - QUERNO",
    "",
    "  Si ordina al macchinista del treno 40716 di effettuare i seguenti rallentamenti",
    "  _______________________________________________________________________________",
    kOrderHeadings[0],
    kOrderHeadings[1],
    kOrderHeadings[2],
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
