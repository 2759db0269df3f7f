// The page: the editor, the commands and their keys, the panes and panels, files and links.
// The kit itself runs in a worker; this page only shows what it reports.
import { Terminal } from '@xterm/xterm';
import '@xterm/xterm/css/xterm.css';
import './style.css';
import { Cell, StepCommand, loadCore } from './core.js';
import { editCode } from './edits.js';
import { createEditor } from './editor.js';
import { Panels } from './panels.js';
import { programFromFragment, shareFragment } from './share.js';
import { openTool } from './tools.js';
import { keyCode } from './keys.js';

const $ = (id) => document.getElementById(id);
const kAutosave = 'tarvix.source';
const params = new URLSearchParams(location.search);
const core = await loadCore();

const fromLink = await programFromFragment(location.hash);
const pane = $('pane');

if (params.has('run')) {
  await reportOnly(fromLink ?? '');
} else {
  interactive(fromLink ?? localStorage.getItem(kAutosave) ?? '');
}

// `?run`: the report of tarvix-run --json --memory 1000-1FFF, with its clock, keys, break and
// max-steps given as clock=, keys=, break= and steps=.
async function reportOnly(text) {
  const report = $('tarvix-report');
  pane.textContent = 'Running…';
  await new Promise((resolve) => setTimeout(resolve));
  report.textContent = core.reportRun(text, Number(params.get('clock') ?? 5), params.get('keys') ?? '',
    Number(params.get('break') ?? 0), Number(params.get('steps') ?? 0));
  report.hidden = false;
  pane.textContent = 'Report written.';
}

