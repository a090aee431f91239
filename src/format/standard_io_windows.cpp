#include <fcntl.h>
#include <io.h>

#include <cstdio>

#include "format/standard_io.h"
#include "format/windows_support.h"

namespace scenario {

void binary_standard_streams() {
  _setmode(_fileno(stdin), _O_BINARY);
  _setmode(_fileno(stdout), _O_BINARY);
}

size_t read_standard_input(char* data, size_t size) {
  DWORD n = 0;
  const DWORD want = size > (1u << 30) ? (1u << 30) : static_cast<DWORD>(size);
  // A broken pipe is the client's end.
  if (!ReadFile(GetStdHandle(STD_INPUT_HANDLE), data, want, &n, nullptr)) return 0;
  return n;
}

bool standard_input_ready() {
  // There is no poll for a pipe here: a pipe is asked how many bytes wait in it; a file never
  // makes a read wait; a console is signalled when it holds input. A pipe that cannot be asked
  // (wine's pipes from Unix) counts as empty: the server then answers what it has before it
  // waits, which costs a publication too many at worst, never an answer withheld.
  const HANDLE in = GetStdHandle(STD_INPUT_HANDLE);
  switch (GetFileType(in)) {
    case FILE_TYPE_PIPE: {
      DWORD available = 0;
      if (!PeekNamedPipe(in, nullptr, 0, nullptr, &available, nullptr)) return false;
      return available > 0;
    }
    case FILE_TYPE_CHAR:
      return WaitForSingleObject(in, 0) == WAIT_OBJECT_0;
    default:
      return true;
  }
}

bool write_standard_output(std::string_view data) {
  const HANDLE out = GetStdHandle(STD_OUTPUT_HANDLE);
  while (!data.empty()) {
    DWORD n = 0;
    const DWORD chunk = data.size() > (1u << 30) ? (1u << 30) : static_cast<DWORD>(data.size());
    if (!WriteFile(out, data.data(), chunk, &n, nullptr)) return false;
    data.remove_prefix(n);
  }
  return true;
}

}  // namespace scenario
