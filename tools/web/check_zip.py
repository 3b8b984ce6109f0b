#!/usr/bin/env python3
"""Fails when the browser zip is not one a game host takes as it is.

A host such as itch.io plays an uploaded zip when index.html is at its root, and refuses one
with more than 1,000 files, a path longer than 240 characters, more than 500 MB unpacked or a
file over 200 MB. The page must also load everything through relative URLs, since a host
serves it from a folder of its own: no address in index.html, the manifest or the style sheet
may start with "/" or name a scheme or a host.

Prints one line with the zip's figures (files, largest path, bytes unpacked, largest file) and
one line per problem; exits 1 when there is any.
Usage: check_zip.py ZIP
"""
import json
import re
import sys
import zipfile
from html.parser import HTMLParser

LIMITS = {'files': 1000, 'path': 240, 'unpacked': 500 * 1000 * 1000, 'file': 200 * 1000 * 1000}
URL_ATTRIBUTES = ('src', 'href', 'poster', 'data', 'action', 'formaction')


def absolute(url):
    url = url.strip()
    return url.startswith('/') or re.match(r'^[A-Za-z][A-Za-z0-9+.-]*:', url) is not None


class Addresses(HTMLParser):
    def __init__(self):
        super().__init__()
        self.found = []

    def handle_starttag(self, tag, attrs):
        for name, value in attrs:
            if name in URL_ATTRIBUTES and value:
                self.found.append(value)
            elif name == 'srcset' and value:
                self.found += [part.split()[0] for part in value.split(',') if part.strip()]


def absolute_addresses(archive, names):
    """The addresses of the page's own files that are not relative, as 'file: address'."""
    found = []
    if 'index.html' in names:
        parser = Addresses()
        parser.feed(archive.read('index.html').decode('utf-8'))
        found += ['index.html: ' + url for url in parser.found if absolute(url)]
    for name in names:
        if name.endswith('.webmanifest'):
            manifest = json.loads(archive.read(name).decode('utf-8'))
            urls = [manifest.get(key) for key in ('start_url', 'scope', 'id')]
            urls += [icon.get('src') for icon in manifest.get('icons', [])]
            found += ['%s: %s' % (name, url) for url in urls if url and absolute(url)]
        elif name.endswith('.css'):
            for url in re.findall(r'url\(\s*[\'"]?([^\'")]+)', archive.read(name).decode('utf-8')):
                if absolute(url) and not url.startswith('data:'):
                    found.append('%s: %s' % (name, url))
    return found


def problems(path, limits=LIMITS):
    """(figures line, [problem lines]) for the zip at path."""
    with zipfile.ZipFile(path) as archive:
        members = [info for info in archive.infolist() if not info.is_dir()]
        names = [info.filename for info in members]
        longest = max(names, key=len, default='')
        largest = max(members, key=lambda info: info.file_size, default=None)
        unpacked = sum(info.file_size for info in members)
        figures = ('%s: %d files, largest path %s (%d characters), %d bytes unpacked, '
                   'largest file %s (%d bytes)' %
                   (path, len(members), longest, len(longest), unpacked,
                    largest.filename if largest else '-', largest.file_size if largest else 0))
        found = []
        if 'index.html' not in names:
            inside = [name for name in names if name.endswith('/index.html')]
            found.append('index.html is not at the zip\'s root%s' %
                         (' (it is at %s)' % inside[0] if inside else ''))
        if len(members) > limits['files']:
            found.append('%d files, more than %d' % (len(members), limits['files']))
        found += ['a path of %d characters, more than %d: %s' % (len(name), limits['path'], name)
                  for name in names if len(name) > limits['path']]
        if unpacked > limits['unpacked']:
            found.append('%d bytes unpacked, more than %d' % (unpacked, limits['unpacked']))
        found += ['%s has %d bytes, more than %d' % (info.filename, info.file_size, limits['file'])
                  for info in members if info.file_size > limits['file']]
        found += ['an address that is not relative: ' + item
                  for item in absolute_addresses(archive, names)]
        return figures, found


def main():
    if len(sys.argv) != 2:
        sys.exit('usage: check_zip.py ZIP')
    figures, found = problems(sys.argv[1])
    print(figures)
    for problem in found:
        print('  ' + problem)
    sys.exit(1 if found else 0)


if __name__ == '__main__':
    main()
