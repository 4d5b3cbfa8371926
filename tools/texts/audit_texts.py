#!/usr/bin/env python3
"""Audit of the program's own texts.

Collects every string literal of the sources that holds a Cyrillic letter or reads as an
English sentence or phrase (what the program shows the user: captions, messages, hints) and
checks them: no Russian words or letters, none of the misspellings met before, no English
sentence or phrase, and a step named in a message is named as the step list shows it.

The engines under the program (SQLite, libzip, pugixml, GDAL, Qt's and the system's file
errors) report in English; their texts reach the user only through UkrainianEngineMessage
(common/EngineMessages.h, also as ShortEngineDetail) or SqliteMessage (db/SqliteMessage.h). A read of such a text
outside them is a finding.

    tools/texts/audit_texts.py [REPOSITORY]          # check; exit status 1 on a finding
    tools/texts/audit_texts.py --list [REPOSITORY]   # print every collected text

Names that stored files rely on (tables, columns, indicators, file names, captions stored in
the catalogue) are not texts of the program and are kept as they are: ALLOWED lists the
literals that look wrong to the rules but must stay, each with its reason.
"""

import os
import re
import sys

SOURCE_FOLDERS = ["app", "catalogue", "common", "db", "gis", "map", "office", "steps", "valuation",
                  "widgets", "tools"]
EXTENSIONS = (".cpp", ".h")

# Letters Ukrainian does not have.
RUSSIAN_LETTERS = re.compile(r"[ЫыЭэЪъЁё]")

# Russian words and misspellings met in the program's texts, as whole words (any case).
WRONG_WORDS = {
    # Russian
    "ошибка": "Помилка", "внимание": "Увага", "информация": "Інформація",
    "подтверждение": "Підтвердження", "найден": "знайдено", "обнаружен": "знайдено",
    "добавить": "Додати", "удалить": "Вилучити", "редактировать": "Редагувати",
    "отсортировать": "Сортувати", "возрастанию": "зростанням", "нет": "немає",
    "проверка": "Перевірка", "создание": "Створення", "прервано": "Перервано",
    "пользователем": "користувачем", "нахождения": "пошуку", "листа": "аркуша",
    "количество": "Кількість", "недостаточно": "Бракує", "памяти": "пам'яті",
    "имеет": "має", "невозможно": "неможливо", "программы": "програми",
    "папке": "папці", "папцы": "папці", "далее": "далі", "или": "або",
    "установить": "Встановити", "сейчас": "зараз", "доступны": "доступні",
    "песчаный": "піщаний", "супесчаный": "супіщаний",
    # misspellings
    "зберігти": "Зберегти", "попереждення": "Попередження", "перерухувати": "Перерахувати",
    "варість": "вартість", "земли": "землі", "урухуванням": "урахуванням",
    "бажаете": "бажаєте", "вибран": "вибрано", "заповнен": "заповнено",
    "найменьший": "найменший", "зменьшити": "Зменшити", "перегрузіть": "Перезавантажте",
    "адмінстратівна": "адміністративна", "матеріати": "матеріали", "зайдено": "знайдено",
    "раніш": "раніше", "середноь": "Середній", "і'мя": "Ім'я", "зробить": "Зробіть",
    "найкращій": "найкращий",
}
WORD = re.compile(r"[A-Za-zА-Яа-яІіЇїЄєҐґ'’ʼ]+")

# "меню \"X\"", "крок \"X\"", "кроці \"X\"", "(\"X\")": X must be a step of the step list.
STEP_REFERENCE = re.compile(r'(?:меню|крок|кроку|кроці|\()\s*\\"([^"\\]+)\\"')

# A literal that reads as an English sentence: three words or more, ending with a point.
ENGLISH_SENTENCE = re.compile(r"^[A-Z][a-z]+(?:[ ,'][A-Za-z.()-]+){2,}\.$")

# A literal that reads as an English phrase a message would carry ("not FileExists(",
# "Connection is not open"): two words or more, one of them a word of English grammar.
ENGLISH_WORDS = {"not", "is", "are", "was", "the", "of", "to", "must", "cannot", "can't",
                 "no", "failed", "error", "unable", "could", "be", "does", "exists", "found",
                 "open", "invalid", "missing", "wrong", "such"}
ENGLISH_NOISE = re.compile(r"[<>=]|\b(?:SELECT|FROM|INSERT|CREATE|UPDATE|DELETE|PRAGMA|ALTER|"
                           r"TABLE|WHERE|JOIN|ORDER BY|INTEGER|nvarchar|varying)\b|--|tamberon")

# Reads of an engine's own (English) text; each must be inside UkrainianEngineMessage(...) or
# SqliteMessage(...) in the same statement.
ENGINE_TEXT = re.compile(r"\b(?:sqlite3_errmsg|sqlite3_errstr|CPLGetLastErrorMsg|zip_strerror|"
                         r"zip_error_strerror|zip_file_strerror|strerror|qt_error_string)\s*\(|"
                         r"\berrorString\s*\(\s*\)|\bresult\.description\s*\(\s*\)")
ENGINE_WRAPPERS = ("UkrainianEngineMessage(", "ShortEngineDetail(", "SqliteMessage(")
# The translation tables themselves hold the English texts they translate.
TRANSLATION_FILES = ("common/EngineMessages.cpp", "db/SqliteMessage.h", "map/GeometryRepair.cpp")

