// A language client for the tests: starts a server as the extension would (same command and
// arguments) and talks to it through the protocol library the editor's client is built on.
'use strict';

const { spawn } = require('child_process');
const { pathToFileURL } = require('url');
const {
  createProtocolConnection,
  StreamMessageReader,
  StreamMessageWriter,
  InitializeRequest,
  InitializedNotification,
  ShutdownRequest,
  ExitNotification,
  DidOpenTextDocumentNotification,
  DidChangeTextDocumentNotification,
  PublishDiagnosticsNotification,
  HoverRequest,
  DocumentSymbolRequest,
  DocumentFormattingRequest,
} = require('vscode-languageserver-protocol/node');

const DEFAULT_TIMEOUT_MS = 10000;

function withTimeout(promise, ms, what) {
  let timer;
  const timeout = new Promise((_, reject) => {
    timer = setTimeout(() => reject(new Error(`${what}: no answer within ${ms} ms`)), ms);
  });
  return Promise.race([promise, timeout]).finally(() => clearTimeout(timer));
}

class LspSession {
  // server: the `run` part of serverOptions().
  constructor(server) {
    this.child = spawn(server.command, server.args, {
      cwd: server.options && server.options.cwd,
      stdio: ['pipe', 'pipe', 'pipe'],
    });
    this.stderr = '';
    this.child.stderr.on('data', (d) => (this.stderr += d));
    this.exited = new Promise((resolve) => this.child.on('exit', (code) => resolve(code)));
    this.connection = createProtocolConnection(
      new StreamMessageReader(this.child.stdout),
      new StreamMessageWriter(this.child.stdin),
    );
    this.versions = new Map();
    this.waiting = [];  // diagnostics awaited: { uri, resolve }
    this.connection.onNotification(PublishDiagnosticsNotification.type, (p) => {
      const i = this.waiting.findIndex((w) => w.uri === p.uri);
      if (i >= 0) this.waiting.splice(i, 1)[0].resolve(p.diagnostics);
    });
    this.connection.listen();
  }

  request(type, params, what) {
    return withTimeout(this.connection.sendRequest(type, params), DEFAULT_TIMEOUT_MS, what);
  }

  initialize(rootPath) {
    return this.request(
      InitializeRequest.type,
      {
        processId: process.pid,
        rootUri: rootPath ? pathToFileURL(rootPath).href : null,
        capabilities: {},
        workspaceFolders: null,
      },
      'initialize',
    ).then((result) => {
      this.connection.sendNotification(InitializedNotification.type, {});
      return result;
    });
  }

  // The next diagnostics published for uri; call before the change that causes them.
  nextDiagnostics(uri, ms = DEFAULT_TIMEOUT_MS) {
    const p = new Promise((resolve) => this.waiting.push({ uri, resolve }));
    return withTimeout(p, ms, `diagnostics for ${uri}`);
  }

  open(uri, languageId, text) {
    this.versions.set(uri, 1);
    this.connection.sendNotification(DidOpenTextDocumentNotification.type, {
      textDocument: { uri, languageId, version: 1, text },
    });
  }

  // Replaces the whole text, as a client with full synchronisation does.
  change(uri, text) {
    const version = (this.versions.get(uri) || 0) + 1;
    this.versions.set(uri, version);
    this.connection.sendNotification(DidChangeTextDocumentNotification.type, {
      textDocument: { uri, version },
      contentChanges: [{ text }],
    });
  }

  hover(uri, position) {
    return this.request(HoverRequest.type, { textDocument: { uri }, position }, 'hover');
  }

  symbols(uri) {
    return this.request(DocumentSymbolRequest.type, { textDocument: { uri } }, 'symbols');
  }

  format(uri) {
    return this.request(
      DocumentFormattingRequest.type,
      { textDocument: { uri }, options: { tabSize: 4, insertSpaces: true } },
      'formatting',
    );
  }

  // Shutdown, exit, and the server's exit status.
  async shutdown() {
    await this.request(ShutdownRequest.type, undefined, 'shutdown');
    this.connection.sendNotification(ExitNotification.type);
    const code = await withTimeout(this.exited, DEFAULT_TIMEOUT_MS, 'exit');
    this.connection.dispose();
    return code;
  }

  // For a test that failed half-way: the server must not outlive it.
  kill() {
    this.connection.dispose();
    if (this.child.exitCode === null) this.child.kill();
  }
}

// Offset of an LSP position (line, UTF-16 character) in text.
function offsetAt(text, position) {
  let offset = 0;
  for (let line = 0; line < position.line; ++line) {
    const lf = text.indexOf('\n', offset);
    if (lf < 0) return text.length;
    offset = lf + 1;
  }
  return Math.min(offset + position.character, text.length);
}

// The text with the edits of a formatting answer applied, as the editor applies them.
function applyEdits(text, edits) {
  const sorted = [...(edits || [])].sort(
    (a, b) => offsetAt(text, b.range.start) - offsetAt(text, a.range.start),
  );
  for (const e of sorted) {
    text = text.slice(0, offsetAt(text, e.range.start)) + e.newText + text.slice(offsetAt(text, e.range.end));
  }
  return text;
}

module.exports = { LspSession, applyEdits, offsetAt };
