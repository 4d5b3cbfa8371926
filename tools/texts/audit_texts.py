#!/usr/bin/env python3
"""Audit of the program's own texts.

Collects every string literal of the sources that holds a Cyrillic letter or reads as an
English sentence (what the program shows the user: captions, messages, hints) and checks
them: no Russian words or letters, none of the misspellings met before, no English
sentence, and a step named in a message is named as the step list shows it.

    tools/texts/audit_texts.py [REPOSITORY]          # check; exit status 1 on a finding
    tools/texts/audit_texts.py --list [REPOSITORY]   # print every collected text

Names that stored files rely on (tables, columns, indicators, file names, captions stored in
the catalogue) are not texts of the program and are kept as they are: ALLOWED lists the
literals that look wrong to the rules but must stay, each with its reason.
"""

import os
import re
import sys

SOURCE_FOLDERS = ["app", "catalogue", "common", "steps", "office", "map", "widgets", "tools"]
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

LITERAL = re.compile(r'"((?:[^"\\\n]|\\.)*)"')

# Literals that look wrong to the rules and stay: (file ending, literal part, reason).
ALLOWED = [
    ("SoilCodes.cpp", "э  -", "the texture letter \"э\" is part of stored soil codes"),
]


def step_names(root):
    """The step names of the step list: the valuation model's captions (valuation/Names.cpp,
    StepCaption), which the catalogue's StepEntries shows."""
    path = os.path.join(root, "valuation", "Names.cpp")
    text = open(path, encoding="utf-8").read()
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
    for number, line in enumerate(open(path, encoding="utf-8"), 1):
        stripped = line.strip()
        if stripped.startswith("//") or stripped.startswith("*") or stripped.startswith("/*"):
            continue
        if stripped.startswith("#include"):
            continue
        for match in LITERAL.finditer(line):
            text = match.group(1)
            if re.search(r"[А-Яа-яІіЇїЄєҐґ]", text) or ENGLISH_SENTENCE.match(text):
                yield number, text


def allowed(path, text):
    return any(path.endswith(f) and part in text for f, part, _ in ALLOWED)


def findings(root):
    steps = step_names(root)
    for path in sources(root):
        rel = os.path.relpath(path, root)
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
