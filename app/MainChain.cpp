// The main window's side of the valuation chain: stale steps marked in the step list, the
// "Проект" menu's check and recalculation, and the check before "Заповнити звіт".
#include "app/MainWindow.h"
#include "app/RecalcResultWindow.h"
#include "app/StepRegistry.h"

#include "commands/MapRecalc.h"
#include "common/FileUtils.h"
#include "common/GlobalVar.h"
#include "common/Messages.h"
#include "common/WaitCursor.h"
#include "db/Backup.h"
#include "db/Databases.h"
#include "reports/ReportRun.h"
#include "steps/common/StepLayers.h"
#include "valuation/Check.h"
#include "valuation/StepMarks.h"

#include <QApplication>
#include <QListWidget>
#include <QStyle>

namespace {

constexpr int kRoleKind = Qt::UserRole;
constexpr int kRolePath = Qt::UserRole + 1;
/** At most this many lines of the check go into a message box or a tooltip. */
constexpr int kShownLines = 25;

QString Shortened(const QStringList& lines, const QString& separator) {
    QStringList shown = lines.mid(0, kShownLines);
    if (lines.size() > kShownLines)
        shown << QStringLiteral("... і ще %1").arg(lines.size() - kShownLines);
    return shown.join(separator);
}

/** Where the step list's marks of each settlement are remembered. */
QString MarksFolder() {
    return JoinPath(GlobalVar().Settings.TempDir, QStringLiteral("Перевірка"));
}

} // namespace

bool TFormMain::checkSettlement(valuation::CheckResult& result) {
    QString error;
    if (!m_stepContext.valid() || !m_stepContext.project->isOpen()) {
        ShowWarning(QStringLiteral("Оберіть населений пункт у дереві проектів."));
        return false;
    }
    if (valuation::CheckSettlement(*m_stepContext.project, result, &error) &&
        CheckStepLayers(*m_stepContext.project, m_stepContext.folder, result, &error)) {
        valuation::RememberStepMarks(*m_stepContext.project, MarksFolder(),
                                     valuation::MarksOf(result),
                                     LayersStateKey(m_stepContext.folder));
        return true;
    }
    ShowError(error);
    return false;
}

void TFormMain::MarkStaleSteps() {
    // Remembered marks serve while the database is unchanged; a change is checked anew.
    valuation::StepMarks marks;
    const bool open = m_stepContext.valid() && m_stepContext.project->isOpen();
    // The layers the steps took values from count too: an edit of one is checked anew.
    valuation::CheckMore layers;
    if (open) {
        const QString folder = m_stepContext.folder;
        layers.stateKey = LayersStateKey(folder);
        layers.check = [this, folder](valuation::CheckResult& result, QString* error) {
            return CheckStepLayers(*m_stepContext.project, folder, result, error);
        };
    }
    const bool checked = open && valuation::StepMarksOf(*m_stepContext.project, MarksFolder(),
                                                        marks, nullptr, nullptr, layers);
    for (int i = 0; i < ListView1->count(); ++i) {
        QListWidgetItem* item = ListView1->item(i);
        const StepRegistration* registered = FindStep(item->data(kRoleKind).toInt());
        if (!registered)
            continue;
        const valuation::Step step = registered->step;
        const bool stale = checked && marks.isStale(step);
        item->setIcon(stale ? QApplication::style()->standardIcon(QStyle::SP_MessageBoxWarning)
                            : ItemKindIcon(item->data(kRoleKind).toInt()));
        item->setForeground(stale ? QBrush(QColor(0xa0, 0x40, 0x00)) : QBrush());
        item->setToolTip(stale ? QStringLiteral("Збережені результати застаріли:\n") +
                                     Shortened(marks.reasonsOf(step), QStringLiteral("\n"))
                               : item->text());
    }
    // The documents made from other data than the database holds now say so.
    QStringList older;
    if (m_stepContext.valid() && m_stepContext.project->isOpen())
        reports::DocumentsOlderThanData(*m_stepContext.project, m_stepContext.folder, older);
    for (int i = 0; i < ListView2->count(); ++i) {
        QListWidgetItem* item = ListView2->item(i);
        QString line;
        for (const QString& o : older)
            if (o.startsWith(item->text() + u' '))
                line = o;
        item->setForeground(line.isEmpty() ? QBrush() : QBrush(QColor(0xa0, 0x40, 0x00)));
        const QString path = item->data(kRolePath).toString();
        item->setToolTip(!line.isEmpty() ? line : path.isEmpty() ? item->text() : path);
    }
}

