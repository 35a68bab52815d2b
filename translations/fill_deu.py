#!/usr/bin/env python3
"""Refreshes the German catalogue from the sources and fills it from the dictionary.

Run from the repository root:

    translations/fill_deu.py            lupdate, apply translations/quillon_deu_dict.json,
                                        list what is still untranslated (exit status 1 then)
    translations/fill_deu.py --seed     first take every finished translation of the .ts
                                        into the dictionary (after translating in Linguist)
    translations/fill_deu.py --check    the same on a copy, writing nothing: exit status 1
                                        when a text of the sources has no German (a test)

Texts reach the pack through these doors, and lupdate alone sees only the first:
  * tr() in Q_OBJECT classes and QT_TRANSLATE_NOOP / QCoreApplication::translate with a
    literal context;
  * tr(), a helper or translate() given a named text constant (`tr(kSomeText)`) - in the
    copies fed to lupdate the constant is spelled out, so the text lands in the context the
    call looks it up in, not only in "Messages";
  * file-local helpers `QString tx(const char* text) { return
    QCoreApplication::translate(<context>, text); }` - copies of those files with every
    tx("...") spelled as QT_TRANSLATE_NOOP("<context>", "...") are fed to lupdate instead;
  * the English texts the Qt-free layers hand to the Prompter, which QtPrompter looks up in
    the context "Messages" - collected here from the prompter calls, the text constants and
    the templates of assembled messages (`PromptText("... %1 ...")`, `PromptText(kSomeText)`),
    and fed to lupdate as a generated file;
  * the texts our plug-in servers hand over in English, marked QUILLON_TEXT("<context>",
    "...") (include/quillon/plugin_text.h), and the parts of their effect menu lines,
    marked QUILLON_MENU("...") and looked up part by part in "Effects" - collected here
    into the same generated file.
So every context in the .ts is the one the program asks for at run time.
"""
import json
import os
import re
import shutil
import subprocess
import sys
import tempfile
import xml.etree.ElementTree as ET

TS = "translations/quillon_deu.ts"
DICT = "translations/quillon_deu_dict.json"
# What the language pack covers: the program's dialogs and menus, the cover printer, the
# servers; the Qt-free layers only through the Prompter.
SCAN_DIRS = ["src/ui", "src/app", "quillon-cover", "servers"]
MESSAGE_DIRS = ["src/base", "src/plugins", "src/model", "src/engine", "src/cd", "src/ui", "src/app", "burner"]
SOURCE_EXT = (".cpp", ".h")

STRING = r'"(?:[^"\\\n]|\\.)*"'
LITERALS = r'%s(?:\s*%s)*' % (STRING, STRING)
HELPER = re.compile(r'QString\s+(\w+)\s*\(\s*const\s+char\s*\*\s*\w+\s*\)\s*\{\s*return\s+'
                    r'QCoreApplication::translate\(\s*(%s|\w+)\s*,' % STRING)
PROMPT_CALL = re.compile(r'\b(?:showMessage|askOkCancel|askYesNo|job\.setTitle|phase)\(\s*(%s|(?:\w+::)*\w+)\s*[,)]' % LITERALS)
TEXT_CONSTANT = re.compile(r'constexpr\s+(?:const\s+)?char\s*(?:\*\s*(?:const\s+)?)?(k\w+)\s*(?:\[\])?\s*=\s*'
                           r'(%s)\s*;' % LITERALS)
PROMPT_TEXT = re.compile(r'\bPromptText\(\s*(%s|(?:\w+::)*k\w+)\s*\)' % LITERALS)
SERVER_TEXT = re.compile(r'\bQUILLON_TEXT\(\s*(%s)\s*,\s*(%s)\s*\)' % (STRING, LITERALS))
SERVER_MENU = re.compile(r'\bQUILLON_MENU\(\s*(%s)\s*\)' % LITERALS)
# The menu keywords the host shows as texts of its own (also marked), and the separator.
MENU_KEYWORDS = {"VOLUME", "TOOLS", "EFFECTS", "ENHANCEMENT", "SEPARATOR"}
# Where server texts are marked: the servers and the host's menu builder.
SERVER_TEXT_DIRS = ["servers", "src/plugins"]
MESSAGE_NAME = re.compile(r'k\w*(Text|Message|Question|Error|Format|Title)$')
# Named like a message but never shown: the marker the project files begin with.
NOT_MESSAGES = {"kHeaderText"}


def read(path):
    with open(path, encoding="utf-8") as f:
        return f.read()


