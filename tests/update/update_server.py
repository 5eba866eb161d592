#!/usr/bin/env python3
"""A small update server for the tests: serves ROOT over HTTP or HTTPS on 127.0.0.1,
logs every request to LOG, and can stall, cut a file short or redirect.
Prints its port and process id on standard output once it listens."""
import argparse
import http.server
import os
import socket
import ssl
import subprocess
import sys
import threading

parser = argparse.ArgumentParser()
parser.add_argument("root")
parser.add_argument("log")
parser.add_argument("--tls", metavar="CERTDIR", help="serve HTTPS with a new certificate made there")
parser.add_argument("--stall", action="store_true", help="accept connections and never answer")
parser.add_argument("--cut", metavar="NAME", help="send only half of this file, then close")
parser.add_argument("--redirect", metavar="URL", help="redirect /moved/X to URL + X")
args = parser.parse_args()


class Handler(http.server.SimpleHTTPRequestHandler):
    def __init__(self, *a, **kw):
        super().__init__(*a, directory=args.root, **kw)

    def log_message(self, *a):
        pass

    def do_GET(self):
        with open(args.log, "a") as log:
            log.write("%s\t%s\t%s\n" % (self.path, self.headers.get("User-Agent", ""),
                                        self.headers.get("Cache-Control", "")))
        if args.redirect and self.path.startswith("/moved/"):
            self.send_response(302)
            self.send_header("Location", args.redirect + self.path[len("/moved/"):])
            self.send_header("Content-Length", "0")
            self.end_headers()
            return
        if args.cut and self.path.endswith("/" + args.cut):
            with open(self.translate_path(self.path), "rb") as f:
                data = f.read()
            self.send_response(200)
            self.send_header("Content-Length", str(len(data) * 2))
            self.end_headers()
            self.wfile.write(data)
            self.wfile.flush()
            self.close_connection = True
            return
        super().do_GET()


if args.stall:
    listener = socket.socket()
    listener.bind(("127.0.0.1", 0))
    listener.listen(16)
    print(listener.getsockname()[1], os.getpid(), flush=True)
    held = []
    while True:
        held.append(listener.accept()[0])

server = http.server.ThreadingHTTPServer(("127.0.0.1", 0), Handler)
if args.tls:
    cert = os.path.join(args.tls, "cert.pem")
    key = os.path.join(args.tls, "key.pem")
    subprocess.run(["openssl", "req", "-x509", "-newkey", "ec", "-pkeyopt",
                    "ec_paramgen_curve:prime256v1", "-nodes", "-keyout", key, "-out", cert,
                    "-days", "2", "-subj", "/CN=127.0.0.1",
                    "-addext", "subjectAltName=IP:127.0.0.1,DNS:localhost"],
                   check=True, capture_output=True)
    context = ssl.SSLContext(ssl.PROTOCOL_TLS_SERVER)
    context.load_cert_chain(cert, key)
    server.socket = context.wrap_socket(server.socket, server_side=True)
print(server.server_address[1], os.getpid(), flush=True)
server.serve_forever()