void TFormMain::ACT_CHECKExecute() {
    valuation::CheckResult result;
    {
        WaitCursor wait;
        if (!checkSettlement(result))
            return;
    }
    MarkStaleSteps();
    if (result.agrees()) {
        ShowInfo(QStringLiteral("Розрахунок узгоджений: кожен збережений результат відповідає "
                                "даним, з яких його обчислено."));
        return;
    }
    ShowWarning(QStringLiteral("Розрахунок не узгоджений:\r") +
                Shortened(valuation::CheckLines(result), QStringLiteral("\r")) +
                QStringLiteral("\rВиправити: \"Проект\" - \"Перерахувати все\"."));
}

bool TFormMain::recalcAll(valuation::CheckResult& result, QStringList* fromMap) {
    QString error;
    MapRecalcOutcome map;
    {
        WaitCursor wait;
        backup::BeforeSettlementStore(*m_stepContext.project);
        const MapRecalcSources sources{m_stepContext.catalogue, m_stepContext.map};
        if (!RecalcSettlement(*m_stepContext.project, m_stepContext.folder, sources, result, map,
                              &error)) {
            ShowError(error);
            return false;
        }
    }
    MarkStaleSteps();
    if (fromMap)
        *fromMap = map.changed;
    // Values from the map the valuer typed over, and what only a step takes again.
    if (const QStringList left = map.typed + map.left; !left.isEmpty())
        ShowWarning(QStringLiteral("Не змінено:\r") + Shortened(left, QStringLiteral("\r")));
    return true;
}

void TFormMain::ACT_RECALCExecute() {
    valuation::CheckResult result;
    {
        WaitCursor wait;
        if (!checkSettlement(result))
            return;
    }
    if (result.stale.empty() && result.mapChanges.empty()) {
        if (result.problems.empty())
            ShowInfo(QStringLiteral("Перераховувати нічого: розрахунок узгоджений."));
        else
            ShowWarning(QStringLiteral("Перераховувати нічого, але є дані, яких розрахунок не "
                                       "враховує:\r") +
                        Shortened(valuation::CheckLines(result), QStringLiteral("\r")));
        return;
    }
    if (AskConfirm(QStringLiteral("Перерахувати застарілі результати (%1)? Значення, введені "
                                  "вручну, не зміняться; перед цим буде зроблено автоматичну "
                                  "копію бази.")
                       .arg(result.stale.size() + result.mapChanges.size()),
                   Answer::Ok | Answer::Cancel) != Answer::Ok)
        return;
    QStringList fromMap;
    if (!recalcAll(result, &fromMap))
        return;
    RecalcResultWindow window(result.stale, fromMap, this);
    m_dialogs.showRecalcResult ? m_dialogs.showRecalcResult(window) : void(window.exec());
}

bool TFormMain::CheckBeforeReports() {
    valuation::CheckResult result;
    {
        WaitCursor wait;
        if (!checkSettlement(result))
            return true; // the check's own failure was shown; the reports say their own
    }
    // The values the valuer typed over computed ones go into the report as typed: the list,
    // with the computed value beside each, as "tamberon check --typed" prints it.
    QStringList typed;
    for (const valuation::TypedValue& t : result.typed)
        typed << valuation::TypedLine(t);
    const QString typedText =
        typed.isEmpty() ? QString()
                        : QStringLiteral("\rЗначення, введені вручну замість обчислених (%1):\r")
                                  .arg(typed.size()) +
                              Shortened(typed, QStringLiteral("\r"));
    if (result.stale.empty() && result.mapChanges.empty()) {
        if (typed.isEmpty())
            return true;
        return AskConfirm(QStringLiteral("Перед заповненням звіту.") + typedText +
                              QStringLiteral("\rЗаповнити звіт з ними?"),
                          Answer::Ok | Answer::Cancel) == Answer::Ok;
    }
    const Answer answer = AskConfirm(
        QStringLiteral("Деякі збережені результати кроків застаріли:\r") +
            Shortened(valuation::CheckLines(result), QStringLiteral("\r")) + typedText +
            QStringLiteral("\rПерерахувати їх перед заповненням звіту?\r\"Так\" - перерахувати, "
                           "\"Ні\" - заповнити звіт як є, \"Скасувати\" - не заповнювати."),
        Answer::Yes | Answer::No | Answer::Cancel);
    if (answer == Answer::Yes)
        return recalcAll(result);
    MarkStaleSteps();
    return answer == Answer::No;
}
