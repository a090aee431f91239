#include <memory>

#include "format/file_aside.h"
#include "format/file_error.h"
#include "format/replace_file.h"
#include "format/signal_cleanup.h"

namespace scenario {

void replace_files(const std::vector<std::pair<std::string, std::string_view>>& files) {
  std::vector<std::unique_ptr<FileReplacer>> written;
  for (const auto& [target, bytes] : files) {
    written.push_back(std::make_unique<FileReplacer>(target));
    written.back()->write(bytes);
  }
  InterruptsDeferred deferred;
  std::vector<std::string> asides;  // of the targets tried, in order
  try {
    for (size_t i = 0; i < written.size(); ++i) {
      asides.push_back(keep_aside(files[i].first));
      written[i]->commit();
    }
  } catch (const FileError& e) {
    std::string not_back;
    for (size_t i = asides.size(); i-- > 0;) {
      if (!put_back(files[i].first, asides[i])) {
        not_back += "; " + files[i].first + " could not be given back its earlier file" +
                    (asides[i].empty() ? std::string() : ", which is at " + asides[i]);
      }
    }
    throw FileError(e.path(),
                    e.reason() + (not_back.empty() ? ": nothing was replaced" : not_back));
  }
  for (const std::string& aside : asides) {
    if (!aside.empty()) drop_aside(aside);
  }
}

}  // namespace scenario
