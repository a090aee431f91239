#include "lsp/server.h"

#include <algorithm>
#include <cstdint>
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

// Lines and characters beyond this lie past the end of any document held (4 MiB), so a larger
// one is taken as this: far past the end, and still far from overflowing what counts it.
constexpr int32_t kFarPlace = 1 << 30;

// A line or a character of a position: the protocol's unsigned integer, 0 to 2^31 - 1.
int32_t place_of(const Json& p, const char* what) {
  const int64_t n = whole_number(p.at(what), std::string("position ") + what, 0, INT32_MAX);
  return static_cast<int32_t>(std::min<int64_t>(n, kFarPlace));
}

Position position_of(const Json& params) {
  const Json& p = params.at("position");
  return {place_of(p, "line"), place_of(p, "character")};
}

// A document's version: the protocol's integer, sent back as it came.
int64_t version_of(const Json& text_document, int64_t absent) {
  if (!text_document.contains("version")) return absent;
  return whole_number(text_document.at("version"), "version", INT32_MIN, INT32_MAX);
}

std::string mib(size_t bytes) { return std::to_string(bytes / (1024 * 1024)) + " MiB"; }

std::string too_large_text(const Document& d) {
  if (d.over_bound) {
    return d.file_name + " is not held: the open documents together would pass the " +
           mib(kMaxHeldBytes) + " the server keeps; close some to have it checked";
  }
  return d.file_name + " is above the " + mib(kMaxDocumentBytes) +
         " that a source may have: not checked";
}

}  // namespace

Server::Server() : state_(std::make_unique<BuildState>()) {}

size_t Server::held_bytes() const {
  size_t n = documents_.held_bytes();
  for (const std::string& uri : stale_) n += uri.size();
  for (const std::string& uri : cleared_) n += uri.size();
  for (const auto& [uri, fixes] : fixes_) n += uri.size() + fixes.bytes;
  for (const auto& [uri, jumps] : jumps_) {
    n += uri.size();
    for (const CulpritJump& j : jumps)
      n += sizeof j + j.location.at("uri").get_ref<const std::string&>().size();
  }
  return n;
}

bool Server::fits(const std::string& uri, size_t text_bytes) const {
  // What the document holds now is given back when its text is replaced.
  return held_bytes() - documents_.held_bytes_of(uri) + document_cost(uri, text_bytes) <=
         kMaxHeldBytes;
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
  if (nesting_depth(body) > kMaxNesting) {
    out.push_back(error_response(
        top_level_id(body), kInvalidRequest,
        "a message nested deeper than " + std::to_string(kMaxNesting) + " levels: refused"));
    return;
  }
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
            {"definitionProvider", true},
            {"completionProvider", {{"resolveProvider", false}}},
            {"documentFormattingProvider", true},
            {"codeActionProvider", {{"codeActionKinds", Json::array({"quickfix"})}}}}},
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
  if (method == "textDocument/codeAction") return code_actions(params);
  if (method == "textDocument/definition") {
    return definition(source_document(params), position_of(params));
  }
  // Other notifications ($/cancelRequest, $/setTrace, workspace changes) need nothing.
  if (!is_request) return nullptr;
  throw ProtocolError(kMethodNotFound, "no method " + method);
}

void Server::did_open(const Json& params) {
  const Json& td = params.at("textDocument");
  const std::string& uri = td.at("uri").get_ref<const std::string&>();
  const std::string& text = td.at("text").get_ref<const std::string&>();
  const int64_t version = version_of(td, 0);
  check_uri(uri);
  if (!fits(uri, text.size())) {
    throw ProtocolError(kRequestFailed, uri +
                                            " is not opened: the open documents together would "
                                            "pass the " +
                                            mib(kMaxHeldBytes) +
                                            " the server keeps; close some first");
  }
  Document& d = documents_.open(uri, text, version);
  mark_pair(d);
}

