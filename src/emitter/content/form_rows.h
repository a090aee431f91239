// The fixed rows of the two driver's forms, shared by the built-in scenario's hand-written
// documents and the documents computed for any scenario, so that both keep one layout.
#pragma once

#include <string_view>

namespace scenario::content {

// The timetable sheet's table: its two heading rows, the line under them (which also closes
// the table) and the blank row between entry rows.
inline constexpr std::string_view kSheetHeadings[] = {
    " | Vel.| Vel.| Progr Km |  No |   Localita' di  Servizio   |     Orario     | Rec |",
    " | Lim.|Marc.|          |  Rs |                            |                |     |",
};
inline constexpr std::string_view kSheetUnderline =
    " |_____|_____|__________|_____|____________________________|________________|_____|";
inline constexpr std::string_view kSheetEmptyRow =
    " |     |     |          |     |                            |                |     |";

// The slowdown order's table, likewise.
inline constexpr std::string_view kOrderHeadings[] = {
    " |   |                            |Inizio dopo |          |         |            |",
    " | N.|      FRA LE STAZIONI       | il cippo   | Velocita'|Lunghezza|Prescrizioni|",
    " |   |   (o nelle Stazioni di)    |chilometrico|          |   metri | specifiche |",
};
inline constexpr std::string_view kOrderUnderline =
    " |___|____________________________|____________|__________|_________|____________|";
inline constexpr std::string_view kOrderEmptyRow =
    " |   |                            |            |          |         |            |";

}  // namespace scenario::content
