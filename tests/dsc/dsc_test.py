#!/usr/bin/python3
"""quarnlogcfg as a DSC v3 resource, under Wine in a prefix of its own (whose registry it
changes, in the 32-bit view), checked against DSC's published schemas (tests/dsc/schemas):

- the manifest, the example configuration document and the instance schema are valid, and the
  schema the program prints is the one that ships beside it;
- every operation, called as the manifest tells DSC to call it, prints exactly one JSON line
  that fits DSC's schema of that operation's output and the resource's own instance schema:
  get on an empty and a configured machine, test in and out of the desired state, set writing
  only what differs (a second set writes nothing, not even a key's time), what-if leaving the
  registry byte for byte as it was, and export reproduced by set on a cleared machine;
- the instance schema agrees with import: over the documents the command line's property test
  generates, nothing that import accepts is refused by the schema, and nothing that import
  refuses for a reason a schema can state is accepted by it.

    dsc_test.py BUILD_DIR
"""
import json
import os
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
IN_DESIRED_STATE = "https://aka.ms/dsc/schemas/v3/resource/properties/inDesiredState.json"


def fail(message):
    print("FAIL: " + message, file=sys.stderr)
    sys.exit(1)


def run(*args, stdin=b"", env=None):
    """A Windows program under Wine: exit code, standard output and error as text."""
    done = subprocess.run([str(ROOT / "scripts" / "wine-run"), str(PREFIX), *map(str, args)],
                          input=stdin, capture_output=True, env=env)
    return done.returncode, done.stdout.decode("utf-8", "replace"), done.stderr.decode("utf-8", "replace")


def winpath(path):
    return "Z:" + str(path).replace("/", "\\")


def load(path):
    return json.loads(Path(path).read_text(encoding="utf-8"))


def validator(schema, store=None):
    jsonschema.Draft202012Validator.check_schema(schema)
    resolver = jsonschema.RefResolver.from_schema(schema, store=store or {})
    return jsonschema.Draft202012Validator(schema, resolver=resolver)


def errors(validator_, instance):
    return [e.message[:200] for e in validator_.iter_errors(instance)]


manifest_schema = load(SCHEMAS / "manifest.json")
# The canonical property the instance schema refers to, as the bundled manifest schema holds it.
canonical = manifest_schema["$defs"][
    "https://raw.githubusercontent.com/PowerShell/DSC/main/schemas/v3/resource/properties/inDesiredState.json"]
instance_schema = load(BUILD / "quarnlogcfg.schema.json")
instances = validator(instance_schema, {IN_DESIRED_STATE: canonical})
stdout_schemas = {op: validator(load(SCHEMAS / "stdout" / (op + ".json")))
                  for op in ("get", "set", "test", "export", "whatIf", "schema")}

# ---- the files that ship -------------------------------------------------------------------
manifest = load(BUILD / "quarnlogcfg.dsc.resource.json")
if errors(validator(manifest_schema), manifest):
    fail("the manifest: %s" % errors(validator(manifest_schema), manifest))
if manifest["type"] != "Brivantex.Quarns/EventLogging":
    fail("the resource type is %s" % manifest["type"])
example = yaml.safe_load((ROOT / "docs" / "examples" / "quarn-baseline.dsc.yaml").read_text())
if errors(validator(load(SCHEMAS / "config" / "document.json")), example):
    fail("the example document: %s" % errors(validator(load(SCHEMAS / "config" / "document.json")), example))
baseline = example["resources"][0]["properties"]
if example["resources"][0]["type"] != manifest["type"] or errors(instances, baseline):
    fail("the example's instance: %s" % errors(instances, baseline))

