#!/usr/bin/python3
"""quarnlogcfg as a DSC v3 resource, called the way DSC 3.2 calls a command resource, under Wine
in a prefix of its own (whose registry it changes, in the 32-bit view).

What DSC does is taken from its source (PowerShell/DSC, release v3.2.3; the same from v3.2.0 to
main where not said otherwise), modelled below in class Dsc and the functions before it:
- lib/dsc-lib/src/dscresources/resource_manifest.rs: how the manifest is read (serde: unknown
  fields refused at the top, the argument kinds one of a closed set of shapes);
- lib/dsc-lib/src/dscresources/command_resource.rs: invoke_get, invoke_set, invoke_test and
  invoke_export; process_get_args and process_set_delete_args (a whatIfArg only for what-if);
  get_command_input (standard input only with an instance, as compact JSON); run_process_async
  (without an instance the null device since v3.2.2, and DSC's own standard input before it;
  standard output and error read as lines of UTF-8, which stops at the first line that is not);
  log_stderr_line (which lines DSC shows at which level, and that plain text goes to its trace
  log only); verify_json_from_manifest (the schema that the schema command prints, compiled by
  the jsonschema crate without any retrieval, and the input and every output validated);
  the exit codes of the manifest, whose text DSC prints instead of the program's message;
- lib/dsc-lib/src/dscresources/dscresource.rs: get_diff, the exact comparison of instance and
  state that gives test's differing properties.

Checked besides: the manifest against DSC's published manifest schema (tests/dsc/schemas, which
does not know whatIfArg yet: that entry is set aside there); the schema and the schema of DSC
configuration documents for editors (self-contained, messages that name the words, no control
character in a pattern); and the schema against import: over the documents the command line's
property test generates, nothing that import accepts is refused by the schema, and nothing that
import refuses for a reason a schema can state is accepted by it.

    dsc_test.py BUILD_DIR
"""
import copy
import json
import os
import re
import subprocess
import sys
from pathlib import Path

import jsonschema
import yaml

ROOT = Path(__file__).resolve().parents[2]
BUILD = Path(sys.argv[1]).resolve()
SCHEMAS = ROOT / "tests" / "dsc" / "schemas" / "v3"
WORK = BUILD / "dsc-test"
PREFIX = WORK / "wineprefix"
KEY = r"HKLM\SOFTWARE\Brivantex\Quarns\QuarnEventLogging"
# Long enough for any call here; a call that waits for input nobody gives takes this long.
CALL_TIMEOUT = 60


def fail(message):
    print("FAIL: " + message, file=sys.stderr)
    sys.exit(1)


def load(path):
    return json.loads(Path(path).read_text(encoding="utf-8"))


def winpath(path):
    return "Z:" + str(path).replace("/", "\\")


def win(*args, stdin=b"", env=None):
    """A Windows program under Wine: exit code, standard output and error as text."""
    done = subprocess.run([str(ROOT / "scripts" / "wine-run"), str(PREFIX), *map(str, args)],
                          input=stdin, capture_output=True, env=env, timeout=CALL_TIMEOUT * 5)
    return done.returncode, done.stdout.decode("utf-8", "replace"), done.stderr.decode("utf-8", "replace")


# ---- JSON Schema as DSC's jsonschema crate and editors use it: nothing fetched -----------------
def refuse(uri):
    raise jsonschema.RefResolutionError("retrieval refused: %s" % uri)


def offline_validator(schema, compile_references=True):
    """A validator that may fetch nothing (DSC builds the jsonschema crate without HTTP and file
    retrieval, and editors here are offline) and that, as the crate compiles a schema, resolves
    every reference before it validates anything."""
    jsonschema.Draft202012Validator.check_schema(schema)
    resolver = jsonschema.RefResolver.from_schema(
        schema, handlers={scheme: refuse for scheme in ("http", "https", "file", "ftp", "urn")})
    for ref in walk(schema, "$ref") if compile_references else ():
        resolver.resolve(ref)
    return jsonschema.Draft202012Validator(schema, resolver=resolver)


