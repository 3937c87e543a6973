#!/usr/bin/env python3
"""Measures Hueclip and its peers side by side on a private X server; scripts/bench runs it.

Prints one table and writes the same figures as JSON. Every figure is a median with its range
over --runs runs; the programs take turns within each run so that background load falls on all
of them alike.
"""

import argparse
import json
import os
import shutil
import signal
import statistics
import subprocess
import sys
import tempfile
import time

TICK = os.sysconf("SC_CLK_TCK")
POINTER = (820, 600)  # where the pointer rests: on the pattern, clear of every window
MB = 1024.0

# A peer that samples the screen only in a picking mode is put into it before the CPU phases:
# kcolorchooser's "Pick Screen Color" button (Alt+P) follows the pointer until a click.
PEER_LIVE_KEYS = {"kcolorchooser": "alt+p"}

# Budgets, checked in the table.
PASS_US = 100.0
CPU_LIVE_PCT = 0.5
STARTUP_MS = 150.0
RSS_MB = 30.0
EXE_KB = 300.0
SOAK_MEM_PCT = 1.0
# On the headless Wayland session (tests/wayland): the program's CPU, its memory, and what a
# frozen picker may add to the compositor's CPU over the same session with no program.
WL_CPU_PCT = 1.0
WL_RSS_MB = 40.0
WL_FROZEN_EXTRA_PCT = 0.2
# A monitor stream's pointer updates at 3840x2160 against 1024x768 (hueclip_stream_bench): the
# same cost, within the noise of a loaded machine.
STREAM_RATIO = 1.5
# DLLs that every Windows installation has.
WINDOWS_DLLS = {
    "kernel32.dll", "user32.dll", "gdi32.dll", "shell32.dll", "ole32.dll", "oleaut32.dll",
    "advapi32.dll", "comctl32.dll", "comdlg32.dll", "msvcrt.dll", "ucrtbase.dll", "shcore.dll",
    "uxtheme.dll", "dwmapi.dll", "version.dll", "ws2_32.dll", "shlwapi.dll", "imm32.dll",
    "winmm.dll", "psapi.dll", "ntdll.dll", "bcrypt.dll", "crypt32.dll", "secur32.dll",
}


def log(*a):
    print(*a, file=sys.stderr, flush=True)


def proc_cpu_s(pid):
    """utime + stime of a process, in seconds (clock ticks: 10 ms steps)."""
    with open(f"/proc/{pid}/stat") as f:
        fields = f.read().rsplit(")", 1)[1].split()
    return (int(fields[11]) + int(fields[12])) / TICK


def proc_runtime_s(pid):
    """Time on a CPU of all the threads of a process, in seconds, to the nanosecond."""
    total = 0
    for tid in os.listdir(f"/proc/{pid}/task"):
        try:
            with open(f"/proc/{pid}/task/{tid}/schedstat") as f:
                total += int(f.read().split()[0])
        except (FileNotFoundError, ProcessLookupError):
            pass
    return total / 1e9


def proc_rss_kb(pid):
    with open(f"/proc/{pid}/status") as f:
        for line in f:
            if line.startswith("VmRSS:"):
                return int(line.split()[1])
    return -1


def kv_lines(text):
    out = {"_opcodes": []}
    for line in text.splitlines():
        key, _, value = line.partition(" ")
        out.setdefault(key, value)
        if key == "opcode":
            out["_opcodes"].append(line)
    return out


def summary(values):
    values = [v for v in values if v is not None]
    if not values:
        return None
    return {"median": statistics.median(values), "min": min(values), "max": max(values),
            "runs": values}


