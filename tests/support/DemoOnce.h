#pragma once

#include "common/FileUtils.h"
#include "tests/support/TestSupport.h"
#include "tools/demo/DemoSettlement.h"

#include <QString>
#include <memory>

/**
 * The demonstration project written once for a whole test suite, into a program folder of
 * its own made from the built one (SetUpTestSuite writes, TearDownTestSuite clears).
 */
class DemoOnce {
public:
    void write() {
        m_app = std::make_unique<TempAppDir>(true);
        m_error.clear();
        m_written = WriteDemoProject(m_app->path(), DemoSize{}, &m_error);
    }
    void clear() { m_app.reset(); }

    bool written() const { return m_written; }
    const QString& error() const { return m_error; }
    QString appDir() const { return m_app ? m_app->path() : QString(); }
    /** The demonstration settlement's folder. */
    QString settlementFolder() const {
        return JoinPath(appDir(),
                        QStringLiteral("Проекти/Демонстраційний проект/с. Демонстраційне"));
    }

private:
    std::unique_ptr<TempAppDir> m_app;
    bool m_written = false;
    QString m_error;
};
