#!/usr/bin/env python3
"""The demo update server: serves a directory over HTTP on 127.0.0.1, the way the vendor's web
server publishes ORVANWIN/orvan_akt.ini and ORVANWIN/FILES/<package>. Big files are sent at a
measured pace, so that the update dialog's progress gauge has something to show.

    server.py ROOT PORT_FILE [SECONDS_PER_BIG_FILE]

Listens on an ephemeral port, writes the port number into PORT_FILE once it listens, and
serves until it is terminated."""
import http.server
import os
import sys
import time

ROOT, PORT_FILE = sys.argv[1], sys.argv[2]
SECONDS = float(sys.argv[3]) if len(sys.argv) > 3 else 4.0
BIG = 256 * 1024
CHUNK = 32 * 1024


class Handler(http.server.SimpleHTTPRequestHandler):
    def __init__(self, *args, **kwargs):
        super().__init__(*args, directory=ROOT, **kwargs)

    def copyfile(self, source, outputfile):
        size = os.fstat(source.fileno()).st_size
        pause = SECONDS * CHUNK / size if size >= BIG else 0.0
        while True:
            chunk = source.read(CHUNK)
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
