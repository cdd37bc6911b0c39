"""Opens the built reference site in headless Chromium, as a reader would.

    check_site.py <site dir> <output dir>

The site is served on the loopback address and every page is loaded in
Debian's `chromium`, driven through its DevTools protocol. The check fails
when a page logs a console error or throws, when an internal link points at
a page or anchor that does not exist, when the API reference lacks the
anchor of a public name of kelvane or kelvane_arrays, or when the
screenshot of the index (saved in the output dir) is blank: every pixel one
colour.
"""
import base64
import functools
import http.server
import io
import json
import shutil
import subprocess
import sys
import tempfile
import threading
import time
import urllib.parse
import urllib.request
from pathlib import Path
from typing import Any

import websocket
from PIL import Image

BROWSERS = ("chromium", "chromium-browser")
LOAD_SECONDS = 30


def public_anchors() -> list[str]:
    """The anchor the API page must have for every public name: the
    modules, their functions and classes, and the classes' members."""
    import kelvane
    import kelvane_arrays
    anchors = []
    for module in (kelvane, kelvane_arrays):
        anchors.append(module.__name__)
        for name in module.__all__:
            anchors.append(f"{module.__name__}.{name}")
            value = getattr(module, name)
            if isinstance(value, type):
                anchors += [f"{module.__name__}.{name}.{member}" for member in vars(value)
                            if not member.startswith("_")]
    return anchors


