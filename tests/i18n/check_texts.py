#!/usr/bin/env python3
"""The program's texts in two languages: every text of the code is in the English catalogue with
a finished translation, and no Chinese text a user reads bypasses the translating calls.

check_texts.py ROOT LUPDATE: runs lupdate over the sources into a copy of the catalogue (so that a
text added to the code and not to the catalogue shows as unfinished) and scans the sources."""
import os
import re
import shutil
import subprocess
import sys
import tempfile
import xml.etree.ElementTree as ET

ROOT, LUPDATE = sys.argv[1], sys.argv[2]
CATALOGUE = os.path.join(ROOT, "translations", "verdanix_en.ts")
OPTIONS = ["-locations", "none", "-no-obsolete", "-source-language", "zh_CN", "-target-language", "en",
           "-tr-function-alias", "translate+=Translate,translate+=TranslateUtf16"]

# Chinese texts that are not the interface's: names written into the user's files that programs
# may rely on, the demo's data (and the workbook's own XML), font names, the spreadsheet's own
# format code.
KEPT = {"文档ID", "附件", "RTF域图片", "_未保存的文件.txt", "文档%1-%2", "域%1-%2", "所有文档", "宋体",
        "G/通用格式", "^RTF域图片\\\\d+\\\\.(gif|jpg)$"}
DATA_FILES = ("tools/nsftool/Demo.cpp", "tools/nsftool/Demo.h", "tools/nsftool/DemoFiles.cpp",
              "src/xls/XlsxParts.cpp")
CJK = re.compile(r"[\u4e00-\u9fff\u3000-\u303f\uff00-\uffef]")
LITERAL = r'(?:u8|u|U|L)?"(?:[^"\\\n]|\\.)*"'
CALL = re.compile(r"\b(?:tr|translate|Translate|TranslateUtf16|QT_TRANSLATE_NOOP)\s*\(\s*(?:"
                  + LITERAL + r"\s*,\s*)?(?:" + LITERAL + r"\s*)+")


def sources():
    for folder in ("src", "tools"):
        for base, _, names in os.walk(os.path.join(ROOT, folder)):
            for name in names:
                if name.endswith((".cpp", ".h")):
                    yield os.path.join(base, name)


def strip_comments(text):
    out, i = [], 0
    for m in re.finditer(LITERAL + r"|R\"\((?:.|\n)*?\)\"|//[^\n]*|/\*(?:.|\n)*?\*/|'(?:[^'\\\n]|\\.)*'", text):
        out.append(text[i:m.start()])
        token = m.group(0)
        out.append("" if token.startswith(("//", "/*")) else token)
        i = m.end()
    out.append(text[i:])
    return "".join(out)


def bypassing(path):
    relative = os.path.relpath(path, ROOT).replace(os.sep, "/")
    if relative in DATA_FILES:
        return []
    text = CALL.sub("", strip_comments(open(path, encoding="utf-8").read()))
    found = []
    for m in re.finditer(LITERAL, text):
        body = re.sub(r'^(?:u8|u|U|L)?"|"$', "", m.group(0))
        if CJK.search(body) and body not in KEPT:
            found.append(f"{relative}: {body}")
    return found


def unfinished():
    with tempfile.TemporaryDirectory() as work:
        copy = os.path.join(work, "verdanix_en.ts")
        shutil.copy(CATALOGUE, copy)
        subprocess.run([LUPDATE, "-silent", *OPTIONS, "-I", os.path.join(ROOT, "src"), *sources(), "-ts", copy],
                       check=True, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        problems = []
        for context in ET.parse(copy).getroot().iter("context"):
            for message in context.iter("message"):
                source = message.findtext("source")
                translation = message.find("translation")
                if translation is None or translation.get("type") or not (translation.text or "").strip():
                    problems.append(f"{context.findtext('name')}: {source}")
        return problems


def main():
    problems = [f"not translated: {p}" for p in unfinished()]
    for path in sorted(sources()):
        problems += [f"not through a translating call: {p}" for p in bypassing(path)]
    for problem in problems:
        print(problem)
    print(f"{0 if problems else 1} passed, {1 if problems else 0} failed")
    return 1 if problems else 0


if __name__ == "__main__":
    sys.exit(main())
