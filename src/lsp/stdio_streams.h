// The server's streams on standard input and output, for `scenario-tool lsp`.
#pragma once

#include "lsp/message_framing.h"

namespace scenario::lsp {

class StdinSource : public ByteSource {
 public:
  size_t read(char* data, size_t size) override;
  bool ready() override;
};

class StdoutSink : public ByteSink {
 public:
  bool write(std::string_view data) override;
};

}  // namespace scenario::lsp
