#!/usr/bin/env python3
"""A headless Chromium driven through chromedriver's WebDriver protocol, for the browser test.

  browser_view.py FOLDER

FOLDER (made when missing) takes the browser's profile, home and chromedriver's output; every
browser process carries its name on its command line, so that a caller can find any that
outlive this program. Reads one command a line on standard input and answers each with one
line on standard output, "ok" or "ok TEXT" when it worked, "fail TEXT" when it did not:

  open URL            loads URL and waits until img#chart shows its picture
  shot FILE           writes a screenshot of img#chart to FILE (PNG), after checking that the
                      picture stands at (0, 0) at its own size on a page of scale 1
  mark                puts a marker on the page's window object
  marked              "ok yes" while the marker is there (the page has not been loaded again)
  src                 the src attribute of img#chart
  wait-src OLD SECS   waits up to SECS seconds until the src differs from OLD and the new picture
                      is loaded and painted; answers the new src
  console             the error entries of the browser console since the start, "|" between
                      them ("ok" alone when there is none)
  error TEXT          logs TEXT as an error on the page's console (to see that `console` tells)

At the end of the input the browser session and chromedriver end; FOLDER stays. Everything the
browser logs goes to standard error as well.
"""

import base64
import json
import os
import subprocess
import sys
import time
import urllib.error
import urllib.request

CHROMEDRIVER = "/usr/bin/chromedriver"
# The browser itself rather than Debian's launcher script, which adds flags of its own.
BROWSER_CANDIDATES = ["/usr/lib/chromium/chromium", "/usr/bin/chromium"]
ELEMENT_KEY = "element-6066-11e4-a52e-4f735466cecf"

# Waits until the picture is decoded and two frames have been painted with it.
PAINTED_SCRIPT = """
const done = arguments[arguments.length - 1];
const chart = document.getElementById('chart');
if (chart === null) { done('no img#chart'); return; }
chart.decode().then(
  () => requestAnimationFrame(() => requestAnimationFrame(() => done(''))),
  (problem) => done('the picture does not decode: ' + problem));
"""

CHART_STATE_SCRIPT = """
const chart = document.getElementById('chart');
if (chart === null) return null;
const box = chart.getBoundingClientRect();
return {src: chart.getAttribute('src'), complete: chart.complete,
        naturalWidth: chart.naturalWidth, naturalHeight: chart.naturalHeight,
        left: box.left, top: box.top, width: box.width, height: box.height,
        viewWidth: window.innerWidth, viewHeight: window.innerHeight,
        scale: window.devicePixelRatio, ready: document.readyState};
"""


class Failure(Exception):
    pass


