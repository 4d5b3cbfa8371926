#pragma once

#include <QString>

/** The outcome of an office job: what a fill procedure reports. */
struct TMessages {
    QString Warning;
    QString Error;
    QString ErrorDetail;
};

/**
 * What a running job may do with the progress window: move the bar, show a line of
 * information, offer "Стоп" and see whether it was pressed.
 */
class JobProgress {
public:
    virtual ~JobProgress() = default;
    virtual void setProgress(int maximum, int position) = 0;
    virtual void stepProgress() = 0;
    virtual void showProgressBar(bool visible) = 0;
    virtual void setInfo(const QString& text) = 0;
    virtual void enableStop(bool enabled) = 0;
    virtual bool stopRequested() const = 0;
    /** Lets pending window messages run, so "Стоп" can be pressed. */
    virtual void processEvents() = 0;
    /** Where the job saves its result. */
    virtual QString outputPath() const = 0;
};
