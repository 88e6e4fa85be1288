"""`arx`: move, watch and diagnose an arm (or arx-sim) from a shell in one line.

Every subcommand takes --host, --port, --model and --json, before or after its
name; ARX_HOST, ARX_PORT and ARX_MODEL set their defaults. The exit status is 0
on success and the library's result code otherwise, with the code's text on
stderr; a command line that does not parse exits with USAGE_ERROR, which no
result code uses.
"""
from __future__ import annotations

import argparse
import dataclasses
import enum
import json
import logging
import math
import os
import socket
import sys
import time
from typing import Any, Callable, Dict, List, Optional, Sequence

import arx
from arx import Result

# Exit statuses beside the result codes (0..20, and 255 for a failed start's
# all-ones handle): argparse's own 2 would read as ARX_NOT_INITIALISED.
USAGE_ERROR = 64
NO_SOLUTION = 65  # arx ik: the inverse kinematics found no joints

DEFAULT_HOST = "127.0.0.1"
DEFAULT_PORT = 8080
DEFAULT_MODEL = "A"
MODELS = [model.name[len("ARM_MODEL_"):] for model in arx.ArmModel]  # A, B, C1, C2


class CommandFailed(Exception):
    """A failure of the tool itself (not raised by the library): its exit status and text."""

    def __init__(self, status: int, text: str) -> None:
        super().__init__(text)
        self.status = status
        self.text = text


# ---------------------------------------------------------------- output


def plain(value: Any) -> Any:
    """A value the package returned, as JSON-ready data (dicts, lists, numbers, text)."""
    if isinstance(value, enum.Enum):
        return value.name
    if isinstance(value, float):
        return round(value, 6) if math.isfinite(value) else None
    if isinstance(value, (bool, int, str)) or value is None:
        return value
    if isinstance(value, bytes):
        return value.split(b"\0", 1)[0].decode(errors="replace")
    if hasattr(value, "_asdict"):
        return {key: plain(item) for key, item in value._asdict().items()}
    if dataclasses.is_dataclass(value) and not isinstance(value, type):
        return {field.name: plain(getattr(value, field.name)) for field in dataclasses.fields(value)}
    if isinstance(value, dict):
        return {str(key): plain(item) for key, item in value.items()}
    fields = getattr(value, "_fields_", None)  # a ctypes record
    if fields is not None:
        return {field[0]: plain(getattr(value, field[0])) for field in fields}
    if hasattr(value, "tolist"):  # numpy arrays and scalars
        return plain(value.tolist())
    try:
        return [plain(item) for item in value]
    except TypeError:
        return str(value)


def _cell(value: Any) -> str:
    if isinstance(value, float):
        if value != value:
            return "nan"
        text = f"{value:.4f}".rstrip("0").rstrip(".")
        return "0" if text == "-0" else text
    if isinstance(value, bool):
        return "on" if value else "off"
    if isinstance(value, list):
        return " ".join(_cell(item) for item in value)
    if isinstance(value, dict):
        if set(value) == {"value", "text"}:  # an error word
            return f"{_cell(value['value']):<6}  {value['text']}"
        return ", ".join(f"{key} {_cell(item)}" for key, item in value.items())
    return "-" if value is None else str(value)


def table(result: Dict[str, Any]) -> str:
    """A two-column table: one row per member, nested records flattened with dots."""
    rows: List[tuple] = []

    def walk(prefix: str, value: Any) -> None:
        # A record holding records or lists gets a row per member; a flat one stays on one row.
        nested = isinstance(value, dict) and any(isinstance(item, (dict, list)) for item in value.values())
        if nested and len(value) > 1:
            for key, item in value.items():
                walk(f"{prefix}.{key}" if prefix else str(key), item)
        else:
            rows.append((prefix, _cell(value)))

    for key, value in result.items():
        walk(str(key), value)
    width = max((len(name) for name, _ in rows), default=0)
    return "\n".join(f"{name:<{width}}  {text}" for name, text in rows)


def emit(result: Optional[Dict[str, Any]], as_json: bool) -> None:
    if result is None:
        return
    data = plain(result)
    print(json.dumps(data) if as_json else table(data), flush=True)


# ---------------------------------------------------------------- the package


def failure(code: int, detail: str = "") -> CommandFailed:
    """A result code of the library's set, raised by the tool itself, with the library's text."""
    return CommandFailed(int(code), arx.result_text(code) + (f": {detail}" if detail else ""))