class Browser:
    def __init__(self, folder):
        self.folder = os.path.abspath(folder)
        self.driver = None
        self.session = None
        self.errors = []

    def start(self):
        os.makedirs(self.folder, exist_ok=True)
        # The browser's own files (its crash reports among them) stay in the folder too.
        environment = dict(os.environ, HOME=self.folder,
                           XDG_CONFIG_HOME=os.path.join(self.folder, "config"),
                           XDG_CACHE_HOME=os.path.join(self.folder, "cache"))
        environment.pop("DISPLAY", None)
        driver_output = open(os.path.join(self.folder, "chromedriver.out"), "w+")
        self.driver = subprocess.Popen([CHROMEDRIVER, "--port=0"], stdout=driver_output,
                                       stderr=subprocess.STDOUT, stdin=subprocess.DEVNULL,
                                       env=environment)
        self.base = "http://127.0.0.1:%d" % self._driver_port(driver_output)
        browser = next((path for path in BROWSER_CANDIDATES if os.access(path, os.X_OK)), None)
        if browser is None:
            raise Failure("no chromium in " + ", ".join(BROWSER_CANDIDATES))
        arguments = [
            "--headless", "--no-sandbox", "--disable-gpu", "--disable-quic", "--no-first-run",
            "--disable-background-networking", "--disable-component-update", "--disable-sync",
            "--user-data-dir=" + os.path.join(self.folder, "profile"),
            "--window-size=1024,768", "--force-device-scale-factor=1", "--hide-scrollbars",
        ]
        capabilities = {
            "browserName": "chrome",
            "goog:chromeOptions": {"binary": browser, "args": arguments},
            "goog:loggingPrefs": {"browser": "ALL"},
        }
        value = self._call("POST", "/session", {"capabilities": {"alwaysMatch": capabilities}}, 60)
        self.session = "/session/" + value["sessionId"]

    def _driver_port(self, output):
        deadline = time.monotonic() + 20
        marker = "started successfully on port "
        while time.monotonic() < deadline:
            output.seek(0)
            text = output.read()
            at = text.find(marker)
            if at >= 0 and "." in text[at + len(marker):]:
                return int(text[at + len(marker):].split(".")[0])
            if self.driver.poll() is not None:
                raise Failure("chromedriver ended: " + text.strip())
            time.sleep(0.05)
        raise Failure("chromedriver did not say its port within 20 s")

    def _call(self, method, path, body=None, timeout=30):
        data = None if body is None else json.dumps(body).encode()
        request = urllib.request.Request(self.base + path, data=data, method=method,
                                         headers={"Content-Type": "application/json"})
        try:
            with urllib.request.urlopen(request, timeout=timeout) as answer:
                reply = json.load(answer)
        except urllib.error.HTTPError as error:
            reply = json.load(error)
        value = reply.get("value")
        if isinstance(value, dict) and "error" in value:
            raise Failure("%s %s: %s: %s" % (method, path, value["error"],
                                             value.get("message", "").splitlines()[0]))
        return value

    def _session_call(self, method, path, body=None, timeout=30):
        return self._call(method, self.session + path, body, timeout)

    def _run(self, script, *arguments):
        return self._session_call("POST", "/execute/sync", {"script": script, "args": list(arguments)})

    def _chart(self):
        state = self._run(CHART_STATE_SCRIPT)
        if state is None:
            raise Failure("the page has no img#chart")
        return state

    def _wait_painted(self):
        problem = self._session_call("POST", "/execute/async",
                                     {"script": PAINTED_SCRIPT, "args": []})
        if problem:
            raise Failure(problem)

    def open(self, url):
        self._session_call("POST", "/timeouts", {"script": 20000, "pageLoad": 20000})
        self._session_call("POST", "/url", {"url": url}, 40)
        deadline = time.monotonic() + 20
        while True:
            state = self._chart()
            if state["ready"] == "complete" and state["complete"] and state["naturalWidth"] > 0:
                break
            if time.monotonic() > deadline:
                raise Failure("the chart did not load: " + json.dumps(state))
            time.sleep(0.1)
        self._wait_painted()
        return state["src"]

    def shot(self, path):
        state = self._chart()
        place = [state[key] for key in ("left", "top", "width", "height", "naturalWidth",
                                        "naturalHeight", "scale")]
        whole = state["viewWidth"] >= 640 and state["viewHeight"] >= 480
        if place != [0, 0, 640, 480, 640, 480, 1] or not whole:
            raise Failure("the picture does not stand whole at (0, 0) at 640x480, scale 1: " +
                          json.dumps(state))
        found = self._session_call("POST", "/element", {"using": "css selector", "value": "#chart"})
        png = self._session_call("GET", "/element/%s/screenshot" % found[ELEMENT_KEY])
        with open(path, "wb") as out:
            out.write(base64.b64decode(png))
        return ""

    def mark(self):
        self._run("window.ferlangViewMark = 'still the same page';")
        return ""

    def marked(self):
        return "yes" if self._run("return window.ferlangViewMark === 'still the same page';") else "no"

    def src(self):
        return self._chart()["src"]

    def wait_src(self, old, seconds):
        deadline = time.monotonic() + float(seconds)
        while True:
            state = self._chart()
            if state["src"] != old and state["complete"] and state["naturalWidth"] > 0:
                break
            if time.monotonic() > deadline:
                raise Failure("the picture did not change within %s s: %s"
                              % (seconds, json.dumps(state)))
            time.sleep(0.1)
        self._wait_painted()
        return state["src"]

    def console(self):
        for entry in self._session_call("POST", "/se/log", {"type": "browser"}):
            line = "%s %s" % (entry.get("level"), entry.get("message"))
            print("browser console: " + line, file=sys.stderr, flush=True)
            if entry.get("level") == "SEVERE":
                self.errors.append(line.replace("|", "/"))
        return " | ".join(self.errors)

    def error(self, text):
        self._run("console.error(arguments[0]);", text)
        return ""

    def close(self):
        if self.session is not None:
            try:
                self._session_call("DELETE", "", None, 20)
            except (Failure, OSError) as problem:
                print("browser_view: ending the session: %s" % problem, file=sys.stderr)
        if self.driver is not None:
            self.driver.terminate()
            try:
                self.driver.wait(10)
            except subprocess.TimeoutExpired:
                self.driver.kill()
                self.driver.wait()


def answer(browser, line):
    words = line.split()
    if not words:
        raise Failure("empty command")
    command, arguments = words[0], words[1:]
    commands = {
        "open": (browser.open, 1), "shot": (browser.shot, 1), "mark": (browser.mark, 0),
        "marked": (browser.marked, 0), "src": (browser.src, 0), "wait-src": (browser.wait_src, 2),
        "console": (browser.console, 0),
    }
    if command == "error":
        return browser.error(line[len("error"):].strip())
    if command not in commands or len(arguments) != commands[command][1]:
        raise Failure("unknown command: " + line)
    return commands[command][0](*arguments)


def main():
    if len(sys.argv) != 2:
        print("usage: browser_view.py FOLDER", file=sys.stderr)
        return 2
    browser = Browser(sys.argv[1])
    try:
        browser.start()
        print("ok", flush=True)
        for line in sys.stdin:
            try:
                text = answer(browser, line.strip())
                print("ok " + text if text else "ok", flush=True)
            except (Failure, OSError, ValueError, KeyError, TypeError) as problem:
                print("fail %s" % str(problem).replace("\n", " "), flush=True)
    except (Failure, OSError) as problem:
        print("fail %s" % str(problem).replace("\n", " "), flush=True)
        return 1
    finally:
        browser.close()
    return 0


if __name__ == "__main__":
    sys.exit(main())