class Browser:
    """One headless Chromium tab, driven over the DevTools protocol."""

    def __init__(self, profile: Path) -> None:
        exe = next((shutil.which(name) for name in BROWSERS if shutil.which(name)), None)
        if exe is None:
            sys.exit("check_site: no chromium found (tools/system-packages.txt installs it)")
        self.process = subprocess.Popen(
            [exe, "--headless", "--no-sandbox", "--disable-gpu", "--no-first-run", "--hide-scrollbars",
             "--window-size=1280,900", "--remote-debugging-address=127.0.0.1", "--remote-debugging-port=0",
             f"--user-data-dir={profile}", "about:blank"],
            stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        port_file = profile / "DevToolsActivePort"
        deadline = time.monotonic() + LOAD_SECONDS
        while not port_file.exists() or not port_file.read_text().strip():
            if time.monotonic() > deadline or self.process.poll() is not None:
                self.close()
                sys.exit("check_site: chromium did not start")
            time.sleep(0.1)
        port = port_file.read_text().split()[0]
        with urllib.request.urlopen(f"http://127.0.0.1:{port}/json/list", timeout=LOAD_SECONDS) as answer:
            tab = next(t for t in json.load(answer) if t["type"] == "page")
        self.socket = websocket.create_connection(tab["webSocketDebuggerUrl"], timeout=LOAD_SECONDS)
        self.next_id = 0
        self.events: list[dict[str, Any]] = []
        for domain in ("Page", "Runtime", "Log"):
            self.call(f"{domain}.enable")

    def call(self, method: str, **params: Any) -> dict[str, Any]:
        self.next_id += 1
        self.socket.send(json.dumps({"id": self.next_id, "method": method, "params": params}))
        while True:
            message = json.loads(self.socket.recv())
            if message.get("id") == self.next_id:
                if "error" in message:
                    raise RuntimeError(f"{method}: {message['error']}")
                return message.get("result", {})
            self.events.append(message)

    def open(self, url: str) -> list[str]:
        """Loads `url` and returns the errors it logged while loading."""
        self.events.clear()
        self.call("Page.navigate", url=url)
        deadline = time.monotonic() + LOAD_SECONDS
        while not any(e.get("method") == "Page.loadEventFired" for e in self.events):
            if time.monotonic() > deadline:
                return [f"{url}: not loaded within {LOAD_SECONDS} s"]
            self.events.append(json.loads(self.socket.recv()))
        time.sleep(0.3)  # scripts that run after the load event get their turn
        self.call("Runtime.evaluate", expression="0")
        return [f"{url}: {describe(e)}" for e in self.events if is_error(e)]

    def evaluate(self, expression: str) -> Any:
        return self.call("Runtime.evaluate", expression=expression, returnByValue=True)["result"]["value"]

    def screenshot(self) -> bytes:
        return base64.b64decode(self.call("Page.captureScreenshot", format="png")["data"])

    def close(self) -> None:
        if hasattr(self, "socket"):
            self.socket.close()
        self.process.terminate()
        self.process.wait(timeout=LOAD_SECONDS)


def is_error(event: dict[str, Any]) -> bool:
    method, params = event.get("method"), event.get("params", {})
    return (method == "Runtime.exceptionThrown"
            or (method == "Runtime.consoleAPICalled" and params.get("type") in ("error", "assert"))
            or (method == "Log.entryAdded" and params.get("entry", {}).get("level") == "error"))


def describe(event: dict[str, Any]) -> str:
    params = event["params"]
    if event["method"] == "Runtime.exceptionThrown":
        return f"uncaught: {params['exceptionDetails'].get('exception', {}).get('description', params)}"
    if event["method"] == "Runtime.consoleAPICalled":
        return "console error: " + " ".join(str(a.get("value", a.get("description"))) for a in params["args"])
    entry = params["entry"]
    return f"{entry.get('source')} error: {entry.get('text')} {entry.get('url', '')}"


def serve(site: Path) -> tuple[http.server.ThreadingHTTPServer, str]:
    class Quiet(http.server.SimpleHTTPRequestHandler):
        def log_message(self, *args: Any) -> None:
            pass
    server = http.server.ThreadingHTTPServer(("127.0.0.1", 0), functools.partial(Quiet, directory=str(site)))
    threading.Thread(target=server.serve_forever, daemon=True).start()
    return server, f"http://127.0.0.1:{server.server_address[1]}/"


def is_blank(png: bytes) -> bool:
    extrema = Image.open(io.BytesIO(png)).convert("RGB").getextrema()
    return all(low == high for low, high in extrema)


def main() -> int:
    site, out = Path(sys.argv[1]).resolve(), Path(sys.argv[2]).resolve()
    out.mkdir(parents=True, exist_ok=True)
    pages = sorted(str(p.relative_to(site)) for p in site.rglob("*.html") if p.name != "404.html")
    server, root = serve(site)
    problems: list[str] = []
    anchors: dict[str, set[str]] = {}
    links: dict[str, list[str]] = {}
    with tempfile.TemporaryDirectory() as profile:
        browser = Browser(Path(profile))
        try:
            for page in pages:
                problems += browser.open(root + page)
                anchors[page] = set(browser.evaluate("[...document.querySelectorAll('[id]')].map(e => e.id)"))
                links[page] = browser.evaluate("[...document.querySelectorAll('a[href]')].map(a => a.href)")
                if page == "index.html":
                    png = browser.screenshot()
                    (out / "index.png").write_bytes(png)
                    if is_blank(png):
                        problems.append(f"index.html: the screenshot {out / 'index.png'} is one colour")
        finally:
            browser.close()
            server.shutdown()
    for page, hrefs in links.items():
        for href in hrefs:
            if not href.startswith(root):
                continue
            target = urllib.parse.urlsplit(href[len(root):])
            path = urllib.parse.unquote(target.path) or "index.html"
            if path.endswith("/"):
                path += "index.html"
            if not (site / path).exists():
                problems.append(f"{page}: a link to {href}, which does not exist")
            elif target.fragment and path in anchors and urllib.parse.unquote(target.fragment) not in anchors[path]:
                problems.append(f"{page}: a link to {href}, whose page has no anchor #{target.fragment}")
    missing = [name for name in public_anchors() if name not in anchors.get("reference.html", set())]
    if missing:
        problems.append(f"reference.html: no anchor for {', '.join(missing)}")
    for problem in problems:
        print(problem)
    print(f"check_site: {len(pages)} pages opened in chromium, {sum(map(len, links.values()))} links followed, "
          f"{len(public_anchors())} public names anchored; screenshot {out / 'index.png'}: "
          + ("FAILED" if problems else "ok"))
    return 1 if problems else 0


if __name__ == "__main__":
    sys.exit(main())