def call(arm: Any, export: str, *args: Any, **kwargs: Any) -> Any:
    """Calls the method of a C export on `arm`: the CLI names exports, arx.METHODS names their methods."""
    return getattr(arm, arx.METHODS[export].split(".")[-1])(*args, **kwargs)


# ---------------------------------------------------------------- commands
# Each takes the parsed options and an open arm (None for the offline ones)
# and returns what to print, as a dict, or None.


def cmd_state(args: argparse.Namespace, arm: Any) -> Dict[str, Any]:
    return plain(arm.get_current_arm_state())


def cmd_version(args: argparse.Namespace, arm: Any) -> Dict[str, Any]:
    versions = plain(arm.get_arm_software_version())
    return {"library": arx.__version__, "controller": versions}


def cmd_move_joint(args: argparse.Namespace, arm: Any) -> Dict[str, Any]:
    arm.movej(list(args.joints), speed=args.speed, blend=args.blend)
    return {"arrived": True, "joints": list(args.joints)}


def cmd_move_line(args: argparse.Namespace, arm: Any) -> Dict[str, Any]:
    arm.movel(list(args.pose), speed=args.speed, blend=args.blend)
    return {"arrived": True, "pose": list(args.pose)}


def cmd_stop(args: argparse.Namespace, arm: Any) -> Dict[str, Any]:
    arm.move_stop()
    return {"stopped": True}


def cmd_frames(args: argparse.Namespace, arm: Any) -> Dict[str, Any]:
    return {
        "tool": plain(arm.get_current_tool_frame()),
        "tools": plain(arm.get_all_tool_frame()),
        "work": plain(arm.get_current_work_frame()),
        "works": plain(arm.get_all_work_frame()),
    }


IO_KINDS = {"do": 0, "di": 1, "ao": 2, "ai": 3}


def cmd_io_get(args: argparse.Namespace, arm: Any) -> Dict[str, Any]:
    if args.channel is not None:
        value = arm.get_io_state(IO_KINDS[args.kind], args.channel)
        return {f"{args.kind}{args.channel}": plain(value)}
    return {"inputs": plain(arm.get_io_input()), "outputs": plain(arm.get_io_output())}


def cmd_io_set(args: argparse.Namespace, arm: Any) -> Dict[str, Any]:
    if args.tool:
        arm.set_tool_do_state(args.channel, args.state)
    else:
        arm.set_io_state(1 if args.analog else 0, args.channel, args.state)
    return {"channel": args.channel, "state": args.state}


def cmd_gripper_open(args: argparse.Namespace, arm: Any) -> Dict[str, Any]:
    arm.set_gripper_release(args.speed)
    return {"gripper": "open"}


def cmd_gripper_close(args: argparse.Namespace, arm: Any) -> Dict[str, Any]:
    arm.set_gripper_pick(args.speed, args.force)
    return {"gripper": "closed"}


def cmd_gripper_pos(args: argparse.Namespace, arm: Any) -> Dict[str, Any]:
    arm.set_gripper_position(args.position)
    return {"gripper": args.position}


def cmd_download(args: argparse.Namespace, arm: Any) -> Dict[str, Any]:
    # The controller names the project after the path's last component, and
    # wants a path with a folder in it.
    path = os.path.abspath(args.file)
    arm.download(path, args.speed)
    return {"downloaded": path}


def cmd_fk(args: argparse.Namespace, arm: Any) -> Dict[str, Any]:
    pose = arx.kinematics.forward(args.model, list(args.joints))
    return {"pose": plain(pose)}


def ik_flag(args: argparse.Namespace) -> int:
    """The solver's flag: --flag, else the Euler angles (1); for the seven-joint
    model 2, which also lets the joints go beyond 0.26 rad of the seed (the pose
    from six numbers carries the quaternion of its Euler angles)."""
    if args.flag is not None:
        return args.flag
    return 2 if arx.kinematics.joint_count(args.model) == 7 else 1


def cmd_ik(args: argparse.Namespace, arm: Any) -> Dict[str, Any]:
    # Without a seed the solver picks the solution nearest the zero position.
    seed = list(args.seed) if args.seed else [0.0] * arx.kinematics.joint_count(args.model)
    try:
        joints = arx.kinematics.inverse(args.model, list(args.pose), seed, ik_flag(args))
    except arx.InverseKinematicsFailed as failure:
        raise CommandFailed(NO_SOLUTION, f"{failure.text} ({failure.code})") from None
    return {"joints": plain(joints)}