LITERAL = re.compile(r'"((?:[^"\\\n]|\\.)*)"')

# Literals that look wrong to the rules and stay: (file ending, literal part, reason).
ALLOWED = [
    ("SoilCodes.cpp", "э  -", "the texture letter \"э\" is part of stored soil codes"),
]


def read(path):
    with open(path, encoding="utf-8") as f:
        return f.read()


def step_names(root):
    """The step names of the step list: the valuation model's captions (valuation/StepNames.cpp,
    StepCaption), which the catalogue's StepEntries shows."""
    path = os.path.join(root, "valuation", "StepNames.cpp")
    text = read(path)
    body = text[text.index("QString StepCaption(Step step)"):]
    body = body[:body.index("\n}\n")]
    return set(re.findall(r'QStringLiteral\("([^"]+)"\)', body))


def sources(root):
    for folder in SOURCE_FOLDERS:
        for base, _, files in os.walk(os.path.join(root, folder)):
            if "texts" in base.split(os.sep):
                continue
            for name in sorted(files):
                if name.endswith(EXTENSIONS):
                    yield os.path.join(base, name)


def literals(path):
    """(line number, literal) of every literal worth a look: Cyrillic or an English sentence."""
    for number, line in enumerate(read(path).split("\n"), 1):
        stripped = line.strip()
        if stripped.startswith("//") or stripped.startswith("*") or stripped.startswith("/*"):
            continue
        if stripped.startswith("#include"):
            continue
        for match in LITERAL.finditer(line):
            text = match.group(1)
            if (re.search(r"[А-Яа-яІіЇїЄєҐґ]", text) or ENGLISH_SENTENCE.match(text) or
                    english_phrase(text)):
                yield number, text


def english_phrase(text):
    if not text.isascii() or ENGLISH_NOISE.search(text):
        return False
    words = [t.rstrip(".,:;!?(") for t in text.split()]
    words = [w for w in words if re.fullmatch(r"[A-Za-z][A-Za-z']*", w)]
    # Upper-case words are SQL or names, not prose.
    return len(words) >= 2 and any(w in ENGLISH_WORDS or w.lower() in ENGLISH_WORDS and
                                   w[1:].islower() for w in words)


def code_only(source):
    """The source with comments blanked (line breaks kept) and literals emptied."""
    out = re.sub(r"/\*.*?\*/", lambda m: re.sub(r"[^\n]", " ", m.group(0)), source, flags=re.S)
    out = re.sub(r'"(?:[^"\\\n]|\\.)*"', '""', out)
    return re.sub(r"//[^\n]*", "", out)


def unwrapped_engine_texts(path):
    """(line number, call) of each engine text read outside the Ukrainian wrappers."""
    code = code_only(read(path))
    for match in ENGINE_TEXT.finditer(code):
        start = max(code.rfind(";", 0, match.start()), code.rfind("{", 0, match.start()),
                    code.rfind("}", 0, match.start()))
        if not any(w in code[start + 1:match.end()] for w in ENGINE_WRAPPERS):
            yield code.count("\n", 0, match.start()) + 1, match.group(0)


def allowed(path, text):
    return any(path.endswith(f) and part in text for f, part, _ in ALLOWED)


def findings(root):
    steps = step_names(root)
    for path in sources(root):
        rel = os.path.relpath(path, root)
        translation = rel.replace(os.sep, "/") in TRANSLATION_FILES
        # The build's own tools speak to the developer.
        developer_tool = rel.startswith("tools" + os.sep)
        if not translation:
            for number, call in unwrapped_engine_texts(path):
                yield (f"{rel}:{number}: {call} reaches the user in English: pass it through "
                       f"UkrainianEngineMessage")
        for number, text in literals(path):
            if allowed(path, text):
                continue
            where = f"{rel}:{number}: \"{text}\""
            if RUSSIAN_LETTERS.search(text):
                yield f"{where}: a letter Ukrainian does not have"
            for word in WORD.findall(re.sub(r"\\[rnt\"\\]", " ", text)):
                key = word.lower().replace("’", "'").replace("ʼ", "'")
                if key in WRONG_WORDS:
                    yield f"{where}: \"{word}\" should read \"{WRONG_WORDS[key]}\""
            for step in STEP_REFERENCE.findall(text):
                if step not in steps:
                    yield f"{where}: the step list has no step \"{step}\""
            if ENGLISH_SENTENCE.match(text):
                yield f"{where}: an English sentence"
            elif english_phrase(text) and not translation and not developer_tool:
                yield f"{where}: an English phrase"


def main(argv):
    listing = "--list" in argv
    args = [a for a in argv[1:] if a != "--list"]
    root = os.path.abspath(args[0] if args else os.path.join(os.path.dirname(__file__), "..", ".."))
    if listing:
        for path in sources(root):
            for number, text in literals(path):
                print(f"{os.path.relpath(path, root)}:{number}: {text}")
        return 0
    found = list(findings(root))
    for line in found:
        print(line)
    if found:
        print(f"{len(found)} text(s) to correct", file=sys.stderr)
        return 1
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
