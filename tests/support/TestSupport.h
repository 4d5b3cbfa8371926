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
