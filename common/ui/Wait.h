#pragma once

#include "common/JobProgress.h"

#include <QDialog>
#include <functional>

class QLabel;
class QProgressBar;
class QPushButton;

/**
 * The progress window of office jobs: borderless, 388 x 83, an information line, a bar
 * with the counter "N з M" and the "Стоп" button. The job runs on the user-interface
 * thread 10 ms after the window is shown; its outcome is announced through the messages
 * seam and the window closes.
 */
class TFormWait final : public QDialog, public JobProgress {
    Q_OBJECT
public:
    enum Mode { NoMode = 0, WordMode = 1, ExcelMode = 2 };
    using Job = std::function<void(TMessages& messages)>;

    explicit TFormWait(QWidget* parent = nullptr);

    /** Resets the window for a job: bar at 0 of 100, counter shown, "Стоп" disabled. */
    void StartJob(int mode, bool announce, const QString& closingInfo);
    /** The work to run when the window shows. */
    void setJob(Job job);
    void setOutputPath(const QString& path) { m_outputPath = path; }
    /** Shows the window modally, runs the job and returns when the window has closed. */
    int runModal();
    /**
     * Shows the window for work driven from outside (no job of its own, nothing announced):
     * the information line, the bar, "Стоп" enabled. EndOutsideWork() hides it again.
     */
    void BeginOutsideWork(const QString& info);
    void EndOutsideWork();

    bool StopRequested() const { return m_stopRequested; }
    /** The job's error text ("" when it succeeded). */
    QString ErrorText() const { return m_messages.Error; }
    /** The job's outcome as the fill procedure left it. */
    const TMessages& Result() const { return m_messages; }
    /** The text that was announced (error box, warning or closing information). */
    QString ResultText() const { return m_resultText; }

    // JobProgress
    void setProgress(int maximum, int position) override;
    void stepProgress() override;
    void showProgressBar(bool visible) override;
    void setInfo(const QString& text) override;
    void enableStop(bool enabled) override;
    bool stopRequested() const override { return m_stopRequested; }
    void processEvents() override;
    QString outputPath() const override { return m_outputPath; }

    QPushButton* stopButton() const { return m_stop; }
    QLabel* infoLabel() const { return m_info; }
    QProgressBar* progressBar() const { return m_bar; }
    QLabel* counterLabel() const { return m_counter; }

protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void reject() override;

private:
    void runJob();
    void announce();
    void updateCounter();

    QLabel* m_info = nullptr;
    QProgressBar* m_bar = nullptr;
    QLabel* m_counter = nullptr;
    QPushButton* m_stop = nullptr;

    int m_mode = NoMode;
    bool m_announce = true;
    QString m_closingInfo;
    QString m_caption;
    QString m_outputPath;
    Job m_job;
    TMessages m_messages;
    QString m_resultText;
    bool m_stopRequested = false;
    bool m_started = false;
    bool m_finished = false;
    int m_maximum = 100;
    int m_position = 0;
};

/** The one progress window of the program. */
TFormWait& FormWait();
