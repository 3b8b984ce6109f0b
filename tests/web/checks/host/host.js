// A page of a game host around the game, for the browser checks: it frames the page given by
// ?game=URL, with the sandbox given by ?sandbox=TOKENS (none: no sandbox attribute at all),
// and records every key that reaches the host's own document.
'use strict';
const query = new URLSearchParams(window.location.search);
const frame = document.getElementById('game');
const sandbox = query.get('sandbox') || 'none';
if (sandbox !== 'none') frame.setAttribute('sandbox', sandbox);
window.hostKeys = [];
document.addEventListener('keydown', (event) => window.hostKeys.push(event.key), true);
frame.src = query.get('game');
