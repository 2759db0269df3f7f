// Loads the kit's core, the WebAssembly module built from the same C++ as the desktop program.
export async function loadCore() {
  const { default: createTarvix } = await import(new URL('./tarvix.mjs', import.meta.url).href);
  return createTarvix();
}

// Cells of the control block the page writes while the worker runs the kit.
export const Cell = { Stop: 0, Command: 1, Key: 2, Wake: 3, Cursor: 4, BreakpointRevision: 5, Edit: 6, BreakpointBits: 8 };
// The step commands, numbered as the core numbers them.
export const StepCommand = { Next: 1, Continue: 2, StepOver: 3, StepOut: 4, RunToCursor: 5, StepBack: 6, Stop: 7 };
