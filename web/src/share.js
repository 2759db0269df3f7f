// Programs in links: `#src=` and the base64url of the program's UTF-8 text, which always opens;
// long programs may be written deflated, marked by "~", which base64url never starts with.
const kCompressed = '~';
const kCompressFrom = 1500;

function toBase64Url(bytes) {
  let binary = '';
  for (const byte of bytes) binary += String.fromCharCode(byte);
  return btoa(binary).replace(/\+/g, '-').replace(/\//g, '_').replace(/=+$/, '');
}

function fromBase64Url(text) {
  const binary = atob(text.replace(/-/g, '+').replace(/_/g, '/').replace(/\s/g, ''));
  return Uint8Array.from(binary, (c) => c.charCodeAt(0));
}

async function through(stream, bytes) {
  const piped = new Blob([bytes]).stream().pipeThrough(stream);
  return new Uint8Array(await new Response(piped).arrayBuffer());
}

export async function shareFragment(text) {
  const bytes = new TextEncoder().encode(text);
  const plain = toBase64Url(bytes);
  if (plain.length < kCompressFrom || typeof CompressionStream !== 'function') return `#src=${plain}`;
  const packed = kCompressed + toBase64Url(await through(new CompressionStream('deflate-raw'), bytes));
  return `#src=${packed.length < plain.length ? packed : plain}`;
}

// The program in a fragment, or null when the fragment carries none or cannot be read.
export async function programFromFragment(hash) {
  const match = /^#?src=(.*)$/s.exec(hash);
  if (!match) return null;
  try {
    const value = decodeURIComponent(match[1]);
    const bytes = value.startsWith(kCompressed)
      ? await through(new DecompressionStream('deflate-raw'), fromBase64Url(value.slice(1)))
      : fromBase64Url(value);
    return new TextDecoder().decode(bytes);
  } catch {
    return null;
  }
}
