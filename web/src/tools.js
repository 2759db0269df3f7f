// The tools as dialogs; every figure comes from the core's own tools code.
const dialog = () => document.getElementById('dialog');

function field(label, attributes) {
  const wrapper = document.createElement('label');
  wrapper.textContent = `${label} `;
  const input = Object.assign(document.createElement('input'), attributes);
  wrapper.append(input, document.createElement('br'));
  return [wrapper, input];
}

function output(label) {
  const pre = document.createElement('pre');
  pre.setAttribute('aria-label', label);
  pre.setAttribute('aria-live', 'polite');
  pre.tabIndex = 0;
  return pre;
}

const tools = {
  delay(core, body) {
    const [delayRow, delay] = field('Delay (ms)', { type: 'number', min: 1, max: 99999, value: 1 });
    const [clockRow, clock] = field('Clock (MHz)', { type: 'number', min: 1, max: 99, value: 5 });
    const text = output('Delay routine');
    const update = () => { text.textContent = core.delayRoutine(Number(delay.value), Number(clock.value)); };
    delay.oninput = clock.oninput = update;
    update();
    body.append(delayRow, clockRow, text);
    return 'Delay Routine';
  },
  segments(core, body) {
    const boxes = ['a', 'b', 'c', 'd', 'e', 'f', 'g', 'h'].map((name) => field(`Segment ${name}`, { type: 'checkbox' }));
    const code = output('Segment code');
    const update = () => {
      const bits = boxes.reduce((sum, [, box], i) => sum | (box.checked ? 1 << i : 0), 0);
      const value = core.segmentCode(bits);
      code.textContent = `${core.codeHex(value)}\n${core.codeBinary(value)}`;
    };
    boxes.forEach(([row, box]) => { box.onchange = update; body.append(row); });
    const table = output('Digit codes');
    table.textContent = core.digitTable();
    update();
    body.append(code, table);
    return 'Seven Segment Codes';
  },
  convert(core, body) {
    const [valueRow, value] = field('Number', { value: '0' });
    const base = document.createElement('select');
    base.setAttribute('aria-label', 'Base of the number');
    [['16', 'Hexadecimal'], ['10', 'Decimal'], ['2', 'Binary']].forEach(([v, t]) => base.append(new Option(t, v)));
    const bits = document.createElement('select');
    bits.setAttribute('aria-label', 'Bits');
    [['8', '8 bit'], ['16', '16 bit']].forEach(([v, t]) => bits.append(new Option(t, v)));
    const result = output('Hexadecimal, decimal and binary');
    const update = () => {
      const [hex, dec, bin] = core.convertNumber(value.value, Number(base.value), Number(bits.value)).split(' ');
      result.textContent = `Hex ${hex}\nDec ${dec}\nBin ${bin}`;
    };
    value.oninput = base.onchange = bits.onchange = update;
    update();
    body.append(valueRow, base, bits, result);
    return 'Hex-Dec-Bin';
  },
  list(core, body, text) {
    const pre = output('List file');
    pre.textContent = text;
    body.append(pre);
    return 'List file';
  },
};

export function openTool(kind, core, text) {
  const body = document.getElementById('dialogBody');
  body.replaceChildren();
  document.getElementById('dialogTitle').textContent = tools[kind](core, body, text);
  dialog().showModal();
}