class XServer:
    def __init__(self):
        self.tmp = tempfile.mkdtemp(prefix="hueclip-bench-")
        read_fd, write_fd = os.pipe()
        self.xvfb = subprocess.Popen(
            ["Xvfb", "-displayfd", str(write_fd), "-screen", "0", "1024x768x24", "-dpi", "96",
             "-nolisten", "tcp", "-noreset"],
            pass_fds=[write_fd], stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        os.close(write_fd)
        number = b""
        while not number.endswith(b"\n"):
            chunk = os.read(read_fd, 16)
            if not chunk:
                raise SystemExit("Xvfb did not start")
            number += chunk
        os.close(read_fd)
        self.display = ":" + number.decode().strip()
        self.env = dict(os.environ, DISPLAY=self.display)
        for var in ("WAYLAND_DISPLAY", "SESSION_MANAGER", "DBUS_SESSION_BUS_ADDRESS"):
            self.env.pop(var, None)
        runtime = os.path.join(self.tmp, "runtime")
        os.mkdir(runtime, 0o700)
        self.env["XDG_RUNTIME_DIR"] = runtime
        self.env["QT_QPA_PLATFORM"] = "xcb"
        self.wm = subprocess.Popen(["openbox"], env=self.env, stdout=subprocess.DEVNULL,
                                   stderr=subprocess.DEVNULL)
        for _ in range(100):
            r = subprocess.run(["xprop", "-root", "_NET_SUPPORTING_WM_CHECK"], env=self.env,
                               capture_output=True, text=True)
            if "window id" in r.stdout:
                break
            time.sleep(0.05)
        log(f"X server {self.display} with openbox")

    def close(self):
        for p in (self.wm, self.xvfb):
            p.terminate()
            try:
                p.wait(5)
            except subprocess.TimeoutExpired:
                p.kill()
        shutil.rmtree(self.tmp, ignore_errors=True)


class Bench:
    def __init__(self, args):
        self.a = args
        self.build = os.path.abspath(args.build)
        self.probe = os.path.join(self.build, "bench", "hueclip_xprobe")
        self.x = XServer()
        self.results = {"machine": machine(), "display": "Xvfb 1024x768x24, 96 dpi, openbox",
                        "runs": args.runs, "quick": args.quick, "programs": {}}
        self.probe_run("pattern", *map(str, POINTER))

    def probe_run(self, *args, timeout=None):
        r = subprocess.run([self.probe, *args], env=self.x.env, capture_output=True, text=True,
                           timeout=timeout)
        if r.returncode != 0:
            raise RuntimeError(f"xprobe {args[0]}: {r.stderr.strip()}")
        return r.stdout

    # --- whole programs -----------------------------------------------------------------

    def programs(self):
        progs = [
            {"name": "hueclip", "cmd": [os.path.join(self.build, "app", "hueclip")],
             "wait": "cells", "freeze": True},
            {"name": "qt-floor", "cmd": [os.path.join(self.build, "bench", "hueclip_qt_floor")],
             "wait": "colour=123456"},
        ]
        for peer in self.a.peers:
            if shutil.which(peer):
                progs.append({"name": peer, "cmd": [peer], "wait": "mapped",
                              "live_key": PEER_LIVE_KEYS.get(peer)})
            else:
                log(f"{peer} is not installed: left out")
        return progs

    def launch(self, prog, home, timeout_ms=20000):
        env = dict(self.x.env, HOME=home, XDG_CONFIG_HOME=os.path.join(home, ".config"),
                   XDG_CACHE_HOME=os.path.join(home, ".cache"),
                   XDG_DATA_HOME=os.path.join(home, ".local", "share"))
        p = subprocess.Popen([self.probe, "launch", prog["wait"], str(timeout_ms), "--",
                              *prog["cmd"]],
                             env=env, stdin=subprocess.PIPE, stdout=subprocess.PIPE,
                             stderr=subprocess.DEVNULL, text=True)
        t0 = time.monotonic()
        info = {}
        for line in p.stdout:
            key, _, value = line.strip().partition(" ")
            info[key] = value
            if key in ("ready_ms", "error"):
                break
        if "error" in info or float(info.get("ready_ms", -1)) < 0:
            p.stdin.close()
            p.wait()
            raise RuntimeError(f"{prog['name']} showed no window in time: {info}")
        return p, t0, int(info["pid"]), float(info["mapped_ms"]), float(info["ready_ms"])

    def cpu_phase(self, r, name, pid, seconds, action):
        """CPU of `pid` and of the X server over `seconds` while `action` runs, in % of a core:
        utime + stime, and the scheduler's exact run time (the figure shown)."""
        xs = self.x.xvfb.pid
        c0, s0, x0 = proc_cpu_s(pid), proc_runtime_s(pid), proc_runtime_s(xs)
        t0 = time.monotonic()
        action(seconds)
        c1, s1, x1 = proc_cpu_s(pid), proc_runtime_s(pid), proc_runtime_s(xs)
        dt = time.monotonic() - t0
        r[f"cpu_{name}_pct"] = 100.0 * (s1 - s0) / dt
        r[f"cpu_{name}_stat_pct"] = 100.0 * (c1 - c0) / dt
        r[f"xserver_{name}_pct"] = 100.0 * (x1 - x0) / dt

    def one_run(self, prog, home):
        d = self.a.phase_s
        p, t0, pid, mapped, ready = self.launch(prog, home)
        r = {"startup_ms": ready, "mapped_ms": mapped}
        try:
            time.sleep(max(0.0, t0 + self.a.rss_after_s - time.monotonic()))
            r["rss_mb"] = proc_rss_kb(pid) / MB
            xres0 = kv_lines(self.probe_run("xres", str(pid)))
            move = lambda s: self.probe_run("move", str(s), "100", *map(str, POINTER))
            if prog.get("live_key"):  # a peer that samples only in its picking mode
                self.probe_run("key", str(pid), prog["live_key"])
            self.cpu_phase(r, "moving", pid, d, move)
            # The pointer still: the server counts the program's requests meanwhile.
            reqs = {}

            def still(s):
                reqs.update(kv_lines(self.probe_run("requests", str(pid), str(s))))

            self.cpu_phase(r, "still", pid, d, still)
            r["x_requests_per_s_still"] = int(reqs.get("requests", 0)) / d
            r["x_requests_by_opcode_still"] = {
                k: int(v) / d for k, v in (ln.split()[1:] for ln in reqs.get("_opcodes", []))}
            if prog.get("freeze"):
                title = kv_lines(self.probe_run("key", str(pid), "f")).get("title", "")
                if title != "-Frozen-":
                    raise RuntimeError(f"F did not freeze {prog['name']} (title {title!r})")
                frozen = {}

                def hold(s):
                    frozen.update(kv_lines(self.probe_run("requests", str(pid), str(s))))

                self.cpu_phase(r, "frozen", pid, d, hold)
                r["x_requests_frozen"] = int(frozen.get("requests", 0))
            xres1 = kv_lines(self.probe_run("xres", str(pid)))
            r["x_resources_5s"] = int(xres0.get("resources", 0))
            r["x_resources_end"] = int(xres1.get("resources", 0))
            r["rss_end_mb"] = proc_rss_kb(pid) / MB
        finally:
            p.stdin.close()
            p.wait(10)
        return r

    def run_programs(self):
        progs = self.programs()
        homes = {pr["name"]: tempfile.mkdtemp(prefix=pr["name"] + "-", dir=self.x.tmp)
                 for pr in progs}
        runs = {pr["name"]: [] for pr in progs}
        for pr in progs:  # a warm-up launch each: caches and first-run files
            p, *_ = self.launch(pr, homes[pr["name"]])
            time.sleep(1.0)
            p.stdin.close()
            p.wait(10)
        for i in range(self.a.runs):
            order = progs[i % len(progs):] + progs[:i % len(progs)]
            for pr in order:
                log(f"run {i + 1}/{self.a.runs}: {pr['name']}")
                runs[pr["name"]].append(self.one_run(pr, homes[pr["name"]]))
        for name, rs in runs.items():
            keys = sorted({k for r in rs for k in r})
            self.results["programs"][name] = {
                k: rs[-1].get(k) if isinstance(rs[-1].get(k), dict) else
                summary([r.get(k) for r in rs]) for k in keys}

    # --- the instructions of a live tick (callgrind) ---------------------------------------

    def paint_cost(self):
        """Instructions a live tick costs, counted by callgrind over --phase-s seconds of the
        pointer moving (after the start-up, which is left out), per paint of the program's
        window: Hueclip's against the Qt floor's, which paints the same block, captions and
        readouts. Unlike CPU time these counts repeat from run to run, so a change to the paint
        shows in them; --paint-also adds other Hueclip builds to the same run."""
        progs = [("hueclip", os.path.join(self.build, "app", "hueclip"), "FormWidget::paintEvent"),
                 ("qt-floor", os.path.join(self.build, "bench", "hueclip_qt_floor"),
                  "Floor::paintEvent")]
        for also in self.a.paint_also:
            name, _, path = also.partition("=")
            progs.insert(-1, (name, os.path.abspath(path), "FormWidget::paintEvent"))
        if not shutil.which("valgrind"):
            log("no valgrind: the instructions of a tick left out")
            return
        self.results["paint"] = {}
        for name, exe, paint_fn in progs:
            out = os.path.join(self.x.tmp, f"callgrind-{name}")
            prog = {"cmd": ["valgrind", "--tool=callgrind", "--instr-atstart=no",
                            f"--callgrind-out-file={out}", exe], "wait": "mapped"}
            log(f"paint: {name} under callgrind")
            p, _, pid, _, _ = self.launch(prog, tempfile.mkdtemp(dir=self.x.tmp), 120000)
            try:
                time.sleep(3.0)  # the first ticks and caches
                subprocess.run(["callgrind_control", "-z", str(pid)], capture_output=True)
                subprocess.run(["callgrind_control", "-i", "on", str(pid)], capture_output=True)
                self.probe_run("move", str(self.a.phase_s), "100", *map(str, POINTER))
                subprocess.run(["callgrind_control", "-d", str(pid)], capture_output=True)
            finally:
                p.stdin.close()
                p.wait(30)
            instructions, paints = callgrind_counts(out + ".1", paint_fn)
            self.results["paint"][name] = {"instructions": instructions, "paints": paints,
                                           "per_paint": instructions / paints if paints else None}

    # --- one sampling pass and the soak, Linux --------------------------------------------

    def pass_bench(self):
        exe = os.path.join(self.build, "bench", "hueclip_pass_bench")
        out = os.path.join(self.x.tmp, "pass.json")
        subprocess.run([exe, f"--benchmark_repetitions={self.a.runs}",
                        f"--benchmark_min_time={0.2 if self.a.quick else 1.0}",
                        "--benchmark_out_format=json", f"--benchmark_out={out}"],
                       env=self.x.env, check=True, stdout=subprocess.DEVNULL)
        with open(out) as f:
            data = json.load(f)
        for name, key in (("BM_SamplingPass", "linux_pass"),
                          ("BM_SamplingPass_OneRequestReference", "linux_pass_reference")):
            reps = [b for b in data["benchmarks"]
                    if b.get("run_type") == "iteration" and b["run_name"].startswith(name + "/")]
            times = [b["real_time"] for b in reps]  # microseconds
            counters = {k: v for k, v in reps[0].items() if k.startswith("x_")}
            self.results[key] = {"us": summary(times), "cpu_us": summary(
                [b["cpu_time"] for b in reps]), "requests": counters}

    def stream_bench(self):
        """A monitor stream's buffers (portal provider): pointer updates and pictures by size."""
        exe = os.path.join(self.build, "bench", "hueclip_stream_bench")
        if not os.path.exists(exe):
            log("no stream benchmark (built without the portal): left out")
            return
        out = os.path.join(self.x.tmp, "stream.json")
        subprocess.run([exe, f"--benchmark_repetitions={self.a.runs}",
                        "--benchmark_out_format=json", f"--benchmark_out={out}"],
                       check=True, stdout=subprocess.DEVNULL)
        with open(out) as f:
            data = json.load(f)
        s = {}
        for b in data["benchmarks"]:
            if b.get("run_type") != "iteration":
                continue
            name, w, h = b["run_name"].split("/")[:3]
            s.setdefault(f"{name}/{w}x{h}", []).append(b["real_time"])  # microseconds
        self.results["stream"] = {k: summary(v) for k, v in s.items()}

    def soak(self):
        exe = os.path.join(self.build, "bench", "hueclip_soak")
        r = subprocess.run([exe, str(self.a.soak_passes)], env=self.x.env, check=True,
                           capture_output=True, text=True)
        self.results["linux_soak"] = json.loads(r.stdout)

    # --- Windows ----------------------------------------------------------------------------

    def windows(self):
        wb = self.a.mingw_build
        exe = os.path.join(wb, "app", "hueclip.exe") if wb else None
        if not exe or not os.path.exists(exe):
            log("no Windows build: Windows figures left out")
            return
        w = {"exe_kb": os.path.getsize(exe) / 1024.0}
        objdump = shutil.which("x86_64-w64-mingw32-objdump") or "objdump"
        dump = subprocess.run([objdump, "-p", exe], capture_output=True, text=True).stdout
        w["imports"] = sorted({line.split(":", 1)[1].strip() for line in dump.splitlines()
                               if "DLL Name:" in line})
        bench_exe = os.path.join(wb, "bench", "hueclip_win_bench.exe")
        if os.path.exists(bench_exe) and shutil.which("wine"):
            prefix = os.path.join(self.x.tmp, "wine")
            env = dict(self.x.env, WINEPREFIX=prefix, WINEDEBUG="-all",
                       WINEDLLOVERRIDES="mscoree,mshtml=")
            subprocess.run(["wineboot", "-i"], env=env, capture_output=True, timeout=300)
            passes = []
            for _ in range(self.a.runs):
                r = subprocess.run(["wine", bench_exe, "pass", str(self.a.win_passes)], env=env,
                                   capture_output=True, text=True, timeout=600)
                passes.append(json.loads(r.stdout)["median_us"])
            w["pass_us"] = summary(passes)
            w["sdr_pass"] = json.loads(r.stdout)
            r = subprocess.run(["wine", bench_exe, "reopen", "20"], env=env,
                               capture_output=True, text=True, timeout=600)
            w["reopen"] = json.loads(r.stdout)
            r = subprocess.run(["wine", bench_exe, "soak", str(self.a.soak_passes)], env=env,
                               capture_output=True, text=True, timeout=1800)
            w["soak"] = json.loads(r.stdout)
            subprocess.run(["wineserver", "-k"], env=env, capture_output=True)
        else:
            log("no Windows pass benchmark or no wine: pass and soak under Wine left out")
        self.results["windows"] = w

    # --- Wayland ----------------------------------------------------------------------------

    def wayland(self):
        exe = next((e for e in (os.path.join(self.build, d, "wayland", "hueclip_wayland_bench")
                                for d in ("bench", "tests")) if os.path.exists(e)), None)
        if not exe:
            log("no Wayland benchmark in the build: Wayland figures left out")
            return
        session = os.path.join(os.path.dirname(__file__), "..", "tests", "wayland", "session.sh")
        out = os.path.join(self.x.tmp, "wayland.json")
        subprocess.run([session, exe, "--phase-s", f"{self.a.phase_s:g}", "--starts",
                        str(self.a.runs), "--out", out], stdout=sys.stderr, check=True,
                       timeout=600)
        with open(out) as f:
            self.results["wayland"] = json.load(f)

    def close(self):
        self.x.close()


def machine():
    model = ""
    with open("/proc/cpuinfo") as f:
        for line in f:
            if line.startswith("model name"):
                model = line.split(":", 1)[1].strip()
                break
    return {"cpu": model, "cores": os.cpu_count(), "kernel": os.uname().release,
            "load_at_start": os.getloadavg()[0], "date": time.strftime("%Y-%m-%d %H:%M")}


def callgrind_counts(path, fn):
    """Total instructions in a callgrind dump, and the calls made to functions named with fn."""
    names, calls, total, callee = {}, 0, 0, None
    with open(path) as f:
        for line in f:
            if line.startswith(("fn=", "cfn=")):
                key, _, rest = line.rstrip("\n").partition("=")
                ident, _, name = rest.partition(" ")
                if name:
                    names[ident] = name
                if key == "cfn":
                    callee = names.get(ident, ident)
            elif line.startswith("calls=") and callee is not None and fn in callee:
                calls += int(line[6:].split()[0])
            elif line.startswith(("summary:", "totals:")):
                total = int(line.split()[1])
    return total, calls


# --- the table ------------------------------------------------------------------------------


def fmt(s, unit, digits=1):
    if not s:
        return "-"
    m, lo, hi = (round(s[k], digits) for k in ("median", "min", "max"))
    d = f"{{:.{digits}f}}"
    return f"{d.format(m)} ({d.format(lo)}-{d.format(hi)}) {unit}".strip()


def med(res, prog, key):
    s = res["programs"].get(prog, {}).get(key)
    return s["median"] if s else None


def budgets(res):
    """(what, figure, verdict) for every budget."""
    out = []
    add = lambda what, fig, ok: out.append((what, fig, "pass" if ok else "MISS"))
    wl = res.get("wayland")
    if wl:
        c = wl["cpu_pct"]
        worst = max(c["live, moving"]["program"], c["live, still"]["program"])
        add(f"Wayland: CPU live < {WL_CPU_PCT:g} % (worse of moving, still)", f"{worst:.2f} %",
            worst < WL_CPU_PCT)
        extra = c["frozen, still"]["mutter"] - c["no program, still"]["mutter"]
        add("Wayland: frozen adds no compositor work",
            f"mutter {extra:+.2f} % against no program", extra < WL_FROZEN_EXTRA_PCT)
        add(f"Wayland: resident memory < {WL_RSS_MB:g} MB", f"{wl['rss_mb']:.1f} MB",
            wl["rss_mb"] < WL_RSS_MB)
    st = res.get("stream")
    if st:
        small = st["BM_PointerUpdatesAfterAPicture/1024x768"]["median"]
        big = st["BM_PointerUpdatesAfterAPicture/3840x2160"]["median"]
        add(f"Wayland: a pointer update costs the same at any size (x < {STREAM_RATIO:g})",
            f"3840x2160 against 1024x768: {big:.2f} vs {small:.2f} us, x{big / small:.2f}",
            big / small < STREAM_RATIO)
    lp = res.get("linux_pass")
    if lp:
        req = lp["requests"]
        images, pointers = req.get("x_GetImage", 0), req.get("x_QueryPointer", 0)
        total = req.get("x_requests", 0)
        add("one pass: <= 1 image request, <= 1 pointer query",
            f"{total:g} requests: " + ", ".join(f"{k[2:]} {v:g}" for k, v in sorted(req.items())
                                               if k != "x_requests"),
            images <= 1 and pointers <= 1 and total <= 2)
        add("one pass: median < 100 us", fmt(lp["us"], "us"), lp["us"]["median"] < PASS_US)
    if "hueclip" in res["programs"]:
        for key, what in (("cpu_moving_pct", "CPU live, pointer moving < 0.5 %"),
                          ("cpu_still_pct", "CPU live, pointer still < 0.5 %")):
            m = med(res, "hueclip", key)
            # qt-floor repaints a block ten times a second and reads nothing: the toolkit's
            # share of a live tick.
            floor = med(res, "qt-floor", "cpu_moving_pct")
            extra = f" (Qt floor repainting 10 times a second {floor:.2f} %)" \
                if floor is not None and key == "cpu_moving_pct" else ""
            add(what, f"{m:.2f} %{extra}", m < CPU_LIVE_PCT)
        fr = res["programs"]["hueclip"].get("x_requests_frozen")
        if fr:
            add("frozen: no pass (no X request)",
                f"{fr['max']:.0f} requests, CPU {med(res, 'hueclip', 'cpu_frozen_pct'):.2f} %",
                fr["max"] == 0)
        m = med(res, "hueclip", "startup_ms")
        floor = med(res, "qt-floor", "startup_ms")
        extra = f" (Qt floor {floor:.0f} ms + first tick 100 ms = {floor + 100:.0f} ms)" \
            if floor else ""
        add("start-up to first sampled frame < 150 ms", f"{m:.0f} ms{extra}", m < STARTUP_MS)
        m = med(res, "hueclip", "rss_mb")
        floor = med(res, "qt-floor", "rss_mb")
        add("resident memory < 30 MB",
            f"{m:.1f} MB" + (f" (Qt floor {floor:.1f} MB)" if floor else ""), m < RSS_MB)
        for peer in res["programs"]:
            if peer in ("hueclip", "qt-floor"):
                continue
            for key, what in (("startup_ms", "start-up"), ("rss_mb", "memory"),
                              ("cpu_moving_pct", "CPU live")):
                h, p = med(res, "hueclip", key), med(res, peer, key)
                if key == "startup_ms":
                    # A peer is timed to its window mapped: like with like, Hueclip's mapped
                    # window against it, its first sampled frame shown beside.
                    h, p = med(res, "hueclip", "mapped_ms"), med(res, peer, "mapped_ms")
                    hs = med(res, "hueclip", "startup_ms")
                    ratio = h / p if p else float("inf")
                    add(f"ahead of {peer}: {what} (window mapped)",
                        f"{h:.0f} vs {p:.0f} ms, x{ratio:.2f} (first sampled frame {hs:.0f} ms)",
                        h < p)
                else:
                    ratio = h / p if p else float("inf")
                    add(f"ahead of {peer}: {what}", f"{h:.2f} vs {p:.2f}, x{ratio:.2f}", h < p)
    ls = res.get("linux_soak")
    if ls:
        add(*soak_verdict("soak, Linux", ls, "x_resources", "total"))
    w = res.get("windows")
    if w:
        add("hueclip.exe < 300 KB", f"{w['exe_kb']:.0f} KB", w["exe_kb"] < EXE_KB)
        foreign = [d for d in w["imports"] if d.lower() not in WINDOWS_DLLS]
        add("hueclip.exe imports only Windows DLLs", ", ".join(w["imports"]), not foreign)
        if w.get("pass_us"):
            add("one pass under Wine (informative)", fmt(w["pass_us"], "us"), True)
        sdr = w.get("sdr_pass")
        if sdr:
            add("SDR monitors under Wine: one BitBlt a pass, no DXGI",
                f"{sdr['copies_per_pass']:.2f} copies a pass, dxgi.dll "
                f"{'loaded' if sdr['dxgi_loaded'] else 'not loaded'}",
                sdr["copies_per_pass"] == 1 and not sdr["dxgi_loaded"])
        if w.get("reopen"):
            add("opening a duplication under Wine (informative)",
                f"first {w['reopen']['first_us'] / 1000:.0f} ms, again "
                f"{w['reopen']['median_us'] / 1000:.0f} ms (Wine's software Direct3D; "
                f"DuplicateOutput1 answers {w['reopen']['hresult']})", True)
        if w.get("soak"):
            add(*soak_verdict("soak, Wine", w["soak"], "gui", "total"))
    return out


def soak_verdict(name, soak, objects, total):
    b, a = soak["before"], soak["after"]
    grow = a[objects].get(total, 0) - b[objects].get(total, 0)
    mem = "rss_kb" if "rss_kb" in b else "working_set_kb"
    pct = 100.0 * (a[mem] - b[mem]) / b[mem] if b[mem] else 0.0
    fig = (f"{soak['passes']} passes: objects {b[objects].get(total, 0)} -> "
           f"{a[objects].get(total, 0)}, memory {b[mem]} -> {a[mem]} KB ({pct:+.2f} %)")
    ok = grow <= 0 and abs(pct) <= 1.0
    if objects == "gui" and b[objects].get(total, 0) == 0:
        # Wine's GetGuiResources answers 0 for every process: only memory can be judged.
        fig += "; Wine counts no GDI/USER objects (GetGuiResources is 0): memory only"
    return f"{name}: no object growth, memory within 1 %", fig, ok


def table(res):
    names = list(res["programs"])
    rows = [
        ("start-up to first frame", "startup_ms", "ms", 0),
        ("window mapped", "mapped_ms", "ms", 0),
        ("RSS after 5 s", "rss_mb", "MB", 1),
        ("CPU live, pointer moving", "cpu_moving_pct", "%", 2),
        ("CPU live, pointer still", "cpu_still_pct", "%", 2),
        ("CPU frozen", "cpu_frozen_pct", "%", 2),
        ("X server CPU, moving", "xserver_moving_pct", "%", 2),
        ("X requests/s, still", "x_requests_per_s_still", "", 1),
        ("X requests while frozen", "x_requests_frozen", "", 0),
        ("X resources 5 s -> end", None, "", 0),
    ]
    cells = [["", *names]]
    for label, key, unit, digits in rows:
        row = [label]
        for n in names:
            p = res["programs"][n]
            if key is None:
                a, b = p.get("x_resources_5s"), p.get("x_resources_end")
                row.append(f"{a['median']:.0f} -> {b['median']:.0f}" if a and b else "-")
            else:
                row.append(fmt(p.get(key), unit, digits))
        cells.append(row)
    widths = [max(len(r[i]) for r in cells) for i in range(len(cells[0]))]
    lines = ["| " + " | ".join(c.ljust(w) for c, w in zip(r, widths)) + " |" for r in cells]
    lines.insert(1, "|" + "|".join("-" * (w + 2) for w in widths) + "|")
    m = res["machine"]
    head = [f"Hueclip benchmark, {m['date']}: {m['cpu']}, {m['cores']} cores, "
            f"load {m['load_at_start']:.1f} at start; {res['display']}; "
            f"median (min-max) of {res['runs']} runs" + (", quick" if res["quick"] else "")]
    lp = res.get("linux_pass")
    extra = []
    if lp:
        extra.append(f"One sampling pass, X11 provider: {fmt(lp['us'], 'us')} wall, "
                     f"{fmt(lp['cpu_us'], 'us')} CPU; requests per pass: " +
                     ", ".join(f"{k[2:]} {v:g}" for k, v in sorted(lp["requests"].items())))
    ref = res.get("linux_pass_reference")
    if ref:
        extra.append(f"For comparison, a pass with the screen size asked once (1 GetImage + "
                     f"1 QueryPointer): {fmt(ref['us'], 'us')} wall, "
                     f"{ref['requests'].get('x_requests', 0):g} requests")
    wl = res.get("wayland")
    if wl:
        c = wl["cpu_pct"]
        first = sorted(wl["first_frame_ms"])
        extra.append(
            "Wayland, headless mutter 640x480 (software rendering), % of a core: "
            f"hueclip {c['live, moving']['program']:.2f} moving, "
            f"{c['live, still']['program']:.2f} still, {c['frozen, still']['program']:.2f} "
            f"frozen; mutter {c['no program, moving']['mutter']:.2f} -> "
            f"{c['live, moving']['mutter']:.2f} moving, {c['no program, still']['mutter']:.2f} "
            f"-> {c['frozen, still']['mutter']:.2f} frozen; RSS {wl['rss_mb']:.1f} MB; "
            f"start with a stored token to first sampled frame {first[len(first) // 2]:.0f} ms")
    st = res.get("stream")
    if st:
        extra.append("Monitor stream (portal), nine pointer updates after a picture: " + ", ".join(
            f"{k.split('/')[1]} {fmt(v, 'us', 2)}" for k, v in st.items()
            if k.startswith("BM_PointerUpdates")) + "; a picture and nine updates: " + ", ".join(
            f"{k.split('/')[1]} {fmt(v, 'us')}" for k, v in st.items()
            if k.startswith("BM_PictureThen")))
    pc = res.get("paint")
    if pc and pc["qt-floor"]["per_paint"]:
        floor = pc["qt-floor"]["per_paint"]
        extra.append("Instructions a live tick (callgrind, per paint of the window): " + ", ".join(
            f"{n} {v['per_paint'] / 1e6:.3f} M" + ("" if n == "qt-floor" else
                                                 f" (x{v['per_paint'] / floor:.2f} the floor)")
            for n, v in pc.items() if v["per_paint"]))
    w = res.get("windows")
    if w:
        extra.append(f"Windows: hueclip.exe {w['exe_kb']:.0f} KB, imports "
                     f"{', '.join(w['imports'])}" +
                     (f"; one pass under Wine {fmt(w['pass_us'], 'us')}" if w.get("pass_us")
                      else ""))
    verdicts = budgets(res)
    vw = max(len(v[0]) for v in verdicts) if verdicts else 0
    blines = [f"  {v[2]:4}  {v[0].ljust(vw)}  {v[1]}" for v in verdicts]
    note = ("Start-up: Hueclip and qt-floor until the first frame shows the sampled pixels "
            "(qt-floor: its first painted frame); peers until their window is mapped.")
    return "\n".join(head + [""] + lines + ["", note] + extra + ["", "Budgets:"] + blines)


def main():
    ap = argparse.ArgumentParser(description=__doc__)
    ap.add_argument("--build", required=True, help="the Linux build directory (Release)")
    ap.add_argument("--mingw-build", help="the Windows cross-build directory, if any")
    ap.add_argument("--runs", type=int, default=5)
    ap.add_argument("--quick", action="store_true", help="short phases, for development")
    ap.add_argument("--peers", default="gpick,kcolorchooser")
    ap.add_argument("--out", required=True, help="where to write the JSON")
    ap.add_argument("--only", default="programs,paint,pass,stream,soak,windows,wayland")
    ap.add_argument("--paint-also", action="append", default=[], metavar="NAME=PATH",
                    help="another Hueclip build whose tick to count beside this one's")
    ap.add_argument("--phase-s", type=float, help="length of each CPU phase (30 s; quick: 3 s)")
    a = ap.parse_args()
    a.peers = [p for p in a.peers.split(",") if p]
    a.phase_s = a.phase_s or (3.0 if a.quick else 30.0)
    a.rss_after_s = 5.0
    a.soak_passes = 3600 if a.quick else 36000
    a.win_passes = 1000 if a.quick else 10000
    only = set(a.only.split(","))
    signal.signal(signal.SIGTERM, lambda *_: sys.exit(1))
    b = Bench(a)
    try:
        if "pass" in only:
            log("one sampling pass")
            b.pass_bench()
        if "stream" in only:
            log("a monitor stream's buffers")
            b.stream_bench()
        if "soak" in only:
            log(f"soak: {a.soak_passes} passes")
            b.soak()
        if "programs" in only:
            b.run_programs()
        if "paint" in only:
            b.paint_cost()
        if "windows" in only:
            b.windows()
        if "wayland" in only:
            b.wayland()
    finally:
        b.close()
    res = b.results
    res["budgets"] = [{"budget": w, "figure": f, "verdict": v} for w, f, v in budgets(res)]
    os.makedirs(os.path.dirname(os.path.abspath(a.out)), exist_ok=True)
    with open(a.out, "w") as f:
        json.dump(res, f, indent=1)
    print(table(res))
    print(f"\n(JSON: {a.out})")


if __name__ == "__main__":
    main()
