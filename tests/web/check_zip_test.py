#!/usr/bin/env python3
"""The zip check refuses each way a zip can break a host's rules, and takes a good one."""
import os
import sys
import tempfile
import unittest
import zipfile

# The check itself is the build's (tools/web/build.sh runs it on every zip it makes).
HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, os.path.join(HERE, '..', '..', 'tools', 'web'))
import check_zip  # noqa: E402

GOOD = {
    'index.html': '<link rel="stylesheet" href="style.css"><script src="vaultreach-page.js"></script>',
    'style.css': 'body { background: url("icon.svg"); }',
    'manifest.webmanifest': '{"start_url": "./", "icons": [{"src": "icon.svg"}]}',
    'icon.svg': '<svg/>',
}
SMALL = {'files': 5, 'path': 30, 'unpacked': 900, 'file': 400}


class ZipCheck(unittest.TestCase):
    def found(self, changes):
        members = {**GOOD, **changes}
        with tempfile.TemporaryDirectory() as folder:
            path = os.path.join(folder, 'site.zip')
            with zipfile.ZipFile(path, 'w') as archive:
                for name, text in members.items():
                    if text is not None:
                        archive.writestr(name, text)
            return check_zip.problems(path, SMALL)[1]

    def test_a_good_zip_passes(self):
        self.assertEqual(self.found({}), [])

    def test_each_broken_rule_is_reported(self):
        cases = [
            ({'index.html': None, 'vaultreach/index.html': GOOD['index.html']}, 'not at the zip\'s root'),
            ({'a': '', 'b': ''}, '6 files, more than 5'),
            ({'x' * 31: ''}, 'a path of 31 characters'),
            ({'a': 'x' * 400, 'icon.svg': 'x' * 400}, 'bytes unpacked, more than 900'),
            ({'a': 'x' * 401}, 'a has 401 bytes'),
            ({'index.html': '<script src="/vaultreach.js"></script>'}, 'index.html: /vaultreach.js'),
            ({'index.html': '<img srcset="a.png 1x, https://cdn.example/b.png 2x">'},
             'index.html: https://cdn.example/b.png'),
            ({'style.css': 'a { background: url(//cdn.example/x.png) }'}, 'style.css: //cdn.example'),
            ({'manifest.webmanifest': '{"start_url": "/vaultreach/"}'}, 'manifest.webmanifest: /vaultreach/'),
        ]
        for changes, expected in cases:
            with self.subTest(expected=expected):
                found = self.found(changes)
                self.assertTrue(any(expected in line for line in found), found)


if __name__ == '__main__':
    unittest.main()
