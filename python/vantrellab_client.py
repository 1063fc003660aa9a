"""Client of the VantrelLab automation interface, standard library only.

The running program (``VantrelLab --automation`` or ``VantrelLab --headless``) listens on
127.0.0.1 and writes its port, its process id and a fresh token to ``automation-PORT.json`` in
its configuration folder (``$XDG_CONFIG_HOME/VantrelLab`` or ``~/.config/VantrelLab``), readable
by the user alone; each running program has its own file. Without a port or a file the client
takes the newest file of a program that is still running.
Each request is one JSON object on one line::

    {"id": 1, "token": "...", "call": "readings", "args": {"address": 3}}

and each reply one line: ``{"id": 1, "ok": true, "result": {...}}`` or
``{"id": 1, "ok": false, "error": {"code": "out-of-range", "message": "..."}}``.

Values are in the modules' own units: amperes, volts, seconds. Example::

    from vantrellab_client import Client
    with Client() as lab:
        for module in lab.modules():
            print(module["address"], module["type"], lab.readings(module["address"]).get("cps"))
"""

import glob
import json
import os
import socket
import time

TOKEN_FILE_PATTERN = "automation-*.json"


class AutomationError(Exception):
    """The program refused a call; ``code`` is short and stable, the message says why."""

    def __init__(self, code, message):
        super().__init__("%s: %s" % (code, message))
        self.code = code
        self.message = message


def token_folder():
    """Where the program writes its port and token for the current user."""
    config = os.environ.get("XDG_CONFIG_HOME") or os.path.join(os.path.expanduser("~"), ".config")
    return os.path.join(config, "VantrelLab")


def _read(path):
    with open(path, encoding="utf-8") as file:
        contents = json.load(file)
    return int(contents["port"]), str(contents["token"]), contents.get("pid")


def _running(pid):
    if not isinstance(pid, int) or pid <= 0:
        return False
    try:
        os.kill(pid, 0)
    except ProcessLookupError:
        return False
    except PermissionError:
        pass  # someone else's process holds that id now; the file is not stale by this test
    return True


def read_token_file(path=None, port=None):
    """The (port, token) of a running program: the file at ``path``, else the file of ``port``,
    else the newest file whose program is still running (a killed program leaves its file)."""
    if path is not None:
        return _read(path)[:2]
    folder = token_folder()
    if port is not None:
        return _read(os.path.join(folder, "automation-%d.json" % port))[:2]
    candidates = sorted(glob.glob(os.path.join(folder, TOKEN_FILE_PATTERN)), key=os.path.getmtime,
                        reverse=True)
    for candidate in candidates:
        try:
            file_port, token, pid = _read(candidate)
        except (OSError, ValueError, KeyError, TypeError):
            continue
        if _running(pid):
            return file_port, token
    raise FileNotFoundError("no running VantrelLab automation interface: no live %s in %s"
                            % (TOKEN_FILE_PATTERN, folder))


class Client:
    """One connection to the program. Calls block until their reply has arrived."""

    def __init__(self, port=None, token=None, token_file=None, host="127.0.0.1", timeout=10.0):
        if port is None or token is None:
            file_port, file_token = read_token_file(token_file, port)
            port = file_port if port is None else port
            token = file_token if token is None else token
        self._token = token
        self._socket = socket.create_connection((host, port), timeout=timeout)
        self._reader = self._socket.makefile("rb")
        self._next_id = 1

    def close(self):
        self._reader.close()
        self._socket.close()

    def __enter__(self):
        return self

    def __exit__(self, *exception):
        self.close()

    def call(self, call, /, **arguments):
        """Makes one call and returns its result; raises AutomationError when it is refused."""
        request_id = self._next_id
        self._next_id += 1
        request = {"id": request_id, "token": self._token, "call": call, "args": arguments}
        self._socket.sendall(json.dumps(request).encode("utf-8") + b"\n")
        line = self._reader.readline()
        if not line:
            raise ConnectionError("the program closed the connection")
        reply = json.loads(line)
        if not reply.get("ok"):
            error = reply.get("error", {})
            raise AutomationError(error.get("code", "unknown"), error.get("message", ""))
        return reply.get("result")

    # The calls, one method each.

    def modules(self):
        """The crate's modules: dicts with "address", "type", "description", "status"."""
        return self.call("modules")["modules"]

    def readings(self, address):
        """The module's named values as last read ("cps", "current", "temperature" ...), and
        "age_ms", how long ago that read was (None before the first)."""
        return self.call("readings", address=address)

    def set(self, address, name, value):
        """Sets one parameter ("current" in A, "cmp_ref_level" in V, "operate" on/off ...)."""
        self.call("set", address=address, name=name, value=value)

    def connect_crate(self, address):
        self.call("connect", address=address)

    def start_trace(self, addresses, kind="cps", time_constant=None):
        """Count rate ("cps") or "temperature" of the modules versus time, until stop()."""
        arguments = {"kind": kind, "addresses": list(addresses)}
        if time_constant is not None:
            arguments["time_constant"] = time_constant
        return self.call("start_trace", **arguments)

    def start_sweep(self, kind, address, **values):
        """kind "cps_vs_current", "cps_vs_trigger" or "iv_curve"; values from, to, step,
        time_constant and (count rate versus current) trigger, in A, V and s."""
        return self.call("start_sweep", kind=kind, address=address, **values)

    def stop(self):
        return self.call("stop")["stopped"]

    def progress(self):
        """"running", "complete", "percent", "points", "status" of the current run."""
        return self.call("progress")

    def series(self):
        """The last run's series: "x_unit", "y_unit" and "series", a list of {"name", "x", "y"}."""
        return self.call("series")

    # Waiting.

    def wait_for_modules(self, timeout=30.0, poll=0.2):
        """The module list, once the program has one."""
        deadline = time.monotonic() + timeout
        while True:
            modules = self.modules()
            if modules:
                return modules
            if time.monotonic() > deadline:
                raise TimeoutError("no crate modules listed within %g s" % timeout)
            time.sleep(poll)

    def wait_until_finished(self, timeout=600.0, poll=0.2):
        """Waits for the current run to end; returns its last progress."""
        deadline = time.monotonic() + timeout
        while True:
            progress = self.progress()
            if not progress["running"]:
                return progress
            if time.monotonic() > deadline:
                raise TimeoutError("the run did not end within %g s" % timeout)
            time.sleep(poll)