def walk(node, keyword):
    """Every value of a keyword anywhere in a schema."""
    if isinstance(node, dict):
        for key, value in node.items():
            if key == keyword:
                yield value
            yield from walk(value, keyword)
    elif isinstance(node, list):
        for value in node:
            yield from walk(value, keyword)


def errors(validator, instance):
    return [e.message[:300] for e in validator.iter_errors(instance)]


# ---- the manifest as DSC 3.2 reads it (resource_manifest.rs) -----------------------------------
GET_ARGS = [({"jsonInputArg"}, {"mandatory"}), ({"resourcePathArg"}, {"includeQuotes"}),
            ({"resourceTypeArg"}, set())]
SET_ARGS = GET_ARGS + [({"whatIfArg"}, set())]
METHOD = {"executable", "args", "input", "requireSecurityContext"}
METHODS = {"get": (METHOD, GET_ARGS), "test": (METHOD | {"return"}, GET_ARGS),
           "export": (METHOD, GET_ARGS), "delete": (METHOD, SET_ARGS),
           "set": (METHOD | {"implementsPretest", "handlesExist", "return", "whatIfReturns"}, SET_ARGS)}
TOP_FIELDS = {"$schema", "type", "condition", "deprecationMessage", "kind", "version",
              "description", "tags", "get", "set", "whatIf", "test", "delete", "export",
              "resolve", "validate", "adapter", "exitCodes", "schema", "metadata"}


def manifest_problems(manifest):
    """What DSC 3.2's reader refuses, and fields it would silently ignore (a misspelt one)."""
    found = ["unknown field %s" % f for f in set(manifest) - TOP_FIELDS]
    found += ["no %s" % f for f in ("$schema", "type", "version") if not isinstance(manifest.get(f), str)]
    if not re.fullmatch(r"\w+(\.\w+)*/\w+", manifest.get("type", "")):
        found.append("type %r" % manifest.get("type"))
    if not re.fullmatch(r"\d+\.\d+\.\d+([-+][0-9A-Za-z.+-]+)?", manifest.get("version", "")):
        found.append("version %r is not semantic" % manifest.get("version"))
    if "whatIf" in manifest:
        found.append("the whatIf operation, deprecated since DSC 3.2.0")
    for name, (fields, kinds) in METHODS.items():
        method = manifest.get(name)
        if method is None:
            continue
        found += ["%s.%s is not a field" % (name, f) for f in set(method) - fields]
        if not isinstance(method.get("executable"), str):
            found.append("%s has no executable" % name)
        if method.get("input", "stdin") not in ("stdin", "env"):
            found.append("%s.input %r" % (name, method["input"]))
        for field in ("return", "whatIfReturns"):
            if method.get(field, "state") not in ("state", "stateAndDiff"):
                found.append("%s.%s %r" % (name, field, method[field]))
        for arg in method.get("args", []):
            if isinstance(arg, str):
                continue
            shapes = [(req, opt) for req, opt in kinds if isinstance(arg, dict) and req <= set(arg) <= req | opt]
            if len(shapes) != 1 or not all(isinstance(arg[f], str) for f in shapes[0][0]):
                found.append("%s argument %r is none of DSC's kinds" % (name, arg))
    for code, text in manifest.get("exitCodes", {}).items():
        if not re.fullmatch(r"-?[0-9]+", code) or not -2**31 <= int(code) < 2**31 or not isinstance(text, str):
            found.append("exit code %r" % code)
    command = manifest.get("schema", {}).get("command", {})
    if set(manifest.get("schema", {})) != {"command"} or not isinstance(command.get("executable"), str):
        found.append("no schema command")
    return found


# ---- DSC's handling of a command resource (command_resource.rs, dscresource.rs) ----------------
def same_json(a, b):
    """serde_json's equality: 14 and 14.0 differ, as do true and 1."""
    if type(a) is not type(b):
        return False
    if isinstance(a, dict):
        return a.keys() == b.keys() and all(same_json(a[k], b[k]) for k in a)
    if isinstance(a, list):
        return len(a) == len(b) and all(same_json(x, y) for x, y in zip(a, b))
    return a == b


