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
    ctx.report.failure_reason = e.what();
  }
  ctx.close();
}

}  // namespace scenario
