#pragma once

#include "common/Messages.h"
#include "common/Shell.h"

#include <QString>
#include <QStringList>
#include <QTemporaryDir>
#include <deque>
#include <vector>

/** One message the program showed. */
struct RecordedMessage {
    QString kind; // "error", "warning", "info", "confirm", "balloon"
    QString caption;
    QString text;
    int balloonKind = -1;
    QObject* control = nullptr;
};

/** Records every message and answers questions from a script (Cancel when it runs out). */
class RecordingMessages final : public Messages {
public:
    RecordingMessages();
    ~RecordingMessages() override;

    void error(const QString& caption, const QString& text) override;
    void warning(const QString& text) override;
    void info(const QString& text) override;
    Answer confirm(const QString& text, Buttons buttons) override;
    void balloon(const QString& title, const QString& text, int kind, QObject* control) override;
    void beep() override { ++beeps; }

    /** Queues answers for the next questions. */
    void answer(std::initializer_list<Answer> answers);
    /** Texts of the recorded messages of one kind ("" for all). */
    QStringList texts(const QString& kind = QString()) const;
    const RecordedMessage& last() const { return messages.back(); }
    void clear();

    std::vector<RecordedMessage> messages;
    std::deque<Answer> answers;
    std::vector<Buttons> askedButtons;
    int beeps = 0;

private:
    Messages* m_previous = nullptr;
};

/** Records opened paths and started programs instead of running them. */
class RecordingShell final : public Shell {
public:
    RecordingShell();
    ~RecordingShell() override;
    int open(const QString& path) override;
    bool run(const QString& program, const QStringList& arguments, bool minimised,
             bool wait) override;

    QStringList opened;
    QStringList started;
    int openResult = 42;

private:
    Shell* m_previous = nullptr;
};

/** A temporary program folder; GlobalVar points at it while the object lives. */
class TempAppDir {
public:
    /** With `shipped`, copies the built program folder's databases and templates in. */
    explicit TempAppDir(bool shipped = false);
    ~TempAppDir();
    QString path() const { return m_dir.path(); }
    QString file(const QString& relative) const;

private:
    QTemporaryDir m_dir;
    QString m_previousAppDir;
};

/** Copies a folder with its subfolders (test fixtures). */
void CopyTree(const QString& from, const QString& to);
/** Writes a text file (UTF-8), creating its folder. */
void WriteTextFile(const QString& path, const QString& text);
QString ReadTextFile(const QString& path);
/** The folder of the built program (from TAMBERON_APPDIR). */
QString BuiltAppDir();
/**
 * A working copy of the built program folder in `target` (the program, the catalogue,
 * settings and templates; with `projects` also "Проекти"), so a test that runs the program
 * never writes into the folder the build made. Returns the program's path; "" when the
 * program is not built.
 */
QString CopyBuiltProgram(const QString& target, bool projects = false);
/**
 * A copy of the built program folder's data in `target`, as an installation ships it in
 * share/tamberon: the catalogue, settings, documents, templates and projects, without the
 * programs. False when the program folder is not built.
 */
bool CopyBuiltData(const QString& target);
/**
 * A copy of the built demonstration settlement's files in `folder` ("с. Демонстраційне" in
 * it); "" when the program folder is not built.
 */
QString CopyDemoSettlement(const QString& folder);

/**
 * The path of LibreOffice's soffice, or "" when it is not installed (a conversion test skips
 * then). Where TAMBERON_REQUIRE_LIBREOFFICE is set, as CI sets it, a missing soffice also fails
 * the calling test.
 */
QString Soffice();
/**
 * Converts a document or workbook to PDF in `outDir` with LibreOffice (its profile kept in
 * `outDir`, so conversions may run side by side); "" or what went wrong.
 */
QString ConvertToPdf(const QString& file, const QString& outDir);

/** The exit status of a test run in which every test that ran was skipped (CTest: skipped). */
constexpr int kAllSkippedStatus = 77;
/**
 * Runs the tests after testing::InitGoogleTest: RUN_ALL_TESTS's status, or kAllSkippedStatus
 * when nothing failed and nothing passed because every test skipped.
 */
int RunTests();