def contains(array, find):
    for item in array:
        if isinstance(find, dict) and isinstance(item, dict):
            if not get_diff(find, item):
                return True
        elif isinstance(find, list) and isinstance(item, list):
            if same_array(item, find):
                return True
        elif isinstance(find, float) and isinstance(item, float):
            if abs(find - item) < 0.1:
                return True
        elif same_json(find, item):
            return True
    return False


def same_array(expected, actual):
    return len(expected) == len(actual) and all(contains(actual, item) for item in expected)


def get_diff(expected, actual):
    """The properties of expected that actual does not hold exactly (dscresource.rs get_diff)."""
    diff = []
    if expected is None or not isinstance(expected, dict):
        return diff
    expected, actual = copy.deepcopy(expected), copy.deepcopy(actual)
    expected.setdefault("_exist", True)
    if isinstance(actual, dict) and actual.get("_exist") is None:
        actual["_exist"] = True
    for key, value in expected.items():
        held = actual.get(key) if isinstance(actual, dict) else None
        if isinstance(value, dict):
            if get_diff(value, held):
                diff.append(key)
        elif key == "$schema":
            continue
        elif not isinstance(actual, dict) or key not in actual:
            diff.append(key)
        elif isinstance(value, list):
            if not isinstance(held, list) or not same_array(value, held):
                diff.append(key)
        elif not same_json(value, held):
            diff.append(key)
    return diff


def stderr_line(line):
    """How DSC takes a line of a resource's standard error (log_stderr_line): the level it shows
    it at and its message, or "plain" for a line that goes to DSC's trace log only."""
    try:
        value = json.loads(line)
    except ValueError:
        return "plain", line
    if (isinstance(value, dict) and isinstance(value.get("timestamp"), str)
            and value.get("level") in ("ERROR", "WARN", "INFO", "DEBUG", "TRACE")
            and isinstance(value.get("fields"), dict) and isinstance(value["fields"].get("message"), str)):
        return value["level"].lower(), value["fields"]["message"]
    if isinstance(value, dict):
        for level in ("error", "warn", "info", "debug", "trace"):
            if level in value:
                return level, value[level] if isinstance(value[level], str) else ""
    return "plain", line


def utf8_lines(data, what):
    """Lines as DSC's reader takes them: UTF-8, without their line ends."""
    try:
        lines = data.decode("utf-8").split("\n")
    except UnicodeDecodeError as e:
        fail("%s is not UTF-8 (DSC stops reading there): %r" % (what, data[max(0, e.start - 40):e.end + 40]))
    if lines[-1] == "":
        lines.pop()
    return [line[:-1] if line.endswith("\r") else line for line in lines]


class Failure(Exception):
    def __init__(self, code, shown):
        super().__init__("exit code %d: %s" % (code, shown))
        self.code, self.shown = code, shown