def source_files(dirs):
    for top in dirs:
        for root, _, files in os.walk(top):
            for name in sorted(files):
                if name.endswith(SOURCE_EXT):
                    yield os.path.join(root, name)


def text_constants(dirs):
    """Every text constant of the sources: name -> the set of literals it is given."""
    constants = {}
    for path in source_files(dirs):
        for name, value in TEXT_CONSTANT.findall(read(path)):
            constants.setdefault(name, set()).add(value)
    return constants


def constant_rewrite(text, constants, helpers):
    """The file with text constants handed to tr(), a helper or translate() spelled out."""
    local = {name: value for name, value in TEXT_CONSTANT.findall(text)}

    def literal(qualified):
        name = qualified.split("::")[-1]
        if name in local:
            return local[name]
        values = constants.get(name, ())
        # A name given different texts in different files is left alone rather than guessed.
        return next(iter(values)) if len(values) == 1 else None

    def spell(m):
        value = literal(m.group(2))
        return m.group(1) + value + m.group(3) if value else m.group(0)

    names = "|".join(re.escape(n) for n in ["tr"] + helpers)
    # Lists of texts picked by index or walked by a loop: every text of the list is spelled
    # out beside the call, which lupdate reads for its context only.
    lists = {}
    for m in re.finditer(r'(?:const\s+)?char\s*\*\s*(?:const\s+)?(\w+)\s*(?:\[\s*\w*\s*\]\s*=|:)\s*\{\s*'
                         r'(%s(?:\s*,\s*%s)*)\s*,?\s*\}' % (LITERALS, LITERALS), text):
        lists[m.group(1)] = re.findall(LITERALS, m.group(2))

    def spell_list(m):
        items = lists.get(m.group(3))
        if not items:
            return m.group(0)
        return m.group(0) + "".join('; %s(%s)' % (m.group(2), item) for item in items)

    text = re.sub(r'((?<![\w:.>])(%s)\(\s*)(\w+)(\s*\[[^\]]*\])?\s*\)' % names, spell_list, text)
    text = re.sub(r'((?<![\w:.>])(?:%s)\(\s*)((?:\w+::)*k\w+)(\s*\))' % names, spell, text)
    return re.sub(r'(QCoreApplication::translate\(\s*%s\s*,\s*)((?:\w+::)*k\w+)(\s*[,)])' % STRING, spell, text)


def helper_rewrite(text):
    """The file with its translate helpers spelled for lupdate, or None if it has none."""
    helpers = HELPER.findall(text)
    if not helpers:
        return None
    for name, context in helpers:
        if not context.startswith('"'):
            m = re.search(r'\b%s\s*=\s*(%s)\s*;' % (re.escape(context), STRING), text)
            if not m:
                sys.exit("cannot resolve the context %s of %s()" % (context, name))
            context = m.group(1)
        # Only calls with a literal argument: the definition itself takes `const char*`.
        text = re.sub(r'(?<![\w:.>])%s\(\s*(?=")' % re.escape(name), 'QT_TRANSLATE_NOOP(%s, ' % context, text)
    return text


def message_texts():
    """The English literals the Prompter shows, in the order they are found."""
    constants, used, texts = {}, set(), []
    for path in source_files(MESSAGE_DIRS):
        text = read(path)
        for name, value in TEXT_CONSTANT.findall(text):
            constants.setdefault(name, value)
        for arg in PROMPT_CALL.findall(text) + PROMPT_TEXT.findall(text):
            if arg.startswith('"'):
                texts.append(arg)
            else:
                used.add(arg.split("::")[-1])
    for name, value in constants.items():
        if name in used or (MESSAGE_NAME.match(name) and name not in NOT_MESSAGES):
            texts.append(value)
    seen, unique = set(), []
    for t in texts:
        if t not in seen:
            seen.add(t)
            unique.append(t)
    return unique


def c_value(literals):
    """The text of adjacent C string literals."""
    parts = re.findall(STRING, literals)
    return "".join(bytes(p[1:-1], "utf-8").decode("unicode_escape") for p in parts)


def c_literal(text):
    return json.dumps(text, ensure_ascii=False)


def server_texts():
    """(context, literal) pairs of the texts the servers hand over, in the order found."""
    found = []
    for path in source_files(SERVER_TEXT_DIRS):
        text = read(path)
        for context, literal in SERVER_TEXT.findall(text):
            found.append((context, literal))
        for literals in SERVER_MENU.findall(text):
            for line in c_value(literals).split("\n"):
                path_part = line.split("[")[0].strip()
                for part in path_part.split("\\"):
                    part = part.strip()
                    if part and part not in MENU_KEYWORDS:
                        found.append(('"Effects"', c_literal(part)))
    seen, unique = set(), []
    for item in found:
        if item not in seen:
            seen.add(item)
            unique.append(item)
    return unique