def cmd_errors(args: argparse.Namespace, arm: Any) -> Dict[str, Any]:
    state = arm.get_current_arm_state()
    words = {"arm_err": state.arm_err, "sys_err": state.sys_err}
    for joint, flags in enumerate(arm.get_joint_err_flag(), start=1):
        words[f"joint{joint}_err"] = flags
    words["controller_err"] = arm.get_controller_state().err_flag
    return {name: {"value": value, "text": error_word_text(name, value)} for name, value in words.items()}


ERROR_WORDS = {
    "arm_err": "arm error",
    "sys_err": "system error",
    "controller_err": "controller error flags",
}


def error_word_text(name: str, value: Any) -> str:
    """What an error word says: which word it is and whether anything is set."""
    what = ERROR_WORDS.get(name) or f"joint {name[5:-4]} error flags"
    return f"{what}: none" if value == 0 else f"{what}: 0x{value:04X}"


def parse_call_argument(text: str) -> Any:
    """An argument of `arx call`: JSON when it parses (numbers, true/false, [lists], null), text otherwise."""
    try:
        return json.loads(text)
    except ValueError:
        return text


def resolve_export(name: str) -> str:
    """The export named by `name`, given as the C name or the method name, in any case."""
    wanted = name.lower()
    for export, method in arx.METHODS.items():
        if wanted in (export.lower(), method.lower(), method.split(".")[-1].lower()):
            return export
    raise CommandFailed(USAGE_ERROR, f"no exported function {name}")


def cmd_call(args: argparse.Namespace, arm: Any) -> Dict[str, Any]:
    export = resolve_export(args.function)
    values = [parse_call_argument(text) for text in args.arguments]
    where, _, name = arx.METHODS[export].rpartition(".")
    if where != "Arm":  # a function of the package (kinematics, texts, versions): no connection
        # The kinematics and the inverse kinematics' texts read the model loaded.
        arx.kinematics.use_model(args.model)
        owner = arx.kinematics if where == "kinematics" else arx
        return {"function": export, "result": plain(getattr(owner, name)(*values))}
    with _open(args) as connected:
        return {"function": export, "result": plain(call(connected, export, *values))}


def cmd_monitor(args: argparse.Namespace, arm: Any) -> None:
    period = 1.0 / args.rate
    live = not args.json and sys.stdout.isatty()
    shown = 0
    next_time = time.monotonic()
    try:
        while args.count is None or shown < args.count:
            sample = {"time": round(time.time(), 3), **plain(arm.get_current_arm_state())}
            if args.json:
                print(json.dumps(plain(sample)), flush=True)
            else:
                stamp = sample["time"]
                clock = time.strftime("%H:%M:%S", time.localtime(stamp)) + f".{int(stamp * 1000) % 1000:03d}"
                text = table(plain({**sample, "time": clock}))
                # In place on a terminal: home the cursor and clear below.
                print(("\x1b[H\x1b[J" if live else "") + text + ("" if live else "\n"), flush=True)
            shown += 1
            next_time += period
            time.sleep(max(0.0, next_time - time.monotonic()))
    except KeyboardInterrupt:
        pass
    return None


def sim_fault(host: str, port: int, word: str, kind: str, timeout: float = 3.0) -> None:
    """Sends arx-sim's run-time fault line (`none` lifts it) and checks its answer."""
    line = json.dumps({"command": "sim_fault", "word": word, "fault": kind}, separators=(",", ":")) + "\n"
    try:
        with socket.create_connection((host, port), timeout=timeout) as connection:
            connection.sendall(line.encode())
            reply = b""
            while not reply.endswith(b"\n"):
                chunk = connection.recv(4096)
                if not chunk:
                    break
                reply += chunk
    except socket.timeout:
        raise failure(Result.ARX_REPLY_TIMEOUT) from None
    except OSError as error:
        raise failure(Result.ARX_CONNECT_FAILED, str(error)) from None
    try:
        answer = json.loads(reply)
    except ValueError:
        raise failure(Result.ARX_REPLY_NOT_JSON) from None
    if not isinstance(answer, dict) or answer.get("set_state") is not True:
        raise failure(Result.ARX_CONTROLLER_FALSE, f"fault {kind!r} for {word!r} not taken")


def cmd_sim_fault(args: argparse.Namespace, arm: Any) -> Dict[str, Any]:
    sim_fault(args.host, args.port, args.word, args.kind)
    return {"word": args.word, "fault": args.kind}


