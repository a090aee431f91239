#include "compiler/scenario_codes.h"

namespace scenario {
namespace {

constexpr std::string_view kFill = "aabbccddeeffgghhiillmmnnoo";
constexpr size_t kCounted = 25;

// Lower-cases one Windows-1252 character the way the code page does (A-Z and the accented
// capitals 0xC0-0xDE except the multiplication sign).
unsigned char lower_cp1252(unsigned char c) {
  if (c >= 'A' && c <= 'Z') return static_cast<unsigned char>(c + 32);
  if (c >= 0xC0 && c <= 0xDE && c != 0xD7) return static_cast<unsigned char>(c + 32);
  if (c == 0x8A || c == 0x8C || c == 0x8E) return static_cast<unsigned char>(c + 16);
  if (c == 0x9F) return 0xFF;
  return c;
}

}  // namespace

std::string scenario_id(const GeneralTable& table) {
  std::string id = table[GeneralTable::kTrainSlot].text + table[GeneralTable::kScenarioSlot].text;
  for (char& c : id) c = static_cast<char>(lower_cp1252(static_cast<unsigned char>(c)));
  id += kFill;
  return id.substr(0, kCounted);
}

int16_t codice_gara_og(const GeneralTable& table) {
  int32_t sum = 0;
  for (unsigned char c : scenario_id(table)) sum += c;
  return static_cast<int16_t>(sum);  // at most 25 * 255 = 6375
}

int32_t codice_gara_st(const GeneralTable& table) {
  const std::string id = scenario_id(table);
  int32_t sum = 0;
  for (size_t i = 0; i < id.size(); ++i)
    sum += static_cast<int32_t>(i + 1) * static_cast<unsigned char>(id[i]);
  return sum;
}

}  // namespace scenario
