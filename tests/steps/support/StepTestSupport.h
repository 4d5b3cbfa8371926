#pragma once

#include "db/Database.h"
#include "map/MapDocument.h"
#include "steps/common/StepContext.h"
#include "tests/support/TestApplication.h"
#include "tests/support/TestSupport.h"

#include <QApplication>
#include <QDialog>
#include <QTimer>
#include <functional>
#include <gtest/gtest.h>

/**
 * A settlement made from the shipped settlement template in a temporary program folder,
 * with the catalogue, an empty map and the indexation table: the world a step works on.
 */
class StepDbTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    /** Runs a statement on the settlement's database; the test fails when it fails. */
    void exec(const QString& sql);
    /** The first column of every row of the statement's result, as texts. */
    QStringList column(const QString& sql);
    /** The value of a named indicator of "характеристика" ("<none>" without a row). */
    QString indicator(const QString& name);
    /** Sets (creating when missing) a named indicator. */
    void setIndicator(const QString& name, const QString& value);
    /** Makes every later write to `table` fail, to test that a store rolls back. */
    void breakTable(const QString& table);

    TempAppDir app{true};
    RecordingMessages messages;
    Connection project;
    Connection catalogue;
    MapDocument map;
    TDinArryOfKoef indexation;
    StepContext context;
};

/**
 * Runs `act` on the first modal window of type Form once it is shown (the test drives it
 * like a user), then closes whatever is left open so a test never hangs. Made before the
 * call that shows the window modally.
 */
template <class Form> class WhenShown {
public:
    explicit WhenShown(std::function<void(Form&)> act) : m_act(std::move(act)) {
        m_timer.setSingleShot(true);
        QObject::connect(&m_timer, &QTimer::timeout, [this] { fire(); });
        m_timer.start(0);
    }
    /** How many times the window was shown (a failed store shows it again). */
    int shown = 0;
    /** A further action for the window's next showing. */
    void then(std::function<void(Form&)> act) { m_next.push_back(std::move(act)); }

private:
    void fire() {
        auto* form = dynamic_cast<Form*>(QApplication::activeModalWidget());
        if (!form) {
            m_timer.start(10);
            return;
        }
        ++shown;
        std::function<void(Form&)> act = m_act;
        if (!m_next.empty()) {
            m_act = m_next.front();
            m_next.erase(m_next.begin());
        } else {
            // Closed without the question "Зберегти зміни?": nothing is stored.
            m_act = [](Form& f) {
                if (auto* dialog = qobject_cast<QDialog*>(&f))
                    dialog->done(QDialog::Rejected);
                else
                    f.close();
            };
        }
        act(*form);
        if (form->isVisible())
            m_timer.start(0);
        else
            m_timer.start(10);
    }

    std::function<void(Form&)> m_act;
    std::vector<std::function<void(Form&)>> m_next;
    QTimer m_timer;
};