# ---------------------------------------------------------------- parser


class _Parser(argparse.ArgumentParser):
    def error(self, message: str) -> None:  # type: ignore[override]
        self.print_usage(sys.stderr)
        self.exit(USAGE_ERROR, f"{self.prog}: error: {message}\n")


def _port(text: str) -> int:
    port = int(text)
    if not 0 < port < 65536:
        raise argparse.ArgumentTypeError(f"port {text} is not 1..65535")
    return port


def _rate(text: str) -> float:
    rate = float(text)
    if not 0 < rate <= 1000:
        raise argparse.ArgumentTypeError(f"rate {text} is not in (0, 1000] Hz")
    return rate


def _on_off(text: str) -> bool:
    words = {"1": True, "on": True, "true": True, "high": True, "0": False, "off": False, "false": False, "low": False}
    if text.lower() not in words:
        raise argparse.ArgumentTypeError(f"{text}: on or off")
    return words[text.lower()]


def _connection_options(parser: argparse.ArgumentParser, top: bool) -> None:
    """--host/--port/--model/--json on the top parser (with the defaults) and on
    every subcommand (defaults suppressed, so a value given before the name
    survives the subcommand's parse)."""
    env = os.environ

    def default(value: Any) -> Any:
        return value if top else argparse.SUPPRESS

    group = parser.add_argument_group("connection and output")
    group.add_argument("--host", default=default(env.get("ARX_HOST", DEFAULT_HOST)),
                       help="controller address (ARX_HOST; 127.0.0.1)")
    group.add_argument("--port", type=_port, default=default(env.get("ARX_PORT", str(DEFAULT_PORT))),
                       help="controller port (ARX_PORT; 8080)")
    # argparse checks the choices of a given value only, not of a default: run() checks ARX_MODEL's.
    group.add_argument("--model", default=default(env.get("ARX_MODEL", DEFAULT_MODEL)), choices=MODELS,
                       help="arm model (ARX_MODEL; A)")
    group.add_argument("--json", action="store_true", default=default(False), help="print JSON instead of a table")
    group.add_argument("-v", "--verbose", action="store_true", default=default(False),
                       help="also print the library's log lines (warnings and above) on stderr")


Handler = Callable[[argparse.Namespace, Any], Optional[Dict[str, Any]]]


