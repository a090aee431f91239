// The server's streams on file descriptors: standard input and output for `scenario-tool lsp`.
#pragma once

#include "lsp/message_framing.h"

namespace scenario::lsp {

class FdSource : public ByteSource {
 public:
  explicit FdSource(int fd) : fd_(fd) {}
  size_t read(char* data, size_t size) override;
  bool ready() override;

 private:
  int fd_;
};

class FdSink : public ByteSink {
 public:
  explicit FdSink(int fd) : fd_(fd) {}
  bool write(std::string_view data) override;

 private:
  int fd_;
};

}  // namespace scenario::lsp
