#!/usr/bin/env python3
"""Serves a folder on 127.0.0.1 only, as a static host should serve the game.

- A file with a precompressed twin beside it (name.br, name.gz) is sent as the twin, with
  Content-Encoding, when the request accepts that encoding; Vary says so.
- Every answer carries an ETag made from the file's content and "Cache-Control: no-cache", so a
  browser may keep what it fetched but asks again each time; an unchanged file costs a 304.
  The tag comes from the content, not the time: the release zip gives every file the same
  fixed time, and a new release must never be taken for the old one.
- GET and HEAD only; nothing outside the folder is served.
- With --access-log, one line per answer: path, status, encoding, bytes of the body sent and
  the time it was sent in milliseconds since 1970 (for
  tools/web/measure.sh, which counts a visit's bytes as they crossed the wire).
Usage: serve.py FOLDER [--port N] [--port-file PATH] [--access-log PATH]   (port 0: a free one)
"""
import argparse
import hashlib
import http.server
import os
import posixpath
import sys
import time
import urllib.parse

TYPES = {
    '.html': 'text/html; charset=utf-8',
    '.js': 'text/javascript; charset=utf-8',
    '.mjs': 'text/javascript; charset=utf-8',
    '.css': 'text/css; charset=utf-8',
    '.wasm': 'application/wasm',
    '.data': 'application/octet-stream',
    '.json': 'application/json',
    '.webmanifest': 'application/manifest+json',
    '.svg': 'image/svg+xml',
    '.png': 'image/png',
    '.ogg': 'audio/ogg',
    '.wav': 'audio/wav',
    '.txt': 'text/plain; charset=utf-8',
    '.zip': 'application/zip',
}
ENCODINGS = (('br', '.br'), ('gzip', '.gz'))


class Handler(http.server.BaseHTTPRequestHandler):
    root = '.'
    tags = {}
    access_log = None
    protocol_version = 'HTTP/1.1'

    def log_message(self, fmt, *args):
        if os.environ.get('VAULTREACH_SERVE_LOG'):
            sys.stderr.write('%s %s\n' % (self.address_string(), fmt % args))

    def resolve(self):
        path = urllib.parse.unquote(urllib.parse.urlsplit(self.path).path)
        path = posixpath.normpath(path)
        parts = [part for part in path.split('/') if part and part not in ('.', '..')]
        full = os.path.join(self.root, *parts)
        if os.path.isdir(full):
            full = os.path.join(full, 'index.html')
        return full

    def note(self, status, encoding, sent):
        if self.access_log:
            with open(self.access_log, 'a') as out:
                out.write('%s %d %s %d %.1f\n' % (self.path, status, encoding or '-', sent,
                                                  time.time() * 1000))

    def tag(self, path):
        stat = os.stat(path)
        key = (path, stat.st_size, stat.st_mtime_ns)
        if key not in self.tags:
            with open(path, 'rb') as source:
                self.tags[key] = '"%s"' % hashlib.sha256(source.read()).hexdigest()[:24]
        return self.tags[key]

    def reply(self, status, headers, body, send_body, encoding=None):
        self.send_response(status)
        for name, value in headers:
            self.send_header(name, value)
        self.end_headers()
        if send_body:
            self.wfile.write(body)
        self.note(status, encoding, len(body) if send_body else 0)

    def answer(self, send_body):
        path = self.resolve()
        if not os.path.isfile(path):
            body = b'Not found\n'
            self.reply(404, [('Content-Type', 'text/plain; charset=utf-8'),
                             ('Content-Length', str(len(body)))], body, send_body)
            return
        kind = TYPES.get(os.path.splitext(path)[1], 'application/octet-stream')
        accepted = [item.split(';')[0].strip()
                    for item in self.headers.get('Accept-Encoding', '').split(',')]
        chosen, encoding = path, None
        for name, suffix in ENCODINGS:
            if name in accepted and os.path.isfile(path + suffix):
                chosen, encoding = path + suffix, name
                break
        etag = self.tag(chosen)
        if self.headers.get('If-None-Match') == etag:
            self.reply(304, [('ETag', etag), ('Cache-Control', 'no-cache'), ('Vary', 'Accept-Encoding')],
                       b'', False, encoding)
            return
        with open(chosen, 'rb') as source:
            body = source.read()
        self.reply(200, [('Content-Type', kind), ('Content-Length', str(len(body)))] +
                   ([('Content-Encoding', encoding)] if encoding else []) +
                   [('Vary', 'Accept-Encoding'), ('ETag', etag), ('Cache-Control', 'no-cache'),
                    ('X-Content-Type-Options', 'nosniff')], body, send_body, encoding)

    def do_GET(self):
        self.answer(True)

    def do_HEAD(self):
        self.answer(False)


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument('folder')
    parser.add_argument('--port', type=int, default=8080)
    parser.add_argument('--port-file')
    parser.add_argument('--access-log')
    options = parser.parse_args()
    Handler.root = os.path.abspath(options.folder)
    Handler.access_log = options.access_log
    server = http.server.ThreadingHTTPServer(('127.0.0.1', options.port), Handler)
    server.daemon_threads = True
    port = server.server_address[1]
    if options.port_file:
        with open(options.port_file + '.tmp', 'w') as out:
            out.write('%d\n' % port)
        os.replace(options.port_file + '.tmp', options.port_file)
    print('Serving %s at http://127.0.0.1:%d/ (Ctrl-C stops)' % (Handler.root, port), flush=True)
    try:
        server.serve_forever()
    except KeyboardInterrupt:
        pass
    finally:
        server.server_close()


if __name__ == '__main__':
    main()
