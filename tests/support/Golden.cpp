#include "tests/support/Golden.h"

#include "tests/support/TestSupport.h"

#include <QFileInfo>
#include <QStringList>
#include <gtest/gtest.h>

#include <vector>

bool UpdatingGoldens() {
    return qEnvironmentVariableIntValue("TAMBERON_UPDATE_GOLDEN") == 1;
}

QString GoldenDiff(const QString& expected, const QString& actual, int maxLines) {
    if (expected == actual)
        return QString();
    const QStringList e = expected.split(u'\n'), a = actual.split(u'\n');
    // The lines both share at the start and the end are left out; the rest is aligned by their
    // longest common subsequence (small enough for the goldens; a huge one is shown whole).
    qsizetype begin = 0;
    while (begin < e.size() && begin < a.size() && e[begin] == a[begin])
        ++begin;
    qsizetype endE = e.size(), endA = a.size();
    while (endE > begin && endA > begin && e[endE - 1] == a[endA - 1]) {
        --endE;
        --endA;
    }
    const qsizetype n = endE - begin, m = endA - begin;
    QStringList lines;
    const auto removed = [&](qsizetype i) {
        lines << QStringLiteral("-%1: %2").arg(begin + i + 1).arg(e[begin + i]);
    };
    const auto added = [&](qsizetype j) {
        lines << QStringLiteral("+%1: %2").arg(begin + j + 1).arg(a[begin + j]);
    };
    if (n * m > 4'000'000) {
        for (qsizetype i = 0; i < n; ++i)
            removed(i);
        for (qsizetype j = 0; j < m; ++j)
            added(j);
    } else {
        // common[i][j]: the longest common subsequence of e[i..] and a[j..].
        std::vector<std::vector<int>> common(static_cast<size_t>(n + 1),
                                             std::vector<int>(static_cast<size_t>(m + 1), 0));
        for (qsizetype i = n - 1; i >= 0; --i)
            for (qsizetype j = m - 1; j >= 0; --j)
                common[size_t(i)][size_t(j)] = e[begin + i] == a[begin + j]
                                                   ? common[size_t(i + 1)][size_t(j + 1)] + 1
                                                   : std::max(common[size_t(i + 1)][size_t(j)],
                                                              common[size_t(i)][size_t(j + 1)]);
        qsizetype i = 0, j = 0;
        while (i < n || j < m) {
            if (i < n && j < m && e[begin + i] == a[begin + j]) {
                ++i;
                ++j;
            } else if (i < n && (j == m || common[size_t(i + 1)][size_t(j)] >=
                                               common[size_t(i)][size_t(j + 1)])) {
                removed(i++);
            } else {
                added(j++);
            }
        }
    }
    if (lines.size() > maxLines) {
        const qsizetype more = lines.size() - maxLines;
        lines = lines.mid(0, maxLines);
        lines << QStringLiteral("... and %1 more differing lines").arg(more);
    }
    return lines.join(u'\n');
}

void ExpectGolden(const QString& goldenFile, const QString& actual) {
    if (UpdatingGoldens()) {
        WriteTextFile(goldenFile, actual);
        return;
    }
    const QString name = QFileInfo(goldenFile).fileName();
    if (!QFileInfo::exists(goldenFile)) {
        ADD_FAILURE() << "no golden file " << goldenFile.toStdString()
                      << " (run with TAMBERON_UPDATE_GOLDEN=1 to write it)";
        return;
    }
    const QString diff = GoldenDiff(ReadTextFile(goldenFile), actual);
    if (!diff.isEmpty())
        ADD_FAILURE() << name.toStdString() << " differs (- golden, + now):\n"
                      << diff.toStdString()
                      << "\nIf the change is meant, run with TAMBERON_UPDATE_GOLDEN=1 and review "
                         "the golden file's diff.";
}
