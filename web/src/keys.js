// A key as the kit's programs read it: the character for keys that make one, the virtual-key
// number for the others, as the desktop program maps them; null for keys the kit ignores.
const kVirtualKeys = {
  Backspace: 0x08, Tab: 0x09, Enter: 0x0d, Shift: 0x10, Control: 0x11, Alt: 0x12,
  PageUp: 0x21, PageDown: 0x22, End: 0x23, Home: 0x24, ArrowLeft: 0x25, ArrowUp: 0x26,
  ArrowRight: 0x27, ArrowDown: 0x28, Insert: 0x2d, Delete: 0x2e,
};

export function keyCode(event) {
  if (event.key.length === 1) {
    const code = event.key.charCodeAt(0);
    if (event.ctrlKey && /[a-z]/i.test(event.key)) return event.key.toUpperCase().charCodeAt(0) - 0x40;
    return code < 256 ? code : null;
  }
  const fn = /^F([1-9]|1[0-2])$/.exec(event.key);
  if (fn) return 0x6f + Number(fn[1]);
  return kVirtualKeys[event.key] ?? null;
}
