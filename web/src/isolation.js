// Shared memory between the page and its kit needs a cross-origin isolated page. A host that
// cannot send the two headers for it (most static hosts) gets them from this service worker,
// which adds them to every response of the site; the page reloads once to come under it.
if (typeof window === 'undefined') {
  self.addEventListener('install', () => self.skipWaiting());
  self.addEventListener('activate', (event) => event.waitUntil(self.clients.claim()));
  self.addEventListener('fetch', (event) => {
    if (event.request.cache === 'only-if-cached' && event.request.mode !== 'same-origin') return;
    event.respondWith(fetch(event.request).then((response) => {
      if (response.status === 0) return response;
      const headers = new Headers(response.headers);
      headers.set('Cross-Origin-Opener-Policy', 'same-origin');
      headers.set('Cross-Origin-Embedder-Policy', 'require-corp');
      return new Response(response.body, { status: response.status, statusText: response.statusText, headers });
    }));
  });
} else if (!window.crossOriginIsolated && window.isSecureContext && navigator.serviceWorker &&
           !sessionStorage.getItem('tarvix.isolating')) {
  navigator.serviceWorker.register(document.currentScript.src).then(() => {
    sessionStorage.setItem('tarvix.isolating', '1');
    location.reload();
  });
}
