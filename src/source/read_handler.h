// The one handler of the source reader.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "source/reader_context.h"

namespace scenario {

// Runs read under the reader's one handler: whatever fails while reading (a ReadFailure or any
// other run-time failure), the sources named go as the store lets them, the code is 25 and the
// reason is kept in the report.
void read_under_handler(ReaderContext& ctx, const std::vector<std::string>& sources,
                        const std::function<void()>& read);

}  // namespace scenario
