#include "common/ui/Wait.h"

#include "common/Messages.h"
#include "widgets/ApplicationWindows.h"

#include <QApplication>
#include <QCloseEvent>
#include <QLabel>
#include <QPointer>
#include <QProgressBar>
#include <QPushButton>
#include <QScreen>
#include <QTimer>
#include <exception>

TFormWait::TFormWait(QWidget* parent) : QDialog(parent, Qt::Dialog | Qt::FramelessWindowHint) {
    setObjectName(QStringLiteral("FormWait"));
    setFixedSize(388, 83);
    setModal(true);
    auto* frame = new QFrame(this);
    frame->setFrameShape(QFrame::Box);
    frame->setGeometry(0, 0, 388, 83);

    m_info = new QLabel(this);
    m_info->setObjectName(QStringLiteral("LabelInfo"));
    m_info->setGeometry(12, 8, 364, 20);

    m_bar = new QProgressBar(this);
    m_bar->setObjectName(QStringLiteral("ProgressBar"));
    m_bar->setGeometry(12, 34, 270, 18);
    m_bar->setTextVisible(false);

    m_counter = new QLabel(this);
    m_counter->setObjectName(QStringLiteral("LabelCounter"));
    m_counter->setGeometry(12, 56, 270, 18);

    m_stop = new QPushButton(QStringLiteral("Стоп"), this);
    m_stop->setObjectName(QStringLiteral("BStop"));
    m_stop->setGeometry(296, 32, 80, 26);
    connect(m_stop, &QPushButton::clicked, this, [this] {
        m_stopRequested = true;
        QCoreApplication::processEvents();
    });
    StartJob(NoMode, true, QString());
}

void TFormWait::StartJob(int mode, bool announce, const QString& closingInfo) {
    m_mode = mode;
    m_announce = announce;
    m_closingInfo = closingInfo;
    m_caption.clear();
    m_messages = TMessages();
    m_resultText.clear();
    m_stopRequested = false;
    m_started = false;
    m_finished = false;
    m_info->clear();
    m_stop->setEnabled(false);
    m_bar->setVisible(true);
    m_counter->setVisible(true);
    setProgress(100, 0);
}

void TFormWait::setJob(Job job) {
    m_job = std::move(job);
}

int TFormWait::runModal() {
    if (const QScreen* screen = QGuiApplication::primaryScreen())
        move(screen->availableGeometry().center() - rect().center());
    return exec();
}

void TFormWait::BeginOutsideWork(const QString& info) {
    StartJob(NoMode, false, QString());
    m_started = true; // no job of its own to start when shown
    setInfo(info);
    enableStop(true);
    if (const QScreen* screen = QGuiApplication::primaryScreen())
        move(screen->availableGeometry().center() - rect().center());
    setWindowModality(Qt::ApplicationModal);
    show();
    raise();
}

void TFormWait::EndOutsideWork() {
    m_finished = true;
    hide();
}

void TFormWait::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    if (!m_started) {
        m_started = true;
        QTimer::singleShot(10, this, &TFormWait::runJob);
    }
}

void TFormWait::runJob() {
    if (m_mode == WordMode || m_mode == ExcelMode) {
        const bool word = m_mode == WordMode;
        m_caption = word ? QStringLiteral("Word") : QStringLiteral("Excel");
        showProgressBar(false);
        setInfo(word ? QStringLiteral("Запуск Word...") : QStringLiteral("Запуск Excel..."));
    }
    Job job = std::exchange(m_job, Job());
    try {
        if (job)
            job(m_messages);
    } catch (const std::exception& e) {
        m_messages.Error = QString::fromLocal8Bit(e.what());
    } catch (...) {
        m_messages.Error = QStringLiteral("Невідома помилка.");
    }
    QTimer::singleShot(1, this, &TFormWait::announce);
}

void TFormWait::announce() {
    if (m_announce) {
        if (!m_messages.Error.isEmpty()) {
            m_resultText = m_messages.Error + u'\r' + m_messages.ErrorDetail;
            ShowError(m_caption, m_resultText);
        } else if (!m_messages.Warning.isEmpty()) {
            m_resultText = m_messages.Warning;
            ShowWarning(m_resultText);
        } else if (!m_closingInfo.isEmpty()) {
            m_resultText = m_closingInfo;
            ShowInfo(m_resultText);
        }
    }
    m_finished = true;
    done(QDialog::Rejected);
}

void TFormWait::closeEvent(QCloseEvent* event) {
    // The window closes itself when the job has ended; the system close does nothing.
    if (m_finished)
        QDialog::closeEvent(event);
    else
        event->ignore();
}

void TFormWait::reject() {
    // Escape acts as "Стоп" while stopping is offered.
    if (m_finished)
        QDialog::reject();
    else if (m_stop->isEnabled())
        m_stop->click();
}

void TFormWait::updateCounter() {
    m_counter->setText(QString::number(m_position) + QStringLiteral(" з ") +
                       QString::number(m_maximum));
}

void TFormWait::setProgress(int maximum, int position) {
    m_maximum = std::max(0, maximum);
    m_position = std::clamp(position, 0, m_maximum);
    m_bar->setRange(0, std::max(1, m_maximum));
    m_bar->setValue(m_position);
    updateCounter();
}

void TFormWait::stepProgress() {
    m_position = m_position + 1 > m_maximum ? 0 : m_position + 1;
    m_bar->setValue(m_position);
    updateCounter();
}

void TFormWait::showProgressBar(bool visible) {
    m_bar->setVisible(visible);
    m_counter->setVisible(visible);
}

void TFormWait::setInfo(const QString& text) {
    m_info->setText(text);
}

void TFormWait::enableStop(bool enabled) {
    m_stop->setEnabled(enabled);
}

void TFormWait::processEvents() {
    QCoreApplication::processEvents();
}

TFormWait& FormWait() {
    static QPointer<TFormWait> window;
    if (!window) {
        window = new TFormWait;
        KeepUntilApplicationEnds(window);
    }
    return *window;
}
