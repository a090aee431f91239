// The editor extension: starts `scenario-tool lsp` for the line and train sources.
'use strict';

const vscode = require('vscode');
const { LanguageClient } = require('vscode-languageclient/node');
const { serverOptions, clientOptions } = require('./client_options');

let client;
let extensionDir;

function workspaceFolder() {
  const folders = vscode.workspace.workspaceFolders;
  return folders && folders.length > 0 ? folders[0].uri.fsPath : undefined;
}

async function start() {
  const setting = vscode.workspace.getConfiguration('scenarioSources').get('toolPath');
  const server = serverOptions(setting, workspaceFolder(), extensionDir);
  client = new LanguageClient('scenarioSources', 'Scenario sources', server, clientOptions());
  try {
    await client.start();
  } catch (e) {
    // Highlighting still works without the server; say what to set instead of failing quietly.
    client = undefined;
    vscode.window.showWarningMessage(
      `Scenario sources: could not start "${server.run.command} lsp" (${e.message}). ` +
        'Set scenarioSources.toolPath to the scenario-tool executable.');
  }
}

async function stop() {
  const running = client;
  client = undefined;
  if (running) await running.stop();
}

async function activate(context) {
  extensionDir = context.extensionPath;
  context.subscriptions.push(
    vscode.workspace.onDidChangeConfiguration(async (e) => {
      if (e.affectsConfiguration('scenarioSources.toolPath')) {
        await stop();
        await start();
      }
    }),
  );
  await start();
}

function deactivate() {
  return stop();
}

module.exports = { activate, deactivate };