def build_parser() -> argparse.ArgumentParser:
    parser = _Parser(prog="arx", description="Move, watch and diagnose an arm or arx-sim.",
                     epilog="Exit status: 0, or the library's result code (its text on stderr); "
                            f"{USAGE_ERROR} for a bad command line, {NO_SOLUTION} when ik finds no joints.")
    _connection_options(parser, top=True)
    commands = parser.add_subparsers(dest="command", metavar="COMMAND", parser_class=_Parser)
    commands.required = True

    def leaf(group: Any, name: str, handler: Handler, help_text: str, online: bool = True) -> argparse.ArgumentParser:
        sub = group.add_parser(name, help=help_text, description=help_text)
        _connection_options(sub, top=False)
        sub.set_defaults(handler=handler, online=online, title=sub.prog)
        return sub

    def branch(name: str, help_text: str) -> Any:
        sub = commands.add_parser(name, help=help_text, description=help_text)
        _connection_options(sub, top=False)
        group = sub.add_subparsers(dest="action", metavar="ACTION", parser_class=_Parser)
        group.required = True
        return group

    leaf(commands, "state", cmd_state, "joints (deg), tool pose (m, rad) and error words")
    leaf(commands, "version", cmd_version, "library and controller versions")

    move = branch("move", "move the arm and wait for its arrival")
    sub = leaf(move, "joint", cmd_move_joint, "joint move to J1..J6 (J7 on model B), degrees")
    sub.add_argument("joints", type=float, nargs="+", metavar="J")
    sub.add_argument("--speed", type=int, default=20, help="percent of full speed (20)")
    sub.add_argument("--blend", type=float, default=0.0, help="blend radius (0)")
    sub = leaf(move, "line", cmd_move_line, "straight-line move to a tool pose: X Y Z (m) RX RY RZ (rad)")
    sub.add_argument("pose", type=float, nargs=6, metavar="V")
    sub.add_argument("--speed", type=int, default=20, help="percent of full speed (20)")
    sub.add_argument("--blend", type=float, default=0.0, help="blend radius (0)")

    leaf(commands, "stop", cmd_stop, "stop the running motion")
    leaf(commands, "frames", cmd_frames, "the active and the stored tool and work frames")

    io = branch("io", "controller IO")
    sub = leaf(io, "get", cmd_io_get, "all inputs and outputs, or one channel")
    sub.add_argument("kind", nargs="?", choices=sorted(IO_KINDS), help="do, di, ao or ai (with CHANNEL)")
    sub.add_argument("channel", nargs="?", type=int)
    sub = leaf(io, "set", cmd_io_set, "set an output on or off")
    sub.add_argument("channel", type=int)
    sub.add_argument("state", type=_on_off, metavar="on|off")
    sub.add_argument("--analog", action="store_true", help="the analog output (on is 1 V)")
    sub.add_argument("--tool", action="store_true", help="a digital output of the tool")

    gripper = branch("gripper", "the gripper")
    sub = leaf(gripper, "open", cmd_gripper_open, "release")
    sub.add_argument("--speed", type=int, default=500)
    sub = leaf(gripper, "close", cmd_gripper_close, "pick with a force limit")
    sub.add_argument("--speed", type=int, default=500)
    sub.add_argument("--force", type=int, default=300)
    sub = leaf(gripper, "pos", cmd_gripper_pos, "go to an opening")
    sub.add_argument("position", type=int)

    sub = leaf(commands, "download", cmd_download, "download a trajectory file and run it as a project")
    sub.add_argument("file")
    sub.add_argument("--speed", type=int, default=50, help="plan speed, percent (50)")

    sub = leaf(commands, "fk", cmd_fk, "forward kinematics (offline): tool pose of J1..J6 (J7), degrees", online=False)
    sub.add_argument("joints", type=float, nargs="+", metavar="J")
    sub = leaf(commands, "ik", cmd_ik, "inverse kinematics (offline): joints for X Y Z (m) RX RY RZ (rad)",
               online=False)
    sub.add_argument("pose", type=float, nargs=6, metavar="V")
    sub.add_argument("--seed", type=float, nargs="+", metavar="J", help="joints to solve near (degrees; 0 each)")
    sub.add_argument("--flag", type=int, choices=[0, 1, 2], default=None,
                     help="the solver's flag: 0 quaternion, 1 Euler angles, 2 (model B) free joints; 1, B 2")

    leaf(commands, "errors", cmd_errors, "the arm's error words with their text")

    sub = leaf(commands, "call", cmd_call, "call any export by name (C or method name); "
                                           "arguments as JSON where they parse: 20 true [0,30,60,0,90,0]", online=False)
    sub.add_argument("function")
    sub.add_argument("arguments", nargs="*")

    sub = leaf(commands, "monitor", cmd_monitor,
               "the arm state refreshed in place until Ctrl-C (--json: one object a line)")
    sub.add_argument("--rate", type=_rate, default=5.0, help="samples a second (5)")
    sub.add_argument("--count", type=int, default=None, help="stop after this many samples")

    sub = leaf(commands, "sim-fault", cmd_sim_fault,
               "arx-sim: fault KIND for request word WORD (* for all); none lifts it", online=False)
    sub.add_argument("word")
    sub.add_argument("kind", help="none, delay:ms, drop, split[:ms], batch, refuse, stall, deaf, reset")
    return parser


# ---------------------------------------------------------------- main


def _open(args: argparse.Namespace) -> Any:
    return arx.connect(args.host, args.port, model=args.model)


def run(argv: Optional[Sequence[str]] = None) -> int:
    parser = build_parser()
    args = parser.parse_args(argv)
    if args.model not in MODELS:
        parser.error(f"ARX_MODEL {args.model!r}: one of {', '.join(MODELS)}")
    # The library's warnings repeat what the result code says; --verbose shows them.
    logging.basicConfig(format="arx: %(message)s", level=logging.WARNING)
    logging.getLogger("arx").setLevel(logging.WARNING if args.verbose else logging.CRITICAL)
    try:
        if not args.online:
            emit(args.handler(args, None), args.json)
        else:
            with _open(args) as arm:
                emit(args.handler(args, arm), args.json)
        return 0
    except CommandFailed as stopped:
        print(f"{args.title}: {stopped.text}", file=sys.stderr)
        return stopped.status
    except arx.ArxError as error:
        print(f"{args.title}: {error.function}: {error.text} (result {int(error.code)})", file=sys.stderr)
        # A failed start's all-ones handle (-1) exits 255.
        return int(error.code) & 0xFF


def main() -> None:
    sys.exit(run())
