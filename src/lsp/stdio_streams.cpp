#include "lsp/stdio_streams.h"

#include "format/standard_io.h"

namespace scenario::lsp {

size_t StdinSource::read(char* data, size_t size) { return read_standard_input(data, size); }

bool StdinSource::ready() { return standard_input_ready(); }

bool StdoutSink::write(std::string_view data) { return write_standard_output(data); }

}  // namespace scenario::lsp
