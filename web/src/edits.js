// Edits of a stopped or stepping kit, as at the desktop's Ram & Registers pane: a register
// (AX to DI; not IP), a flag (CF to OF, 0 or 1) or a memory byte (1000 to 1FFF), in hex. An
// edit reaches the kit as one number, as WebKit::edit takes it.
const kRegisterNumbers = { AX: 0, CX: 1, DX: 2, BX: 3, SP: 4, BP: 5, SI: 6, DI: 7 };
const kFlagBits = { CF: 0, PF: 2, AF: 4, ZF: 6, SF: 7, TF: 8, IF: 9, DF: 10, OF: 11 };
const EditKind = { Register: 1, Flag: 2, Memory: 3 };

// The edit of `what` to the hexadecimal `text`, or null when either is no such thing.
export function editCode(what, text) {
  const name = what.trim().toUpperCase();
  if (!/^[0-9A-F]{1,4}$/i.test(text.trim())) return null;
  const value = parseInt(text, 16);
  const code = (kind, index) => (kind << 28) | (index << 16) | value;
  if (name in kRegisterNumbers) return code(EditKind.Register, kRegisterNumbers[name]);
  if (name in kFlagBits) return value <= 1 ? code(EditKind.Flag, kFlagBits[name]) : null;
  const address = /^[0-9A-F]{4}$/.test(name) ? parseInt(name, 16) : 0;
  return address >= 0x1000 && address <= 0x1FFF && value <= 0xFF ? code(EditKind.Memory, address - 0x1000) : null;
}
