// The language server: the protocol's life cycle, the documents, and the answers to the
// editor's requests. It handles one message at a time and leaves the compiles for when the
// editor pauses, so that a burst of edits is checked once.
#pragma once

#include <map>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "lsp/document_features.h"
#include "lsp/documents.h"
#include "lsp/message_framing.h"
#include "lsp/protocol.h"
#include "model/build_state.h"

namespace scenario::lsp {

class Server {
 public:
  Server();

  // Handles one frame from the editor; the messages to send back are appended to out.
  void handle(const Frame& frame, std::vector<Json>& out);
  // Handles one message body.
  void handle_body(const std::string& body, std::vector<Json>& out);
  // Compiles the scenarios whose sources changed and appends their diagnostics to out.
  void publish_diagnostics(std::vector<Json>& out);

  // After the exit notification: the process ends with exit_code().
  bool exited() const { return exited_; }
  int exit_code() const { return shutdown_ ? 0 : 1; }

  const Documents& documents() const { return documents_; }
  // Bytes the server holds besides the compile's own state, for the memory bound.
  size_t held_bytes() const;

 private:
  Json dispatch(const std::string& method, const Json& params, bool is_request);
  Json initialize_result() const;
  void did_open(const Json& params);
  void did_change(const Json& params);
  void did_close(const Json& params);
  // The quick fixes whose diagnostics touch the requested range of a document.
  Json code_actions(const Json& params) const;
  // The open source document that a request is about; throws ProtocolError for a document
  // that is not open or not a scenario source.
  const Document& source_document(const Json& params) const;
  // True when a document of uri with a text of text_bytes keeps the server within
  // kMaxHeldBytes, counting what that document holds now as given back.
  bool fits(const std::string& uri, size_t text_bytes) const;
  // Marks every open source of the document's scenario name in its folder for a new check.
  void mark_pair(const Document& d);
  // Where a definition request on a published diagnostic's lines goes: the row its message
  // names as the cause.
  Json definition(const Document& d, Position at) const;

  // A published diagnostic that names a row as its cause: its lines (from 0) and that row.
  struct CulpritJump {
    int32_t first_line = 0;
    int32_t last_line = 0;
    Json location;
  };

  Documents documents_;
  // The line source on disk beside a hovered train source, read once until it changes.
  SiblingOutlines siblings_;
  // The quick fixes of each document's diagnostics as last published, for the version they
  // were published for: an edit since makes them wait for the next check.
  struct Fixes {
    int64_t version = 0;
    std::vector<Json> actions;
    size_t bytes = 0;  // their text, for the memory bound
  };
  std::map<std::string, Fixes> fixes_;
  std::set<std::string> stale_;    // URIs whose diagnostics are to be published again
  std::set<std::string> cleared_;  // URIs closed: their diagnostics go
  // By URI, the diagnostics last published there that name a culprit row.
  std::map<std::string, std::vector<CulpritJump>> jumps_;
  std::unique_ptr<BuildState> state_;  // kept between compiles, so each compile reuses it
  bool initialized_ = false;
  bool shutdown_ = false;
  bool exited_ = false;
};

// Runs a server on the streams until the exit notification or the end of the input; returns the
// process exit status.
int run_server(ByteSource& in, ByteSink& out);

}  // namespace scenario::lsp
