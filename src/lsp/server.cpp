#include "lsp/server.h"

#include <map>

#include "format/cp1252.h"
#include "format/file_names.h"
#include "lsp/document_features.h"
#include "lsp/pair_check.h"
#include "lsp/source_outline.h"
#include "lsp/text_positions.h"
#include "source/read_failure.h"
#include "source/source_store.h"

namespace scenario::lsp {
namespace {

constexpr int kMessageError = 1;  // window/showMessage type

Json publish(const Document& d, Json diagnostics) {
  return notification(
      "textDocument/publishDiagnostics",
      {{"uri", d.uri}, {"version", d.version}, {"diagnostics", std::move(diagnostics)}});
}

// One diagnostic on the first line of a document, about the document as a whole.
Json whole_document(const std::string& code, const std::string& message, Severity severity) {
  EditorDiagnostic e;
  e.severity = severity;
  e.code = code;
  e.message = message;
  return lsp_diagnostic(e, "", false);
}

Position position_of(const Json& params) {
  const Json& p = params.at("position");
  return {p.at("line").get<int32_t>(), p.at("character").get<int32_t>()};
}

std::string too_large_text(const Document& d) {
  return d.file_name + " is above the " + std::to_string(kMaxDocumentBytes / (1024 * 1024)) +
         " MiB that a source may have: not checked";
}

// Applies one content change: a whole new text, or an edit of a range.
void apply_change(std::string& text, const Json& change) {
  const std::string& replacement = change.at("text").get_ref<const std::string&>();
  if (!change.contains("range")) {
    text = replacement;
    return;
  }
  const Json& r = change.at("range");
  const Position start{r.at("start").at("line").get<int32_t>(),
                       r.at("start").at("character").get<int32_t>()};
  const Position end{r.at("end").at("line").get<int32_t>(),
                     r.at("end").at("character").get<int32_t>()};
  const size_t a = offset_of(text, start);
  const size_t b = std::max(a, offset_of(text, end));
  text.replace(a, b - a, replacement);
}

}  // namespace

Server::Server() : state_(std::make_unique<BuildState>()) {}

size_t Server::held_bytes() const {
  size_t n = documents_.held_bytes();
  for (const std::string& uri : stale_) n += uri.size();
  for (const std::string& uri : cleared_) n += uri.size();
  return n;
}

void Server::handle(const Frame& frame, std::vector<Json>& out) {
  switch (frame.kind) {
    case Frame::Kind::kMessage:
      handle_body(frame.body, out);
      return;
    case Frame::Kind::kBadHeader:
    case Frame::Kind::kTooLarge:
      out.push_back(error_response(nullptr, kParseError, frame.problem));
      return;
    case Frame::Kind::kEnd:
      return;
  }
}

void Server::handle_body(const std::string& body, std::vector<Json>& out) {
  Json message;
  try {
    message = Json::parse(body);
  } catch (const Json::exception& e) {
    out.push_back(error_response(nullptr, kParseError, std::string("malformed JSON: ") + e.what()));
    return;
  }
  if (!message.is_object()) {
    out.push_back(error_response(nullptr, kInvalidRequest, "a message must be a JSON object"));
    return;
  }
  const bool has_id = message.contains("id");
  const Json id = has_id ? message["id"] : Json(nullptr);
  if (has_id && !id.is_number_integer() && !id.is_string()) {
    out.push_back(error_response(nullptr, kInvalidRequest, "an id must be a number or a string"));
    return;
  }
  if (!message.contains("method")) {
    // An answer to a request of ours; the server sends none that waits for one.
    if (has_id && (message.contains("result") || message.contains("error"))) return;
    out.push_back(error_response(id, kInvalidRequest, "a message without a method"));
    return;
  }
  if (!message["method"].is_string()) {
    out.push_back(error_response(id, kInvalidRequest, "a method must be a string"));
    return;
  }
  const std::string method = message["method"];
  const Json params = message.contains("params") ? message["params"] : Json::object();
  if (!initialized_ && method != "initialize" && method != "exit") {
    if (has_id) out.push_back(error_response(id, kServerNotInitialized, "not initialized yet"));
    return;
  }
  if (shutdown_ && method != "exit") {
    if (has_id) out.push_back(error_response(id, kInvalidRequest, "the server is shutting down"));
    return;
  }
  try {
    Json result = dispatch(method, params, has_id);
    if (has_id) out.push_back(response(id, std::move(result)));
  } catch (const ProtocolError& e) {
    if (has_id) {
      out.push_back(error_response(id, e.code, e.what()));
    } else if (e.code != kMethodNotFound) {
      out.push_back(
          notification("window/showMessage", {{"type", kMessageError}, {"message", e.what()}}));
    }
  } catch (const Json::exception& e) {
    if (has_id) {
      out.push_back(error_response(id, kInvalidParams, std::string("bad params: ") + e.what()));
    }
  } catch (const std::exception& e) {
    if (has_id) out.push_back(error_response(id, kInternalError, e.what()));
  }
}

Json Server::initialize_result() const {
  return {{"capabilities",
           {{"textDocumentSync",
             {{"openClose", true}, {"change", 1}, {"save", {{"includeText", false}}}}},
            {"hoverProvider", true},
            {"documentSymbolProvider", true},
            {"completionProvider", {{"resolveProvider", false}}},
            {"documentFormattingProvider", true}}},
          {"serverInfo", {{"name", "scenario-tool"}, {"version", SCENARIO_VERSION}}}};
}

Json Server::dispatch(const std::string& method, const Json& params, bool is_request) {
  if (method == "initialize") {
    if (initialized_) throw ProtocolError(kInvalidRequest, "initialize came twice");
    initialized_ = true;
    return initialize_result();
  }
  if (method == "initialized") return nullptr;
  if (method == "shutdown") {
    shutdown_ = true;
    return nullptr;
  }
  if (method == "exit") {
    exited_ = true;
    return nullptr;
  }
  if (method == "textDocument/didOpen") {
    did_open(params);
    return nullptr;
  }
  if (method == "textDocument/didChange") {
    did_change(params);
    return nullptr;
  }
  if (method == "textDocument/didClose") {
    did_close(params);
    return nullptr;
  }
  if (method == "textDocument/didSave") {
    if (const Document* d = documents_.find(params.at("textDocument").at("uri"))) mark_pair(*d);
    return nullptr;
  }
  if (method == "textDocument/hover") {
    return hover(source_document(params), documents_, siblings_, position_of(params));
  }
  if (method == "textDocument/documentSymbol") {
    const Document& d = source_document(params);
    return document_symbols(d, outline_source(d.bytes, *d.kind));
  }
  if (method == "textDocument/completion") {
    const Document& d = source_document(params);
    return completion_at(outline_source(d.bytes, *d.kind), position_of(params));
  }
  if (method == "textDocument/formatting") return formatting_edits(source_document(params));
  // Other notifications ($/cancelRequest, $/setTrace, workspace changes) need nothing.
  if (!is_request) return nullptr;
  throw ProtocolError(kMethodNotFound, "no method " + method);
}

void Server::did_open(const Json& params) {
  const Json& td = params.at("textDocument");
  const std::string& uri = td.at("uri").get_ref<const std::string&>();
  Document& d = documents_.open(uri, td.at("text").get<std::string>(), td.value("version", 0));
  mark_pair(d);
}

void Server::did_change(const Json& params) {
  const Json& td = params.at("textDocument");
  Document* d = documents_.find(td.at("uri").get_ref<const std::string&>());
  if (d == nullptr) return;
  const Json& changes = params.at("contentChanges");
  std::string text = d->text;
  for (const Json& change : changes) apply_change(text, change);
  documents_.change(d->uri, std::move(text), td.value("version", d->version + 1));
  mark_pair(*d);
}

void Server::did_close(const Json& params) {
  const std::string uri = params.at("textDocument").at("uri");
  Document* d = documents_.find(uri);
  if (d == nullptr) return;
  // Its siblings now read the file from disk.
  const Document closed = *d;
  documents_.close(uri);
  stale_.erase(uri);
  mark_pair(closed);
  cleared_.push_back(uri);
}

const Document& Server::source_document(const Json& params) const {
  const std::string& uri = params.at("textDocument").at("uri").get_ref<const std::string&>();
  const Document* d = const_cast<Documents&>(documents_).find(uri);
  if (d == nullptr) throw ProtocolError(kRequestFailed, uri + " is not open");
  if (!d->kind) {
    throw ProtocolError(kRequestFailed, uri +
                                            " is not a scenario source: a line source ends in "
                                            "_linea.txt, a train source in -.txt");
  }
  if (d->too_large) throw ProtocolError(kRequestFailed, too_large_text(*d));
  return *d;
}

void Server::mark_pair(const Document& d) {
  if (d.kind) stale_.insert(d.uri);
  if (!d.kind || d.directory.empty()) return;
  const std::optional<Identity> id = source_identity(d.file_name);
  if (!id) return;
  const std::string& stem = id->name;
  for (const auto& [uri, other] : documents_.all()) {
    if (other.kind && other.directory == d.directory &&
        other.file_name.compare(0, stem.size() + 1, stem + "_") == 0) {
      stale_.insert(uri);
    }
  }
}

void Server::publish_diagnostics(std::vector<Json>& out) {
  for (const std::string& uri : cleared_) {
    if (documents_.find(uri) != nullptr) continue;  // opened again since
    out.push_back(notification("textDocument/publishDiagnostics",
                               {{"uri", uri}, {"diagnostics", Json::array()}}));
  }
  cleared_.clear();
  // The stale documents by scenario, each scenario compiled once.
  struct Group {
    std::string directory;
    Identity id;
    std::vector<const Document*> docs;
  };
  std::map<std::string, Group> groups;
  for (const std::string& uri : stale_) {
    const Document* d = documents_.find(uri);
    if (d == nullptr || !d->kind) continue;
    if (d->too_large) {
      out.push_back(publish(
          *d, Json::array({whole_document("too large", too_large_text(*d), Severity::kError)})));
      continue;
    }
    const std::optional<Identity> id = pair_identity(*d, documents_);
    if (!id) {
      out.push_back(publish(*d, Json::array({whole_document(
                                    "no scenario",
                                    d->file_name + ": the name tells no scenario (NAME_linea.txt "
                                                   "or NAME_TRAIN-.txt)",
                                    Severity::kError)})));
      continue;
    }
    Group& g = groups[d->directory + '\0' + id->name + '\0' + id->train];
    g.directory = d->directory;
    g.id = *id;
    g.docs.push_back(d);
  }
  stale_.clear();
  for (const auto& [key, g] : groups) {
    const std::vector<EditorDiagnostic> found = check_pair(*state_, g.directory, g.id, documents_);
    for (const Document* d : g.docs) {
      Json list = Json::array();
      for (const EditorDiagnostic& e : found) {
        const bool own = e.file == d->file_name;
        bool elsewhere = false;
        for (const Document* other : g.docs)
          elsewhere = elsewhere || (other != d && other->file_name == e.file);
        // A warning stays on its own source: the other one's would crowd the first line.
        const bool warning = e.severity == Severity::kWarning;
        if (own || (!elsewhere && !warning)) list.push_back(lsp_diagnostic(e, d->text, own));
      }
      out.push_back(publish(*d, std::move(list)));
    }
  }
}

int run_server(ByteSource& in, ByteSink& sink) {
  FrameReader reader(in);
  Server server;
  std::vector<Json> out;
  while (true) {
    const Frame f = reader.next();
    if (f.kind == Frame::Kind::kEnd) return 1;  // the editor went away without exit
    server.handle(f, out);
    // Checked only once the editor has nothing more queued: a burst of edits is checked once.
    if (!server.exited() && !reader.pending()) server.publish_diagnostics(out);
    for (const Json& m : out) {
      if (!sink.write(frame(serialise(m)))) return 1;
    }
    out.clear();
    if (server.exited()) return server.exit_code();
  }
}

}  // namespace scenario::lsp