def run_lupdate(ts):
    lupdate = os.environ.get("LUPDATE") or next(
        (p for p in ("/usr/lib/qt6/bin/lupdate", "/usr/bin/lupdate-qt6", "/usr/bin/lupdate") if os.path.exists(p)),
        "lupdate")
    with tempfile.TemporaryDirectory() as tmp:
        files = []
        constants = text_constants(sorted(set(MESSAGE_DIRS + SCAN_DIRS)))
        for i, path in enumerate(source_files(SCAN_DIRS)):
            original = read(path)
            spelled = constant_rewrite(original, constants, [name for name, _ in HELPER.findall(original)])
            rewritten = helper_rewrite(spelled)
            if rewritten is None and spelled != original:
                rewritten = spelled
            if rewritten is None:
                files.append(path)
                continue
            # Same base name, so lupdate still finds the class a .cpp belongs to; includes
            # beside the original are spelled out, as the copy has no neighbours.
            here = os.path.dirname(os.path.abspath(path))
            rewritten = re.sub(r'(#\s*include\s*")([^"/]+)"',
                               lambda m: '%s%s"' % (m.group(1), os.path.join(here, m.group(2)))
                               if os.path.exists(os.path.join(here, m.group(2))) else m.group(0), rewritten)
            copy = os.path.join(tmp, str(i), os.path.basename(path))
            os.makedirs(os.path.dirname(copy))
            with open(copy, "w", encoding="utf-8") as f:
                f.write(rewritten)
            files.append(copy)
        messages = os.path.join(tmp, "prompter_messages.cpp")
        with open(messages, "w", encoding="utf-8") as f:
            for t in message_texts():
                f.write('QT_TRANSLATE_NOOP("Messages", %s);\n' % t)
            for context, t in server_texts():
                f.write('QT_TRANSLATE_NOOP(%s, %s);\n' % (context, t))
        files.append(messages)
        cmd = [lupdate, "-silent", "-no-obsolete", "-locations", "none", "-I", "src", "-I", "."] + files + ["-ts", ts]
        subprocess.run(cmd, check=True)


def entries(root):
    for context in root.iter("context"):
        name = context.findtext("name")
        for message in context.iter("message"):
            yield name, message


def seed(ts, dictionary):
    root = ET.parse(ts).getroot()
    for context, message in entries(root):
        tr = message.find("translation")
        if tr is not None and tr.get("type") is None and tr.text:
            dictionary.setdefault(context, {})[message.findtext("source")] = tr.text


def apply(ts, dictionary):
    tree = ET.parse(ts)
    missing = []
    for context, message in entries(tree.getroot()):
        source = message.findtext("source")
        tr = message.find("translation")
        german = dictionary.get(context, {}).get(source)
        if german:
            tr.text = german
            tr.attrib.pop("type", None)
        elif tr.get("type") is not None or not tr.text:
            missing.append((context, source))
    with open(ts, "w", encoding="utf-8") as f:
        f.write('<?xml version="1.0" encoding="utf-8"?>\n<!DOCTYPE TS>\n')
        f.write(ET.tostring(tree.getroot(), encoding="unicode"))
        f.write("\n")
    return missing


def main(argv):
    dictionary = json.loads(read(DICT)) if os.path.exists(DICT) else {}
    if "--check" in argv:
        with tempfile.TemporaryDirectory() as tmp:
            ts = os.path.join(tmp, os.path.basename(TS))
            shutil.copyfile(TS, ts)
            run_lupdate(ts)
            # Only the .ts counts: a text in the dictionary but not in the .ts is not in the pack.
            missing = apply(ts, {})
    else:
        if "--seed" in argv:
            seed(TS, dictionary)
        run_lupdate(TS)
        missing = apply(TS, dictionary)
        with open(DICT, "w", encoding="utf-8") as f:
            json.dump({c: dict(sorted(m.items())) for c, m in sorted(dictionary.items())}, f,
                      ensure_ascii=False, indent=1)
            f.write("\n")
    for context, source in missing:
        print("untranslated: %s | %s" % (context, json.dumps(source, ensure_ascii=False)))
    print("%d untranslated" % len(missing), file=sys.stderr)
    return 1 if missing else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
