#include "source/diagnostic_json.h"

#include "format/cp1252.h"

namespace scenario {

nlohmann::ordered_json diagnostic_json(const Diagnostic& d) {
  const auto number_or_null = [](bool has, int32_t v) {
    return has ? nlohmann::ordered_json(v) : nlohmann::ordered_json(nullptr);
  };
  const bool errore = d.kind == Diagnostic::Kind::kErrore;
  nlohmann::ordered_json j;
  j["file"] = d.file.empty() ? nlohmann::ordered_json(nullptr)
                             : nlohmann::ordered_json(cp1252_to_utf8(d.file));
  j["line"] = number_or_null(d.line > 0, d.line);
  j["column"] = number_or_null(d.column > 0, d.column);
  j["status"] = number_or_null(d.kind == Diagnostic::Kind::kStatus, d.code);
  j["errore"] = number_or_null(errore, d.code);
  j["position"] = number_or_null(d.has_position, d.position);
  j["message"] = cp1252_to_utf8(d.message);
  j["text"] = cp1252_to_utf8(d.text);
  j["severity"] = d.warning() ? nlohmann::ordered_json("warning")
                  : d.clean() ? nlohmann::ordered_json(nullptr)
                              : nlohmann::ordered_json("error");
  j["name"] = d.warning() ? nlohmann::ordered_json(std::string(d.name())) : nullptr;
  if (d.fix) {
    const Fix& f = *d.fix;
    j["fix"] = {{"title", cp1252_to_utf8(f.title)},
                {"line", f.line},
                {"column", f.column},
                {"end_line", f.end_line},
                {"end_column", f.end_column},
                {"text", cp1252_to_utf8(f.text)}};
  }
  return j;
}

}  // namespace scenario
