#!/usr/bin/env python3
"""The demo update server: serves a directory over HTTP on 127.0.0.1, the way the vendor's web
server publishes ORVANWIN/orvan_akt.ini and ORVANWIN/FILES/<package>. The package files are
sent at a measured pace, in about a hundred pieces over SECONDS_PER_FILE seconds, so that the
update dialog's progress gauge has something to show.

    server.py ROOT PORT_FILE [SECONDS_PER_FILE]

Listens on an ephemeral port, writes the port number into PORT_FILE once it listens, and
serves until it is terminated."""
import http.server
import os
import sys
import time

ROOT, PORT_FILE = sys.argv[1], sys.argv[2]
SECONDS = float(sys.argv[3]) if len(sys.argv) > 3 else 4.0


class Handler(http.server.SimpleHTTPRequestHandler):
    def __init__(self, *args, **kwargs):
        super().__init__(*args, directory=ROOT, **kwargs)

    def copyfile(self, source, outputfile):
        size = os.fstat(source.fileno()).st_size
        measured = "/FILES/" in self.path and SECONDS > 0
        piece = min(max(size // 100, 1024), 256 * 1024) if measured else 64 * 1024
        pause = SECONDS * piece / max(size, 1) if measured else 0.0
        while True:
            chunk = source.read(piece)
            if not chunk:
                break
            outputfile.write(chunk)
            if pause:
                outputfile.flush()
                time.sleep(pause)

    def log_message(self, format, *args):
        sys.stderr.write("demo server: %s\n" % (format % args))


server = http.server.ThreadingHTTPServer(("127.0.0.1", 0), Handler)
with open(PORT_FILE + ".part", "w") as f:
    f.write("%d\n" % server.server_address[1])
os.replace(PORT_FILE + ".part", PORT_FILE)
try:
    server.serve_forever()
except KeyboardInterrupt:
    pass