function interactive(initialText) {
  const panels = new Panels();
  const terminal = new Terminal({ rows: 10, cols: 64, convertEol: false, screenReaderMode: true });
  terminal.open($('terminal'));
  const terminalText = $('terminalText');
  let state = null;
  let running = false;
  let stepping = false;
  let fileHandle = null;
  let errorSounds = 0;

  const shared = typeof SharedArrayBuffer === 'function' && self.crossOriginIsolated;
  const controlBytes = core.controlCells * Int32Array.BYTES_PER_ELEMENT;
  const control = new Int32Array(shared ? new SharedArrayBuffer(controlBytes) : new ArrayBuffer(controlBytes));
  let worker = null;
  let workerReady = null;
  startWorker();

  function startWorker() {
    worker = new Worker(new URL('./worker.js', import.meta.url), { type: 'module' });
    workerReady = new Promise((resolve) => {
      worker.onmessage = ({ data }) => {
        if (data.type === 'ready') {
          worker.postMessage({ type: 'control', control });
          resolve();
        } else if (data.type === 'state') {
          show(JSON.parse(data.json), data.done);
        } else if (data.type === 'list') {
          listDialog(data.text);
        }
      };
    });
  }

  const editor = createEditor($('editorPane'), core, {
    text: initialText,
    onChange: () => {
      clearTimeout(editor.saveTimer);
      editor.saveTimer = setTimeout(() => localStorage.setItem(kAutosave, editor.text()), 300);
    },
    onBreakpoints: () => shareBreakpoints(),
  });
  setRunning(false, false);
  if (!shared) pane.textContent = 'This page is not cross-origin isolated: Step and breakpoints are not available.';

  function signal(cell, value) {
    Atomics.store(control, cell, value);
    Atomics.add(control, Cell.Wake, 1);
    if (shared) Atomics.notify(control, Cell.Wake);
  }

  // The breakpoints as a running kit reads them, set or cleared while it runs: a bit a line after
  // the cells, then a new revision.
  function shareBreakpoints() {
    if (!shared) return;
    const words = new Int32Array(control.length - Cell.BreakpointBits);
    for (const line of editor.breakpointLines()) {
      if (line < words.length * 32) words[line >> 5] |= 1 << (line & 31);
    }
    words.forEach((word, i) => Atomics.store(control, Cell.BreakpointBits + i, word));
    signal(Cell.BreakpointRevision, Atomics.load(control, Cell.BreakpointRevision) + 1);
  }

  async function send(type) {
    await workerReady;
    const message = {
      type, source: editor.text(), breakpoints: shared ? editor.breakpointLines() : [],
      speed: Number($('speed').value), mhz: Number($('mhz').value) || 5,
      linesPerSecond: Number($('lps').value) || 5,
    };
    if (type === 'run' || type === 'step' || type === 'runToCursor') {
      Atomics.store(control, Cell.Cursor, editor.caretLine());
      setRunning(true, type === 'step');
    }
    worker.postMessage(message);
  }

  // The kit holds one key at a time: keys typed faster than it takes them wait here, in order.
  const keyQueue = [];
  function pressKey(code) {
    keyQueue.push(code);
    feedKeys();
  }
  function feedKeys() {
    if (!running) keyQueue.length = 0;
    if (keyQueue.length && Atomics.load(control, Cell.Key) === 0) signal(Cell.Key, keyQueue.shift() + 1);
    if (keyQueue.length) setTimeout(feedKeys, 5);
  }

  function stop() {
    if (!running) return;
    if (shared) {
      signal(Cell.Stop, 1);
      return;
    }
    // Without shared memory a running kit cannot be told: it is ended and a new one started.
    worker.terminate();
    startWorker();
    setRunning(false, false);
    pane.textContent = 'Stopped.';
  }

  function stepCommand(command) {
    if (running && stepping) signal(Cell.Command, command);
  }

  function setRunning(isRunning, isStepping) {
    running = isRunning;
    stepping = isStepping;
    editor.setReadOnly(isRunning);
    $('stop').disabled = !isRunning;
    for (const id of ['run', 'step', 'reset', 'resetMemory', 'assemble', 'runToCursor', 'new', 'open', 'examples']) {
      $(id).disabled = isRunning;
    }
    // A kit that cannot read the page's commands while it runs cannot be stepped.
    if (!shared) $('step').disabled = $('runToCursor').disabled = true;
    $('stepbar').hidden = !isStepping;
    for (const id of ['editWhat', 'editValue', 'editSet']) $(id).disabled = isRunning && !isStepping;
  }

  // The registers, flags and memory bytes a stop changed since the stop before it are marked, as
  // the desktop marks them; while a run goes on nothing is.
  let stopState = null;
  let beforeStop = null;
  function noteStop(next, done) {
    if (!done && !next.stepping) return;
    if (stopState && next.registers.join() === stopState.registers.join() &&
        next.memory === stopState.memory) {
      stopState = next;  // the same stop, posted again while the kit waits
      return;
    }
    beforeStop = stopState;
    stopState = next;
  }
  const escaped = (text) => text.replace(/&/g, '&amp;').replace(/</g, '&lt;');
  const markedCells = (cells, before) => cells.map((cell, i) =>
    (before && before[i] !== undefined && before[i] !== cell ? `<mark>${escaped(cell)}</mark>` : escaped(cell)));
  const changedSince = () => (state === stopState ? beforeStop : null);

  $('editForm').addEventListener('submit', (event) => {
    event.preventDefault();
    const code = editCode($('editWhat').value, $('editValue').value);
    if (code === null) {
      pane.textContent = 'Set: a register AX to DI, a flag CF to OF (0 or 1) or an address 1000 to 1FFF (a byte), to a value in hexadecimal.';
    } else if (running && stepping) {
      signal(Cell.Edit, code);
    } else if (!running) {
      workerReady.then(() => worker.postMessage({ type: 'edit', code }));
    }
  });

  function showRegisters() {
    const before = changedSince();
    const last = state.registers.length - 1;  // the flags, a digit a flag
    const lines = state.registers.map((line, i) => {
      const cells = (text) => (i === last ? [...text] : text.split(' '));
      return markedCells(cells(line), before && cells(before.registers[i])).join(i === last ? '' : ' ');
    });
    $('registers').innerHTML = [...lines, escaped(state.flagsLegend)].join('\n');
  }

  function show(next, done) {
    state = next;
    noteStop(next, done);
    if (done) setRunning(false, false);
    else if (next.running) setRunning(true, next.stepping);
    pane.textContent = next.pane;
    $('execStatus').textContent = next.status;
    $('pace').textContent = next.pace;
    showRegisters();
    $('stack').textContent = next.stack.join('\n');
    showMemory();
    editor.setMarks(next.running || next.line >= 0 ? next.line : -1, next.errorLine);
    panels.show(next);
    if (next.terminal) {
      terminal.write(next.terminal);
      terminalText.textContent = (terminalText.textContent + next.terminal).slice(-2000);
    }
    if (next.errorSounds > errorSounds) beep();
    errorSounds = next.errorSounds;
  }

  function showMemory() {
    if (!state) return;
    const start = Math.min(Math.max(parseInt($('memStart').value, 16) || 0x1000, 0x1000), 0x1FF0) & ~0xF;
    const before = changedSince();
    const bytes = (memory, at) => memory.slice(at, at + 32).match(/../g);
    const rows = [];
    for (let a = start; a < Math.min(start + 0x100, 0x2000); a += 16) {
      const at = (a - 0x1000) * 2;
      const cells = markedCells(bytes(state.memory, at), before && bytes(before.memory, at));
      rows.push(`${a.toString(16).toUpperCase()}: ${cells.join(' ')}`);
    }
    $('memory').innerHTML = rows.join('\n');
  }

  function beep() {
    try {
      const audio = new AudioContext();
      const tone = new OscillatorNode(audio, { frequency: 440 });
      tone.connect(new GainNode(audio, { gain: 0.05 })).connect(audio.destination);
      tone.start();
      tone.stop(audio.currentTime + 0.15);
    } catch { /* no audio is no error */ }
  }

  function listDialog(text) {
    if (!text) return;
    openTool('list', core, text);
  }

  function load(text) {
    editor.setText(text);
    localStorage.setItem(kAutosave, text);
    fileHandle = null;
  }

  async function save() {
    const text = editor.text();
    if (window.showSaveFilePicker) {
      try {
        fileHandle ??= await window.showSaveFilePicker({ suggestedName: 'program.asm',
          types: [{ description: 'Assembly source', accept: { 'text/plain': ['.asm'] } }] });
        const writable = await fileHandle.createWritable();
        await writable.write(text);
        await writable.close();
        pane.textContent = `Saved ${fileHandle.name}.`;
        return;
      } catch (error) {
        if (error.name === 'AbortError') return;
      }
    }
    const link = document.createElement('a');
    link.href = URL.createObjectURL(new Blob([text], { type: 'text/plain' }));
    link.download = 'program.asm';
    link.click();
    URL.revokeObjectURL(link.href);
  }

  async function share() {
    const fragment = await shareFragment(editor.text());
    history.replaceState(null, '', location.pathname + location.search + fragment);
    try {
      await navigator.clipboard.writeText(location.href);
      pane.textContent = 'The link to this program is in the address bar and on the clipboard.';
    } catch {
      pane.textContent = 'The link to this program is in the address bar.';
    }
  }

  const actions = {
    new: () => load(''),
    open: () => $('file').click(),
    save,
    share,
    run: () => send('run'),
    step: () => shared && send('step'),
    runToCursor: () => shared && send('runToCursor'),
    stop,
    reset: () => send('reset'),
    resetMemory: () => send('resetMemory'),
    assemble: () => send('assemble'),
    breakpoint: () => editor.toggleBreakpoint(),
    clearBreakpoints: () => editor.clearBreakpoints(),
    next: () => stepCommand(StepCommand.Next),
    continue: () => stepCommand(StepCommand.Continue),
    stepOver: () => stepCommand(StepCommand.StepOver),
    stepOut: () => stepCommand(StepCommand.StepOut),
    stepBack: () => stepCommand(StepCommand.StepBack),
    toolDelay: () => openTool('delay', core),
    toolSegments: () => openTool('segments', core),
    toolConvert: () => openTool('convert', core),
  };
  for (const [id, action] of Object.entries(actions)) {
    $(id).addEventListener('click', action);
  }
  $('memStart').addEventListener('input', showMemory);
  $('file').addEventListener('change', async () => {
    const [file] = $('file').files;
    if (file) load(await file.text());
    $('file').value = '';
  });
  $('examples').addEventListener('change', async () => {
    const name = $('examples').value;
    if (!name) return;
    load(await (await fetch(`examples/${name}`)).text());
    $('examples').value = '';
    pane.textContent = `Opened ${name}.`;
  });
  fetch('examples/index.json').then((r) => r.json()).then((names) => {
    for (const name of names) $('examples').append(new Option(name, name));
  });

  // The desktop program's keys. While a run goes on every key is the kit's but Escape; while
  // stepping, the step commands have theirs.
  const idleKeys = {
    F9: 'run', F10: 'step', F11: 'reset', F12: 'assemble', 'Ctrl+B': 'breakpoint',
    'Ctrl+Shift+F9': 'clearBreakpoints', 'Ctrl+F10': 'runToCursor', 'Ctrl+S': 'save', 'Ctrl+O': 'open',
  };
  const stepKeys = {
    Enter: 'next', F10: 'next', F9: 'continue', F8: 'stepOver', 'Shift+F8': 'stepOut',
    Backspace: 'stepBack', Escape: 'stop', 'Ctrl+B': 'breakpoint', 'Ctrl+Shift+F9': 'clearBreakpoints',
  };
  const speeds = { 'Ctrl+1': '0', 'Ctrl+2': '1', 'Ctrl+3': '2' };
  document.addEventListener('keydown', (event) => {
    // Typing a value is typing, and Enter sets it, even while stepping.
    const editing = event.target instanceof Element && event.target.closest('#editForm');
    if (editing && (event.key.length === 1 || event.key === 'Enter' || event.key === 'Backspace')) return;
    const name = `${event.ctrlKey ? 'Ctrl+' : ''}${event.shiftKey && event.key.length > 1 ? 'Shift+' : ''}${event.key.length === 1 ? event.key.toUpperCase() : event.key}`;
    let action = null;
    if (running && stepping) {
      action = stepKeys[name];
    } else if (running) {
      if (event.key === 'Escape') {
        action = 'stop';
      } else {
        const code = keyCode(event);
        if (code !== null) pressKey(code);
        event.preventDefault();
        return;
      }
    } else if (speeds[name]) {
      $('speed').value = speeds[name];
      event.preventDefault();
      return;
    } else {
      action = idleKeys[name];
    }
    if (action) {
      event.preventDefault();
      actions[action]();
    }
  }, true);
  window.tarvixPage = { editor, actions, state: () => state, ready: () => workerReady };
}