class Dsc:
    """DSC 3.2 with the manifest: each operation as command_resource.rs carries it out."""

    def __init__(self, manifest, program):
        self.manifest, self.program = manifest, program
        self.messages = []  # (level, message) of every call, as DSC logs them
        # The schema as DSC gets it: from the schema command, compiled before every check.
        out, _ = self.invoke(manifest["schema"]["command"], None)
        self.schema = json.loads(out)
        self.validator = offline_validator(self.schema)

    def verify(self, value, what):
        found = errors(self.validator, value)
        if found:
            fail("%s against the resource's schema: %s" % (what, found))

    def args(self, method, instance, what_if=False):
        args = []
        for arg in method.get("args", []):
            if isinstance(arg, str):
                args.append(arg)
            elif "jsonInputArg" in arg and (instance or arg.get("mandatory")):
                args += [arg["jsonInputArg"], instance]
            elif "whatIfArg" in arg and what_if:
                args.append(arg["whatIfArg"])
        return args

    def invoke(self, method, instance, what_if=False, without="null device"):
        """Runs a method: its standard output as DSC joins its lines. The instance goes to the
        standard input as compact JSON where the method takes it there; without one, DSC 3.2.2
        and later give the null device, earlier releases their own standard input (here a pipe
        that stays open and that nobody writes to)."""
        if method["executable"] != "quarnlogcfg":
            fail("DSC would look for %s on PATH, not quarnlogcfg" % method["executable"])
        text = json.dumps(instance, separators=(",", ":"), ensure_ascii=False) if instance is not None else ""
        given = method.get("input") == "stdin" and text != ""
        command = [str(ROOT / "scripts" / "wine-run"), str(PREFIX), str(self.program)]
        stdin, writer = subprocess.DEVNULL, None
        if given:
            stdin = subprocess.PIPE
        elif without == "open pipe":
            stdin, writer = os.pipe()
        process = subprocess.Popen(command + self.args(method, text, what_if), stdin=stdin,
                                   stdout=subprocess.PIPE, stderr=subprocess.PIPE)
        try:
            if writer is not None:
                os.close(stdin)
            out, err = process.communicate(text.encode("utf-8") if given else None, timeout=CALL_TIMEOUT)
        except subprocess.TimeoutExpired:
            process.kill()
            fail("%s with %s waits for its standard input" % (method["args"], without))
        finally:
            if writer is not None:
                os.close(writer)
        shown = [stderr_line(line) for line in utf8_lines(err, "standard error") if line]
        plain = [m for level, m in shown if level == "plain"]
        if plain:
            fail("%s: lines on standard error that DSC does not show: %r" % (method["args"], plain))
        self.messages += shown
        if process.returncode != 0:
            # DSC ends the operation with the manifest's text for the code; the program's
            # reason reaches the user only as an error line.
            if process.returncode not in map(int, self.manifest.get("exitCodes", {"1": ""})):
                fail("exit code %d is not in the manifest" % process.returncode)
            raise Failure(process.returncode, shown)
        return "".join(line + "\n" for line in utf8_lines(out, "standard output")), shown

    def state(self, method, instance, what_if=False, without="null device"):
        out, shown = self.invoke(method, instance, what_if, without)
        try:
            value = json.loads(out)
        except ValueError:
            fail("%s prints no single JSON value: %r" % (method["args"], out))
        self.verify(value, "the output of %s" % method["args"])
        return value, shown

    def get(self, instance=None, without="null device"):
        if instance:
            self.verify(instance, "get's instance")
        return self.state(self.manifest["get"], instance, without=without)[0]

    def test(self, instance):
        self.verify(instance, "test's instance")
        actual, shown = self.state(self.manifest["test"], instance)
        if not isinstance(actual.get("_inDesiredState"), bool):
            fail("test's state has no _inDesiredState: %s" % actual)
        return actual["_inDesiredState"], get_diff(instance, actual), actual, shown

    def set(self, instance, what_if=False):
        """Set as DSC runs it for a resource that tests itself: get for the state before, then
        set (with its whatIfArg for what-if); the properties that set changed."""
        set_method = self.manifest["set"]
        if what_if and not any(isinstance(a, dict) and "whatIfArg" in a for a in set_method["args"]):
            fail("set has no whatIfArg: DSC would use a deprecated operation or none")
        self.verify(instance, "set's instance")
        before = self.get(instance)
        after, shown = self.state(set_method, instance, what_if)
        return after, get_diff(after, before), shown

    def export(self, without="null device"):
        out, shown = self.invoke(self.manifest["export"], None, without=without)
        instances = [json.loads(line) for line in out.splitlines()]
        for instance in instances:
            self.verify(instance, "an instance that export prints")
        return instances


def levels(shown, level):
    return [message for found, message in shown if found == level]


# ---- the files that ship -----------------------------------------------------------------------
manifest = load(BUILD / "quarnlogcfg.dsc.resource.json")
if manifest_problems(manifest):
    fail("the manifest as DSC 3.2 reads it: %s" % manifest_problems(manifest))
if manifest["type"] != "Brivantex.Quarns/EventLogging":
    fail("the resource type is %s" % manifest["type"])
