#include "formatter/row_forms.h"

#include "line_reader/text_match.h"

namespace scenario {
namespace {

using V = ValueForm;
constexpr ValueType kNum = ValueType::kNumber;
constexpr ValueType kText = ValueType::kText;

// Value forms. General rows of both sources put four blanks before each value.
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

// The readers' keyword tests. Line general rows: route length case-insensitive, the others
// case-sensitive; line body rows and all train rows case-insensitive.
bool has(std::string_view f, std::string_view a, std::string_view b) {
  return contains(f, a) && contains(f, b);
}
bool has_ci(std::string_view f, std::string_view a, std::string_view b = {}) {
  return contains_ci(f, a) && (b.empty() || contains_ci(f, b));
}

constexpr SourceKind kL = SourceKind::kLine;
constexpr SourceKind kT = SourceKind::kTrain;
constexpr RowSection kG = RowSection::kGeneral;
constexpr RowSection kB = RowSection::kBody;

const RowForm kForms[] = {
    {"route length", "lunghezza percorso", kL, kG,
     [](std::string_view f) { return has_ci(f, "percorso", "lunghezza"); }, kGeneral1},
    {"progressive three", "progressiva chilometrica tre", kL, kG,
     [](std::string_view f) { return has(f, "tre", "progressiva"); }, kGeneral3},
    {"progressive two", "progressiva chilometrica due", kL, kG,
     [](std::string_view f) { return has(f, "due", "progressiva"); }, kGeneral3},
    {"progressive one", "progressiva chilometrica uno", kL, kG,
     [](std::string_view f) { return has(f, "uno", "progressiva"); }, kGeneral3},
    {"background one", "sfondo uno", kL, kG,
     [](std::string_view f) { return has(f, "sfondo", "uno"); }, kGeneral1},
    {"background two", "sfondo due", kL, kG,
     [](std::string_view f) { return has(f, "sfondo", "due"); }, kGeneral1},
    {"background three", "sfondo tre", kL, kG,
     [](std::string_view f) { return has(f, "sfondo", "tre"); }, kGeneral1},
    {"signal repetition", "ripetizione segnali 4 codici", kL, kG,
     [](std::string_view f) { return has(f, "segnali", "ripetizione"); }, kGeneral2},
    {"gradient", "pendenza", kL, kB, [](std::string_view f) { return has_ci(f, "pendenza"); },
     kGradient},
    {"curve", "curvas1", kL, kB, [](std::string_view f) { return has_ci(f, "curva"); }, kCurve},
    {"mountain range", "montagna", kL, kB, [](std::string_view f) { return has_ci(f, "montagna"); },
     kMountain},
    {"speed board", "indicatori_vmax", kL, kB,
     [](std::string_view f) { return has_ci(f, "indicatori_v"); }, kSpeedBoard},
    {"indication board", "cartello_indicatore", kL, kB,
     [](std::string_view f) { return has_ci(f, "indicat", "cartello"); }, kIndicationBoard},

    {"brake mass", "percentuale massa frenata", kT, kB,
     [](std::string_view f) { return has_ci(f, "frenata", "massa"); }, kGeneral1},
    {"coaches", "numero vetture", kT, kB, [](std::string_view f) { return has_ci(f, "vetture"); },
     kGeneral1},
    {"speed limit", "velocita", kT, kB, [](std::string_view f) { return has_ci(f, "velocit"); },
     kPositionValue},
    {"adhesion", "aderenza", kT, kB, [](std::string_view f) { return has_ci(f, "aderenza"); },
     kAdhesion},
    {"clock", "orologio", kT, kB, [](std::string_view f) { return has_ci(f, "orologio"); }, kClock},
    {"sand", "sabbia", kT, kB, [](std::string_view f) { return has_ci(f, "sabbia"); }, kGeneral1},
    {"signal", "segnale", kT, kB, [](std::string_view f) { return has_ci(f, "segnale"); }, kSignal},
    {"slowdown", "rallentamento", kT, kB,
     [](std::string_view f) { return has_ci(f, "rallentamento"); }, kSlowdown},
    {"code cut", "abbattimento", kT, kB,
     [](std::string_view f) { return has_ci(f, "abbattimento"); }, kPositionValue},
    {"station", "stazione", kT, kB, [](std::string_view f) { return has_ci(f, "stazione"); },
     kStation},
};

}  // namespace

std::span<const RowForm> row_forms() { return kForms; }

std::vector<const RowForm*> matching_row_forms(std::string_view field, SourceKind source,
                                               RowSection section) {
  std::vector<const RowForm*> found;
  for (const RowForm& f : kForms) {
    if (f.source == source && f.section == section && f.matches(field)) found.push_back(&f);
  }
  return found;
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
