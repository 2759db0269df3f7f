// The program editor: CodeMirror with the kit's own syntax colours (the core classifies each
// line, as it does for the desktop editor), and a margin with the breakpoints and the
// execution and error markers.
import { EditorState, StateField, StateEffect, RangeSet, Compartment } from '@codemirror/state';
import {
  EditorView, ViewPlugin, Decoration, GutterMarker, gutter, lineNumbers, keymap,
  highlightActiveLine, drawSelection,
} from '@codemirror/view';
import { defaultKeymap, history, historyKeymap, indentWithTab } from '@codemirror/commands';

const toggleBreakpoint = StateEffect.define();
const clearBreakpoints = StateEffect.define();
const setMarks = StateEffect.define();

class Mark extends GutterMarker {
  constructor(kind, text, label) {
    super();
    this.kind = kind;
    this.text = text;
    this.label = label;
  }
  eq(other) { return other.kind === this.kind; }
  toDOM() {
    const span = document.createElement('span');
    span.className = `mark-${this.kind}`;
    span.textContent = this.text;
    span.setAttribute('aria-label', this.label);
    return span;
  }
}
const breakMark = new Mark('break', '●', 'breakpoint');
const execMark = new Mark('exec', '▶', 'current line');
const errorMark = new Mark('error', '✖', 'error');

// Breakpoints stay on their lines as the text around them changes.
const breakpoints = StateField.define({
  create: () => RangeSet.empty,
  update(set, tr) {
    set = set.map(tr.changes);
    for (const effect of tr.effects) {
      if (effect.is(clearBreakpoints)) {
        set = RangeSet.empty;
      } else if (effect.is(toggleBreakpoint)) {
        const at = effect.value;
        let had = false;
        set.between(at, at, () => { had = true; });
        set = had ? set.update({ filter: (from) => from !== at })
                  : set.update({ add: [breakMark.range(at)] });
      }
    }
    return set;
  },
});

// The execution and error markers, by 0-based line; -1 for none.
const marks = StateField.define({
  create: () => ({ exec: -1, error: -1 }),
  update(value, tr) {
    for (const effect of tr.effects) {
      if (effect.is(setMarks)) value = effect.value;
    }
    return tr.docChanged ? { exec: -1, error: -1 } : value;
  },
});

function lineStart(doc, index) {
  return index >= 0 && index < doc.lines ? doc.line(index + 1).from : -1;
}

const markGutter = gutter({
  class: 'cm-tarvix-marks',
  markers(view) {
    const { doc } = view.state;
    const { exec, error } = view.state.field(marks);
    const added = [];
    if (lineStart(doc, exec) >= 0) added.push(execMark.range(lineStart(doc, exec)));
    if (lineStart(doc, error) >= 0 && error !== exec) added.push(errorMark.range(lineStart(doc, error)));
    return view.state.field(breakpoints).update({ add: added, sort: true });
  },
  initialSpacer: () => breakMark,
});

const lineMarks = EditorView.decorations.compute([marks, 'doc'], (state) => {
  const { exec, error } = state.field(marks);
  const ranges = [];
  const add = (index, cls) => {
    const at = lineStart(state.doc, index);
    if (at >= 0) ranges.push(Decoration.line({ class: cls }).range(at));
  };
  add(exec, 'cm-tarvix-exec');
  if (error !== exec) add(error, 'cm-tarvix-error');
  ranges.sort((a, b) => a.from - b.from);
  return Decoration.set(ranges);
});

// The kit's classifier colours each line from the state the line before left.
function syntaxColours(core) {
  const markFor = new Map();
  const colourMark = (index) => {
    if (!markFor.has(index)) {
      markFor.set(index, Decoration.mark({ attributes: { style: `color: ${core.colour(index)}` } }));
    }
    return markFor.get(index);
  };
  const build = (view) => {
    const { doc } = view.state;
    const ranges = [];
    let state = 0;
    for (let n = 1; n <= doc.lines; n++) {
      const line = doc.line(n);
      const flat = core.classify(state, line.text);
      state = flat.get(0);
      for (let i = 1; i < flat.size(); i += 2) {
        const start = flat.get(i);
        const end = i + 2 < flat.size() ? flat.get(i + 2) : line.length;
        if (end > start) ranges.push(colourMark(flat.get(i + 1)).range(line.from + start, line.from + end));
      }
      flat.delete();
    }
    return Decoration.set(ranges);
  };
  return ViewPlugin.fromClass(class {
    constructor(view) { this.decorations = build(view); }
    update(update) { if (update.docChanged) this.decorations = build(update.view); }
  }, { decorations: (plugin) => plugin.decorations });
}

export function createEditor(parent, core, { text, onChange, onBreakpoints }) {
  const editable = new Compartment();
  const view = new EditorView({
    parent,
    state: EditorState.create({
      doc: text,
      extensions: [
        lineNumbers(), markGutter, breakpoints, marks, lineMarks, history(), drawSelection(),
        highlightActiveLine(), syntaxColours(core),
        keymap.of([indentWithTab, ...defaultKeymap, ...historyKeymap]),
        editable.of(EditorView.editable.of(true)),
        EditorView.contentAttributes.of({ 'aria-label': 'Program' }),
        EditorView.theme({
          '&': { backgroundColor: core.colour(0), color: core.colour(2) },
          '.cm-content': { caretColor: core.colour(2) },
        }),
        EditorView.updateListener.of((update) => {
          if (update.docChanged) onChange();
          if (update.startState.field(breakpoints) !== update.state.field(breakpoints)) onBreakpoints();
        }),
      ],
    }),
  });
  return {
    view,
    text: () => view.state.doc.toString(),
    setText(newText) {
      view.dispatch({ changes: { from: 0, to: view.state.doc.length, insert: newText },
        effects: clearBreakpoints.of(null) });
    },
    caretLine: () => view.state.doc.lineAt(view.state.selection.main.head).number - 1,
    toggleBreakpoint(line = this.caretLine()) {
      view.dispatch({ effects: toggleBreakpoint.of(view.state.doc.line(line + 1).from) });
    },
    clearBreakpoints() { view.dispatch({ effects: clearBreakpoints.of(null) }); },
    breakpointLines() {
      const lines = [];
      const set = view.state.field(breakpoints);
      for (const cursor = set.iter(); cursor.value; cursor.next()) {
        lines.push(view.state.doc.lineAt(cursor.from).number - 1);
      }
      return lines;
    },
    setMarks(exec, error) {
      const current = view.state.field(marks);
      if (current.exec === exec && current.error === error) return;
      const effects = [setMarks.of({ exec, error })];
      const shown = exec >= 0 ? exec : error;
      if (shown >= 0 && shown < view.state.doc.lines) {
        effects.push(EditorView.scrollIntoView(view.state.doc.line(shown + 1).from, { y: 'nearest' }));
      }
      view.dispatch({ effects });
    },
    setReadOnly(readOnly) {
      view.dispatch({ effects: editable.reconfigure(EditorView.editable.of(!readOnly)) });
    },
    focus: () => view.focus(),
  };
}