WORK.mkdir(parents=True, exist_ok=True)
try:
    code, out, err = run(BUILD / "quarnlogcfg.exe", "schema")
    if code != 0 or json.loads(out) != instance_schema:
        fail("schema prints another schema (%d): %s" % (code, err))
    if errors(stdout_schemas["schema"], json.loads(out)):
        fail("schema's output: %s" % errors(stdout_schemas["schema"], json.loads(out)))

    # ---- the operations, as DSC calls them --------------------------------------------------
    def call(operation, instance):
        """One operation as the manifest says: its state, validated; stderr for messages."""
        method = manifest[operation]
        if method["executable"] != "quarnlogcfg" or method.get("input") != "stdin":
            fail("%s: not quarnlogcfg taking the instance on stdin" % operation)
        code, out, err = run(BUILD / "quarnlogcfg.exe", *method["args"],
                             stdin=json.dumps(instance).encode())
        if code != 0:
            fail("%s of %s ends with %d: %s" % (operation, instance, code, err))
        lines = out.splitlines()
        if len(lines) != 1:
            fail("%s prints %d lines: %r" % (operation, len(lines), out))
        state = json.loads(lines[0])
        for what, found in (("DSC's schema", errors(stdout_schemas[operation], state)),
                            ("the instance schema", errors(instances, state))):
            if found:
                fail("%s's output against %s: %s" % (operation, what, found))
        return state, err

    def registry():
        path = WORK / "registry.reg"
        run("reg", "export", KEY, winpath(path), "/reg:32", "/y")
        text = path.read_bytes() if path.exists() else b""
        path.unlink(missing_ok=True)
        return text, run(BUILD / "key_times.exe")[1]

    def show():
        return json.loads(run(BUILD / "quarnlogcfg.exe", "show", "--json")[1])

    def clear():
        run("reg", "delete", r"HKLM\SOFTWARE\Brivantex", "/reg:32", "/f")

    clear()
    state, _ = call("get", {})
    if state.get("configured") is not False or state.get("subsystems") != []:
        fail("get on an empty machine: %s" % state)
    state, _ = call("test", baseline)
    if state["_inDesiredState"] is not False:
        fail("test on an empty machine: %s" % state)

    state, err = call("set", baseline)
    for name, level in (("Scheduler", "Trace"), ("Reports", "None")):
        if {"name": name, "level": level} not in [{k: s[k] for k in ("name", "level")}
                                                  for s in state["subsystems"]]:
            fail("set's state lacks %s %s: %s" % (name, level, state))
    if "written" not in err:
        fail("set says nothing on standard error: %r" % err)
    state, _ = call("test", baseline)
    if state["_inDesiredState"] is not True:
        fail("test right after set: %s" % state)
    state, _ = call("get", {"subsystems": [{"name": "scheduler", "level": "debug"}, {"name": "New"}]})
    if state != {"configured": True, "subsystems": [{"name": "Scheduler", "level": "Trace"}, {"name": "New"}]}:
        fail("get in the instance's shape: %s" % state)
    before = registry()
    _, err = call("set", baseline)
    if registry() != before or "nothing to change" not in err:
        fail("a second set wrote: %r" % err)

    # Another program's change: out of the desired state; what-if tells and writes nothing.
    run("reg", "add", KEY + r"\Scheduler", "/v", "LogLevel", "/d", "Dbg", "/reg:32", "/f")
    run("reg", "add", KEY + r"\Other", "/v", "LogType", "/d", "Warning", "/reg:32", "/f")
    state, _ = call("test", baseline)
    if state["_inDesiredState"] is not False:
        fail("test after another program's change: %s" % state)
    before = registry()
    state, err = call("whatIf", baseline)
    if registry() != before:
        fail("what-if changed the registry")
    if state["subsystems"][0]["level"] != "Trace" or "would" not in err:
        fail("what-if's state: %s %r" % (state, err))

    # Export, then set on a cleared machine, gives the same configuration.
    shown = show()
    exported, _ = call("export", {})
    clear()
    call("set", exported)
    if show() != shown:
        fail("export then set on a cleared machine: %s against %s" % (show(), shown))

    # ---- the schema against import's own checks ---------------------------------------------
    corpus = WORK / "corpus.jsonl"
    corpus.unlink(missing_ok=True)
    env = dict(os.environ, QUARN_CLI_CORPUS=winpath(corpus), QUARN_CLI_CASES="1500")
    code, out, err = run(BUILD / "test_cli_properties.exe",
                         "--gtest_filter=CommandLineProperties.AnyDocument*", env=env)
    if code != 0:
        fail("the document generator: %s%s" % (out[-2000:], err))
    # What no schema of a document can state: what depends on the machine (its code page, the
    # subsystems it has, to which the rules of new names apply), a name given twice in another
    # letter case, an effective field against what it follows, and the JSON text itself (a
    # field given twice, nesting, syntax).
    beyond = ("not JSON", "given twice", "nested deeper", "is given before", "contradicts",
              "ANSI code page", "longer than", "control character", "begins or ends with a blank")
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
