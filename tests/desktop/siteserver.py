"""A loopback web server standing in for the maker's site and the search engine.

It serves a private copy of the project's site/ folder (tests may edit the
copy), answers "/" and every "folder/" with that folder's index.htm, answers
/search (the stand-in search engine) and /engine/ itself, and logs every
request path. The first form on the search page of the copy is pointed at
http://127.0.0.1:PORT/search so that a submitted query lands here.
"""

import html
import http.server
import os
import re
import shutil
import sys
import threading
import urllib.parse

SEARCH_PAGE = "search.htm"
_FORM_TAG = re.compile(rb"<form\b[^>]*>", re.IGNORECASE)
_ACTION = re.compile(rb"""\baction\s*=\s*("[^"]*"|'[^']*'|[^\s>]+)""", re.IGNORECASE)


def point_first_form_at(page_path, action):
    """Rewrites the action of the first <form> in page_path; False if it has no form."""
    with open(page_path, "rb") as f:
        page = f.read()
    tag = _FORM_TAG.search(page)
    if tag is None:
        return False
    quoted = b'"' + action.encode() + b'"'
    old = tag.group(0)
    new, count = _ACTION.subn(lambda _m: b"action=" + quoted, old, count=1)
    if count == 0:
        new = old[:5] + b" action=" + quoted + old[5:]
    with open(page_path, "wb") as f:
        f.write(page[:tag.start()] + new + page[tag.end():])
    return True


def trickle(start, release, interval=0.5):
    """A body for override(): `start`, then a space every `interval` seconds until the
    event `release` is set, so that the answer never finishes before that."""
    def write(out):
        out.write(start)
        while not release.wait(interval):
            out.write(b" ")
            out.flush()
    return write


class _Server(http.server.ThreadingHTTPServer):
    def handle_error(self, request, client_address):
        # A client that hangs up in the middle of an answer (a program killed or
        # timed out) is no error of the server's.
        if not isinstance(sys.exc_info()[1], ConnectionError):
            super().handle_error(request, client_address)


class SiteServer:
    def __init__(self, site_source, root):
        if not os.path.isdir(site_source):
            raise FileNotFoundError(f"no site folder at {site_source}")
        self.root = root
        shutil.copytree(site_source, root)
        self._lock = threading.Lock()
        self._requests = []
        self._overrides = {}
        self._running = False
        self._listen(0)
        self.port = self._httpd.server_address[1]
        self.url = f"http://127.0.0.1:{self.port}"
        self.search_url = f"{self.url}/search"
        self.engine_url = f"{self.url}/engine/"
        page = os.path.join(root, SEARCH_PAGE)
        self.search_page_rewritten = os.path.isfile(page) and point_first_form_at(page, self.search_url)
        self._serve()

    def _listen(self, port):
        self._httpd = _Server(("127.0.0.1", port), self._handler_class())
        self._httpd.daemon_threads = True

    def _serve(self):
        self._thread = threading.Thread(target=self._httpd.serve_forever, name="site-server", daemon=True)
        self._thread.start()
        self._running = True

    def requests(self):
        """Request paths (with their query) in arrival order."""
        with self._lock:
            return list(self._requests)

    def override(self, path, body, status=200, content_type="text/html; charset=utf-8", headers=()):
        """Answers `path` (without query) with the given bytes instead of a file, or,
        when body is a function, with what it writes to the connection (a stream, a
        trickle); headers are further (name, value) pairs. With status None nothing
        is sent but what the function writes."""
        with self._lock:
            self._overrides[path] = (status, content_type, body, tuple(headers))

    def clear_overrides(self):
        with self._lock:
            self._overrides.clear()

    def stop(self):
        """Closes the listening socket: later connections are refused."""
        if self._running:
            self._running = False
            self._httpd.shutdown()
            self._httpd.server_close()
            self._thread.join(5)

    def restart(self):
        """Listens again on the same port after stop(): the server is back up."""
        if not self._running:
            self._listen(self.port)
            self._serve()

    def _log(self, path):
        with self._lock:
            self._requests.append(path)

    def _override_for(self, path):
        with self._lock:
            return self._overrides.get(path)

    def _handler_class(self):
        server = self

        class Handler(http.server.SimpleHTTPRequestHandler):
            def __init__(self, *args, **kwargs):
                super().__init__(*args, directory=server.root, **kwargs)

            def log_message(self, *args):
                pass

            def do_HEAD(self):
                self._answer(head=True)

            def do_GET(self):
                self._answer(head=False)

            def do_POST(self):
                length = int(self.headers.get("Content-Length") or 0)
                self.rfile.read(min(length, 1 << 20))
                self._answer(head=False)

            def _answer(self, head):
                server._log(self.path)
                path = urllib.parse.urlsplit(self.path).path
                override = server._override_for(path)
                if override is not None:
                    status, content_type, body, headers = override
                    self._send(status, content_type, body, head, headers)
                elif path == "/search":
                    query = urllib.parse.parse_qs(urllib.parse.urlsplit(self.path).query).get("q", [""])[0]
                    body = f"<html><body><h1>Results for {html.escape(query)}</h1></body></html>"
                    self._send(200, "text/html; charset=utf-8", body.encode(), head)
                elif path.startswith("/engine/"):
                    body = b"<html><body><form action=\"/search\"><input name=\"q\"></form></body></html>"
                    self._send(200, "text/html; charset=utf-8", body, head)
                else:
                    if path.endswith("/"):
                        self.path = path + "index.htm"
                    if head:
                        super().do_HEAD()
                    else:
                        super().do_GET()

            def _send(self, status, content_type, body, head, headers=()):
                if status is None:
                    body(self.wfile)
                    return
                self.send_response(status)
                self.send_header("Content-Type", content_type)
                for name, value in headers:
                    self.send_header(name, value)
                if not callable(body):
                    self.send_header("Content-Length", str(len(body)))
                self.end_headers()
                if head:
                    return
                if callable(body):
                    body(self.wfile)   # the connection closes when it returns
                else:
                    self.wfile.write(body)

        return Handler
