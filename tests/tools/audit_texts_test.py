#!/usr/bin/env python3
"""The texts audit finds what it is meant to find in a small made-up source tree."""

import os
import sys
import tempfile
import unittest

sys.path.insert(0, os.path.join(os.path.dirname(__file__), "..", "..", "tools", "texts"))
import audit_texts  # noqa: E402

NAMES = 'QString StepCaption(Step step) {\n    return QStringLiteral("Визначення площ");\n}\n'

SOURCE = r'''
void f() {
    a = QStringLiteral("not FileExists(") + path;          // an engine-like English phrase
    b = QStringLiteral("Файл не найден.");                  // Russian
    c = QStringLiteral("Зробіть це в кроці \"Вирахування площ\".");
    d = QString::fromUtf8(sqlite3_errmsg(db));              // English engine text
    e = UkrainianEngineMessage(
        file.errorString());                                // passed through: fine
    g = QStringLiteral("SELECT * FROM зони WHERE id=0");    // SQL: fine
    h = QStringLiteral("ACT_PROJ_OPEN");                    // a name: fine
    // sqlite3_errmsg(db) in a comment is fine
}
'''


class AuditTest(unittest.TestCase):
    def test_findings(self):
        with tempfile.TemporaryDirectory() as root:
            os.makedirs(os.path.join(root, "valuation"))
            os.makedirs(os.path.join(root, "steps"))
            with open(os.path.join(root, "valuation", "StepNames.cpp"), "w", encoding="utf-8") as f:
                f.write(NAMES)
            with open(os.path.join(root, "steps", "A.cpp"), "w", encoding="utf-8") as f:
                f.write(SOURCE)
            found = list(audit_texts.findings(root))
        text = "\n".join(found)
        self.assertIn('"not FileExists(": an English phrase', text)
        self.assertIn('"найден" should read "знайдено"', text)
        self.assertIn('the step list has no step "Вирахування площ"', text)
        self.assertIn("A.cpp:6: sqlite3_errmsg( reaches the user in English", text)
        self.assertEqual(len(found), 4, text)


if __name__ == "__main__":
    unittest.main()
