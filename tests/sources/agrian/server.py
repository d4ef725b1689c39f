#!/usr/bin/env python3
"""A local HTTPS server for the Agrian tests: serves fixed answers by path
and records each request (line and headers) as one JSON line.
With --dead PORTFILE LOG: a server that accepts connections and never
answers (not even the TLS handshake), one line in LOG per connection."""
import http.server
import json
import os
import socket
import ssl
import sys
import time
import urllib.parse

if sys.argv[1] == "--dead":
    listener = socket.socket()
    listener.bind(("127.0.0.1", 0))
    listener.listen(64)
    with open(sys.argv[2], "w") as f:
        f.write(str(listener.getsockname()[1]))
    held = []
    listener.settimeout(1)
    deadline = time.time() + float(os.environ.get("AGRIAN_SERVER_SECONDS", "120"))
    while time.time() < deadline:
        try:
            conn, _ = listener.accept()
        except socket.timeout:
            continue
        held.append(conn)
        with open(sys.argv[3], "a") as f:
            f.write("accepted\n")
    sys.exit(0)

port_file, cert, key, log = sys.argv[1:5]


class Handler(http.server.BaseHTTPRequestHandler):
    protocol_version = "HTTP/1.1"
    disable_nagle_algorithm = True  # headers and body go as separate writes

    def log_message(self, *args):
        pass

    def answer(self, status, body=b"", extra=()):
        self.send_response(status)
        for name, value in extra:
            self.send_header(name, value)
        self.send_header("Content-Length", str(len(body)))
        self.end_headers()
        self.wfile.write(body)

    def do_GET(self):
        with open(log, "a") as f:
            f.write(json.dumps({"line": self.requestline,
                                "headers": [[k, v] for k, v in self.headers.items()],
                                "client": self.client_address[1]}) + "\n")
        path = self.path.split("?")[0]
        if path == "/status500":
            self.answer(500)
        elif path == "/redirect":
            self.answer(302, extra=[("Location", "/ok")])
        elif path == "/cookie":
            self.answer(200, b"cookie set", [("Set-Cookie", "session=abc123; Path=/")])
        elif path.endswith("/agrian_products.cfc") and "get_regulatory_data_v2" in self.path:
            product = urllib.parse.unquote(self.path.split("product_id=")[1].split("&")[0])
            name = os.path.join(os.environ["AGRIAN_REGULATORY"], product + ".xml")
            if os.path.exists(name):
                with open(name, "rb") as f:
                    self.answer(200, f.read())
            else:
                self.answer(404)
        elif path.endswith("/agrian_products.cfc"):
            with open(os.environ["AGRIAN_CHANGES"], "rb") as f:
                self.answer(200, f.read())
        elif path == "/trickle":  # 2 bytes a second, forever as far as a client knows
            self.send_response(200)
            self.send_header("Content-Length", "1000")
            self.end_headers()
            try:
                for _ in range(60):
                    self.wfile.write(b"ab")
                    self.wfile.flush()
                    time.sleep(1)
            except OSError:
                pass
        elif path == "/slow":
            time.sleep(4)
            self.answer(200, b"late")
        else:
            self.answer(200, self.path.encode("latin-1"))


class Server(http.server.ThreadingHTTPServer):
    def handle_error(self, request, client_address):
        pass  # a client that gave up (the time-out tests) is expected


server = Server(("127.0.0.1", 0), Handler)
context = ssl.SSLContext(ssl.PROTOCOL_TLS_SERVER)
context.load_cert_chain(cert, key)
server.socket = context.wrap_socket(server.socket, server_side=True)
with open(port_file, "w") as f:
    f.write(str(server.server_address[1]))
deadline = time.time() + float(os.environ.get("AGRIAN_SERVER_SECONDS", "120"))  # ends by itself
server.timeout = 1
while time.time() < deadline:
    server.handle_request()
