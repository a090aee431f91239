#!/usr/bin/env node
// A stand-in language server for testing the harness: it answers as a server must, so that the
// harness is known to work before it drives the real one. A line holding ERRORE is a fault.
'use strict';

const {
  createProtocolConnection,
  StreamMessageReader,
  StreamMessageWriter,
  InitializeRequest,
  ShutdownRequest,
  ExitNotification,
  DidOpenTextDocumentNotification,
  DidChangeTextDocumentNotification,
  PublishDiagnosticsNotification,
  HoverRequest,
} = require('vscode-languageserver-protocol/node');

if (process.argv[2] !== 'lsp') {
  process.stderr.write(`stub: started without the lsp command: ${process.argv.slice(2)}\n`);
  process.exit(2);
}

const connection = createProtocolConnection(
  new StreamMessageReader(process.stdin),
  new StreamMessageWriter(process.stdout),
);
let shutdown = false;

function publish(uri, text) {
  const diagnostics = [];
  text.split(/\r\n|\r|\n/).forEach((line, i) => {
    const at = line.indexOf('ERRORE');
    if (at >= 0) {
      diagnostics.push({
        range: { start: { line: i, character: at }, end: { line: i, character: at + 6 } },
        severity: 1,
        message: 'a fault',
      });
    }
  });
  connection.sendNotification(PublishDiagnosticsNotification.type, { uri, diagnostics });
}

connection.onRequest(InitializeRequest.type, () => ({
  capabilities: { textDocumentSync: 1, hoverProvider: true },
}));
connection.onNotification(DidOpenTextDocumentNotification.type, (p) =>
  publish(p.textDocument.uri, p.textDocument.text),
);
connection.onNotification(DidChangeTextDocumentNotification.type, (p) =>
  publish(p.textDocument.uri, p.contentChanges[0].text),
);
connection.onRequest(HoverRequest.type, (p) => ({
  contents: `line ${p.position.line}, character ${p.position.character}`,
}));
connection.onRequest(ShutdownRequest.type, () => {
  shutdown = true;
  return null;
});
connection.onNotification(ExitNotification.type, () => process.exit(shutdown ? 0 : 1));
connection.listen();