# DSC's published schema of manifests does not know whatIfArg yet: without that entry, the
# manifest must fit it.
published = copy.deepcopy(manifest)
published["set"]["args"] = [a for a in published["set"]["args"] if not (isinstance(a, dict) and "whatIfArg" in a)]
published_errors = errors(offline_validator(load(SCHEMAS / "manifest.json"), False), published)
if published_errors:
    fail("the manifest against DSC's published schema: %s" % published_errors)

instance_schema = load(BUILD / "quarnlogcfg.schema.json")
config_schema = load(BUILD / "quarnlogcfg.dsc.config.schema.json")
for name, schema in (("the schema", instance_schema), ("the DSC configuration schema", config_schema)):
    outside = [ref for ref in walk(schema, "$ref") if not ref.startswith("#")]
    if outside:
        fail("%s refers outside itself: %s" % (name, outside))
    for pattern in walk(schema, "pattern"):
        if re.search(r"[\x00-\x1f\x7f]", pattern):
            fail("%s has a control character in the pattern %r" % (name, pattern))
instances = offline_validator(instance_schema)
configurations = offline_validator(config_schema)
embedded = config_schema["properties"]["resources"]["items"]["then"]["properties"]["properties"]
if embedded != {k: v for k, v in instance_schema.items() if k != "$schema"}:
    fail("the DSC configuration schema does not hold the schema")

# A word in any letter case is valid; a misspelt one gets a message that names the words.
WORD_FIELDS = (("default", None, "level"), ("default", None, "type"), ("subsystems", 0, "level"),
               ("subsystems", 0, "type"), ("subsystems", 0, "effectiveLevel"), ("subsystems", 0, "effectiveType"))
for top, index, field in WORD_FIELDS:
    node = instance_schema["properties"][top]
    node = (node["items"] if index is not None else node)["properties"][field]
    words = node["else"]["enum"]

    def document(word):
        inner = {"name": "Network", field: word} if index is not None else {field: word}
        return {top: [inner] if index is not None else inner}
    for word in words:
        for spelling in (word, word.upper(), word.lower(), word.swapcase()):
            if errors(instances, document(spelling)):
                fail("%s/%s refuses %r: %s" % (top, field, spelling, errors(instances, document(spelling))))
    for wrong in ("Dbg", words[0] + "\n", " " + words[0], words[0][:-1], ""):
        found = errors(instances, document(wrong))
        if len(found) != 1 or not all(repr(word) in found[0] for word in words) or "[" + words[0][0].upper() in found[0]:
            fail("%s/%s: %r gets %s" % (top, field, wrong, found))
days = instance_schema["properties"]["expireLogsAfter"]
if errors(instances, {"expireLogsAfter": days.get("default")}):
    fail("no default day count that editors can offer: %s" % days)

example = yaml.safe_load((ROOT / "docs" / "examples" / "quarn-baseline.dsc.yaml").read_text())
if errors(jsonschema.Draft202012Validator(load(SCHEMAS / "config" / "document.json")), example):
    fail("the example document: %s" % errors(jsonschema.Draft202012Validator(load(SCHEMAS / "config" / "document.json")), example))
baseline = example["resources"][0]["properties"]
if example["resources"][0]["type"] != manifest["type"] or errors(instances, baseline) or errors(configurations, example):
    fail("the example's instance: %s %s" % (errors(instances, baseline), errors(configurations, example)))
broken = copy.deepcopy(example)
broken["resources"][0]["type"] = manifest["type"].lower()
broken["resources"][0]["properties"]["default"]["level"] = "Dbg"
if len(errors(configurations, broken)) != 1:
    fail("the DSC configuration schema does not check the resource's properties: %s" % errors(configurations, broken))

