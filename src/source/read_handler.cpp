#include "source/read_handler.h"

#include <exception>

#include "source/status_codes.h"

namespace scenario {

void read_under_handler(ReaderContext& ctx, const std::vector<std::string>& sources,
                        const std::function<void()>& read) {
  try {
    read();
  } catch (const std::exception& e) {
    for (const std::string& name : sources) ctx.sources.discard(name);
    ctx.set_status(kReadFailure);
    // An empty source fails at its first field: say so rather than where the reading stopped.
    ctx.report.failure_reason =
        ctx.stream && ctx.empty_source
            ? "the file is empty; a source starts with its [generale] section (scenario-tool "
              "emit writes a pair of sources to start from)"
            : e.what();
  }
  ctx.close();
}

}  // namespace scenario
