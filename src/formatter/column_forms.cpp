#include "formatter/column_forms.h"

#include <string_view>

namespace scenario {
namespace {

using V = ValueForm;
constexpr ValueType kNum = ValueType::kNumber;
constexpr ValueType kText = ValueType::kText;

// General rows of both sources put four blanks before each value.
constexpr V kGeneral1[] = {{kNum, 4}};
constexpr V kGeneral2[] = {{kNum, 4}, {kNum, 4}};
constexpr V kGeneral3[] = {{kNum, 4}, {kNum, 4}, {kNum, 4}};
constexpr V kCurve[] = {{kNum, 2}, {kNum, 2}};
constexpr V kGradient[] = {{kNum, 2}, {kNum, 3}};
constexpr V kMountain[] = {{kNum, 3}, {kNum, 2}, {kNum, 2}};
constexpr V kSpeedBoard[] = {{kNum, 2}, {kNum, 2}, {kNum, 2}, {kNum, 2}, {kNum, 2},
                             {kNum, 2}, {kNum, 2}, {kNum, 2}, {kNum, 2}};
constexpr V kIndicationBoard[] = {{kNum, 2}, {kText, 3}};
constexpr V kAdhesion[] = {{kNum, 3}, {kNum, 4}};
constexpr V kClock[] = {{ValueType::kClock, 4}};
constexpr V kPositionValue[] = {{kNum, 0, 8}, {kNum, 0, 6}};
constexpr V kSignal[] = {{kNum, 0, 8}, {kNum, 0, 4}, {kNum, 0, 2}, {kNum, 0, 2},
                         {kNum, 0, 3}, {kNum, 0, 2}, {kNum, 0, 5}, {kNum, 0, 3},
                         {kNum, 0, 1}, {kNum, 0, 1}, {kNum, 1}};
constexpr V kSlowdown[] = {{kNum, 0, 8}, {kNum, 0, 6}, {kNum, 0, 5},
                           {kNum, 0, 2}, {kNum, 0, 3}, {kNum, 0, 5}};
constexpr V kStation[] = {{kNum, 0, 8}, {kNum, 0, 3}, {kNum, 0, 5}, {kNum, 0, 3}, {kNum, 0, 2},
                          {kNum, 0, 2}, {kNum, 0, 3}, {kNum, 0, 1}, {kNum, 0, 1}, {kNum, 0, 3},
                          {kNum, 0, 1}, {kNum, 0, 1}, {kNum, 0, 5}, {kNum, 0, 4}, {kNum, 0, 2},
                          {kNum, 0, 2}, {kText, 1}};

struct Entry {
  SourceKind source;
  std::string_view keyword;  // the field reference's keyword of the kind
  std::span<const ValueForm> form;
};

constexpr SourceKind kL = SourceKind::kLine;
constexpr SourceKind kT = SourceKind::kTrain;

constexpr Entry kForms[] = {
    {kL, "lunghezza percorso", kGeneral1},
    {kL, "progressiva chilometrica tre", kGeneral3},
    {kL, "progressiva chilometrica due", kGeneral3},
    {kL, "progressiva chilometrica uno", kGeneral3},
    {kL, "sfondo uno", kGeneral1},
    {kL, "sfondo due", kGeneral1},
    {kL, "sfondo tre", kGeneral1},
    {kL, "ripetizione segnali", kGeneral2},
    {kL, "pendenza", kGradient},
    {kL, "curva", kCurve},
    {kL, "montagna", kMountain},
    {kL, "indicatori_vmax", kSpeedBoard},
    {kL, "cartello_indicatore", kIndicationBoard},
    {kT, "percentuale massa frenata", kGeneral1},
    {kT, "numero vetture", kGeneral1},
    {kT, "velocita", kPositionValue},
    {kT, "aderenza", kAdhesion},
    {kT, "orologio", kClock},
    {kT, "sabbia", kGeneral1},
    {kT, "segnale", kSignal},
    {kT, "rallentamento", kSlowdown},
    {kT, "abbattimento", kPositionValue},
    {kT, "stazione", kStation},
};

}  // namespace

std::span<const ValueForm> column_form(const RowKindEntry& kind) {
  for (const Entry& e : kForms) {
    if (e.source == kind.source && e.keyword == kind.keyword) return e.form;
  }
  return {};
}

std::optional<SourceKind> source_kind_of(std::string_view file_name) {
  const size_t slash = file_name.find_last_of('/');
  if (slash != std::string_view::npos) file_name.remove_prefix(slash + 1);
  const auto ends_with = [&](std::string_view tail) {
    return file_name.size() > tail.size() && file_name.ends_with(tail);
  };
  if (ends_with("_linea.txt")) return SourceKind::kLine;
  if (ends_with("-.txt")) return SourceKind::kTrain;
  return std::nullopt;
}

}  // namespace scenario