WORK.mkdir(parents=True, exist_ok=True)
try:
    dsc = Dsc(manifest, BUILD / "quarnlogcfg.exe")
    if dsc.schema != instance_schema:
        fail("the schema command prints another schema than the one that ships")
    if errors(jsonschema.Draft202012Validator(load(SCHEMAS / "stdout" / "schema.json")), dsc.schema):
        fail("the schema against DSC's schema of that output")

    def registry():
        path = WORK / "registry.reg"
        win("reg", "export", KEY, winpath(path), "/reg:32", "/y")
        text = path.read_bytes() if path.exists() else b""
        path.unlink(missing_ok=True)
        return text, win(BUILD / "key_times.exe")[1]

    def show():
        return json.loads(win(BUILD / "quarnlogcfg.exe", "show", "--json")[1])

    def clear():
        win("reg", "delete", r"HKLM\SOFTWARE\Brivantex", "/reg:32", "/f")

    def expect_failure(what, code, call, *args, **kwargs):
        """A failing call: the reason as DSC's one error line for it, whatever the exit code."""
        try:
            call(*args, **kwargs)
        except Failure as failure:
            shown = levels(failure.shown, "error")
            if failure.code != code or len(shown) != 1 or what not in shown[0]:
                fail("%s: exit code %d, DSC shows %s" % (what, failure.code, failure.shown))
            return
        fail("%s: no failure" % what)

    clear()
    # Without an instance, with the null device and with a pipe nobody writes to: nothing waits.
    for without in ("null device", "open pipe"):
        state = dsc.get(without=without)
        if state.get("configured") is not False or state.get("subsystems") != []:
            fail("get on an empty machine (%s): %s" % (without, state))
        if len(dsc.export(without)) != 1:
            fail("export does not print one instance (%s)" % without)

    # What-if on an empty machine: the state that set would leave, and nothing written.
    before = registry()
    state, changed, shown = dsc.set(baseline, what_if=True)
    if registry() != before or state.get("configured") is not True or "subsystems" not in changed:
        fail("what-if on an empty machine: %s, changed %s" % (state, changed))
    if not any("nothing was written" in m for m in levels(shown, "info")):
        fail("what-if says nothing: %s" % shown)
    in_state, diff, _, _ = dsc.test(baseline)
    if in_state or not diff:
        fail("test on an empty machine: %s %s" % (in_state, diff))

    state, changed, shown = dsc.set(baseline)
    for name, level in (("Scheduler", "Trace"), ("Reports", "None")):
        if not any(s["name"] == name and s.get("level") == level for s in state["subsystems"]):
            fail("set's state lacks %s %s: %s" % (name, level, state))
    if not changed or not any("written" in m for m in levels(shown, "info")) or levels(shown, "error") + levels(shown, "warn"):
        fail("set's changes and messages: %s %s" % (changed, shown))
    in_state, diff, _, _ = dsc.test(baseline)
    if not in_state or diff:
        fail("test right after set: %s %s" % (in_state, diff))

    # The instance in other letter cases (and a day count with a fraction of zero) on a machine
    # that holds it: in the desired state, with no difference by DSC's exact comparison.
    spelt = {"expireLogsAfter": 30.0, "default": {"type": "warning"},
             "subsystems": [{"name": "scheduler", "level": "trace", "effectiveType": "WARNING"},
                            {"name": "REPORTS", "type": "none"}]}
    in_state, diff, actual, _ = dsc.test(spelt)
    if not in_state or diff:
        fail("test in other spellings: %s %s %s" % (in_state, diff, actual))
    if get_diff(spelt, dsc.get(spelt)):
        fail("get in other spellings differs: %s" % get_diff(spelt, dsc.get(spelt)))
    before = registry()
    _, changed, shown = dsc.set(spelt)
    if registry() != before or changed or not any("nothing to change" in m for m in levels(shown, "info")):
        fail("set in other spellings wrote or changed: %s %s" % (changed, shown))

    # Another program's change: out of the desired state; what-if tells and writes nothing.
    win("reg", "add", KEY + r"\Scheduler", "/v", "LogLevel", "/d", "Dbg", "/reg:32", "/f")
    win("reg", "add", KEY + r"\Other", "/v", "LogType", "/d", "Warning", "/reg:32", "/f")
    in_state, diff, _, _ = dsc.test(baseline)
    if in_state or diff != ["subsystems"]:
        fail("test after another program's change: %s %s" % (in_state, diff))
    before = registry()
    state, changed, shown = dsc.set(baseline, what_if=True)
    if registry() != before or state["subsystems"][0]["level"] != "Trace" or changed != ["subsystems"]:
        fail("what-if's state: %s %s" % (state, changed))
    if not any("would be set to Trace" in m for m in levels(shown, "info")):
        fail("what-if's messages: %s" % shown)

    # Messages in UTF-8 whatever the code page, shown at their level: what was written as info,
    # a key left out as a warning, refusals and failures as one error line each.
    _, _, shown = dsc.set({"subsystems": [{"name": "Café", "level": "Debug"}]})
    if not any("Café: created" in m for m in levels(shown, "info")):
        fail("a name beyond ASCII on standard error: %s" % shown)
    win("reg", "add", KEY + "\\日志", "/reg:32", "/f", env=dict(os.environ, LC_ALL="C.UTF-8"))
    dsc.messages = []
    dsc.get()
    if not any("日志" in m and "left out" in m for m in levels(dsc.messages, "warn")):
        fail("a key beyond the code page: %s" % dsc.messages)
    win("reg", "delete", KEY + "\\日志", "/reg:32", "/f", env=dict(os.environ, LC_ALL="C.UTF-8"))
    expect_failure("longer than", 2, dsc.set, {"subsystems": [{"name": "N" * 33}]})

    # Export, then set on a cleared machine, gives the same configuration.
    shown_before = show()
    exported = dsc.export()
    clear()
    dsc.set(exported[0])
    if show() != shown_before:
        fail("export then set on a cleared machine: %s against %s" % (show(), shown_before))

    # A set that the registry refuses says so in DSC's error line (Wine cannot refuse a write
    # for want of rights; a key below a volatile one cannot be created either).
    clear()
    if win(BUILD / "volatile_key.exe")[0] != 0:
        fail("no volatile key to test with")
    expect_failure("cannot be created", 3, dsc.set, {"subsystems": [{"name": "Network"}]})
    clear()

    # ---- the schema against import's own checks ----------------------------------------------
    corpus = WORK / "corpus.jsonl"
    corpus.unlink(missing_ok=True)
    env = dict(os.environ, QUARN_CLI_CORPUS=winpath(corpus), QUARN_CLI_CASES="1500")
    code, out, err = win(BUILD / "test_cli_properties.exe",
                         "--gtest_filter=CommandLineProperties.AnyDocument*", env=env)
    if code != 0:
        fail("the document generator: %s%s" % (out[-2000:], err))
    # What no schema of a document can state: what depends on the machine (its code page, the
    # subsystems it has, to which the rules of new names apply), a name given twice in another
    # letter case, an effective field against what it follows, and the JSON text itself (a
    # field given twice, nesting, syntax).
    beyond = ("not JSON", "given twice", "nested deeper", "is given before", "contradicts",
              "ANSI code page", "longer than", "control character")
    checked = accepted = 0
    for line in corpus.read_text(encoding="utf-8").splitlines():
        case = json.loads(line)
        try:
            text = bytes.fromhex(case["hex"]).decode("utf-8")
            pairs = []
            document = json.loads(text, object_pairs_hook=lambda p: pairs.append(len(p) != len({k for k, _ in p})) or dict(p))
        except (UnicodeDecodeError, ValueError, RecursionError):
            continue
        if any(pairs):
            continue
        checked += 1
        valid = not errors(instances, document)
        if case["code"] == 0:
            accepted += 1
            if not valid:
                fail("import accepts what the schema refuses: %s: %s" % (text[:300], errors(instances, document)))
        elif valid and not any(reason in case["error"] for reason in beyond):
            fail("the schema accepts what import refuses: %s: %s" % (text[:300], case["error"]))
    if checked < 500 or accepted < 150:
        fail("too few documents compared: %d, %d accepted" % (checked, accepted))
    print("DSC tests passed (%d documents compared with the schema, %d accepted)" % (checked, accepted))
finally:
    subprocess.run(["/usr/lib/wine/wineserver64", "-k"], env=dict(os.environ, WINEPREFIX=str(PREFIX)),
                   capture_output=True)