void Server::did_change(const Json& params) {
  const Json& td = params.at("textDocument");
  Document* d = documents_.find(td.at("uri").get_ref<const std::string&>());
  if (d == nullptr) return;
  // The server announced whole-text sync: each change is the whole new text and the last one
  // is the document. An edit of a range is refused with the rest of its message, which leaves
  // the document as it was rather than half edited.
  const std::string* text = nullptr;
  for (const Json& change : params.at("contentChanges").get_ref<const Json::array_t&>()) {
    if (change.contains("range")) {
      throw ProtocolError(kInvalidParams,
                          d->file_name +
                              ": a change of a range, but the server takes whole texts only "
                              "(full synchronisation): the change is not applied");
    }
    text = &change.at("text").get_ref<const std::string&>();
  }
  const int64_t version = version_of(td, std::min<int64_t>(d->version + 1, INT32_MAX));
  if (text == nullptr) {
    d->version = version;
    return;
  }
  if (fits(d->uri, text->size())) {
    documents_.change(d->uri, *text, version);
  } else {
    d->version = version;
    set_over_bound(*d);
  }
  mark_pair(*d);
}

void Server::did_close(const Json& params) {
  const std::string uri = params.at("textDocument").at("uri");
  Document* d = documents_.find(uri);
  if (d == nullptr) return;
  // Its siblings now read the file from disk.
  const Document closed = *d;
  documents_.close(uri);
  fixes_.erase(uri);
  stale_.erase(uri);
  jumps_.erase(uri);
  mark_pair(closed);
  cleared_.insert(uri);
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

Json Server::code_actions(const Json& params) const {
  const Document& d = source_document(params);
  Json out = Json::array();
  const auto it = fixes_.find(d.uri);
  if (it == fixes_.end() || it->second.version != d.version) return out;
  const Json& range = params.at("range");
  const int64_t first = range.at("start").at("line").get<int64_t>();
  const int64_t last = range.at("end").at("line").get<int64_t>();
  for (const Json& action : it->second.actions) {
    const Json& r = action.at("diagnostics").at(0).at("range");
    const int64_t from = r.at("start").at("line").get<int64_t>();
    const int64_t to = r.at("end").at("line").get<int64_t>();
    if (from <= last && to >= first) out.push_back(action);
  }
  return out;
}

Json Server::definition(const Document& d, Position at) const {
  const auto it = jumps_.find(d.uri);
  if (it == jumps_.end()) return nullptr;
  for (const CulpritJump& j : it->second) {
    if (at.line >= j.first_line && at.line <= j.last_line) return j.location;
  }
  return nullptr;
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
      Fixes& fixes = fixes_[d->uri];
      fixes = Fixes{d->version, {}, 0};
      std::vector<CulpritJump>& jumps = jumps_[d->uri];
      jumps.clear();
      for (const EditorDiagnostic& e : found) {
        const bool own = e.file == d->file_name;
        bool elsewhere = false;
        for (const Document* other : g.docs)
          elsewhere = elsewhere || (other != d && other->file_name == e.file);
        // A warning stays on its own source: the other one's would crowd the first line.
        const bool warning = e.severity == Severity::kWarning;
        if (!own && (elsewhere || warning)) continue;
        Json shown = lsp_diagnostic(e, d->text, own);
        if (e.culprit.known()) {
          // The culprit's row in whichever source holds it, open or on disk.
          const Document* holder = documents_.find_file(g.directory, e.culprit.file);
          const std::string uri =
              holder != nullptr ? holder->uri : path_file_uri(g.directory + "/" + e.culprit.file);
          Json location = row_location(uri, holder != nullptr ? std::string_view(holder->text) : "",
                                       e.culprit.line, e.culprit.column);
          shown["relatedInformation"] =
              Json::array({{{"location", location}, {"message", "the row named in the message"}}});
          const Json& range = shown["range"];
          jumps.push_back({range["start"]["line"].get<int32_t>(),
                           range["end"]["line"].get<int32_t>(), std::move(location)});
        }
        if (own && e.fix) {
          fixes.actions.push_back(quick_fix(e, d->text, d->uri, shown));
          fixes.bytes += fixes.actions.back().dump().size();
        }
        list.push_back(std::move(shown));
      }
      if (jumps.empty()) jumps_.erase(d->uri);
      if (fixes.actions.empty()) fixes_.erase(d->uri);
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
