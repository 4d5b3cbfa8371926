// The extract of a plot: what it says, the .docx filled from the template, and many extracts
// written on every core.
#include "gis/PlotExtract.h"

#include "common/EngineMessages.h"
#include "common/FileUtils.h"
#include "common/GlobalVar.h"
#include "common/LastError.h"
#include "common/TextUtils.h"
#include "common/WriteSteps.h"
#include "gis/ExtractPdf.h"
#include "map/PngEncoder.h"
#include "office/Document.h"
#include "office/OfficeCall.h"
#include "office/OfficeError.h"

#include <QDir>
#include <QFile>
#include <QHash>
#include <QRandomGenerator>
#include <QRegularExpression>
#include <QThread>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <mutex>
#include <thread>

namespace {

QString orDash(const QString& text) {
    return text.trimmed().isEmpty() ? QStringLiteral("—") : text.trimmed();
}

QString factorsText(const std::vector<PlaceFactor>& factors) {
    if (factors.empty())
        return QStringLiteral("немає");
    QStringList out;
    for (const PlaceFactor& f : factors)
        out << (f.name.isEmpty() ? QStringLiteral("фактор %1: %2").arg(f.factor).arg(f.coefficient)
                                 : QStringLiteral("%1 (фактор %2): %3")
                                       .arg(f.name)
                                       .arg(f.factor)
                                       .arg(f.coefficient));
    return out.join(QStringLiteral("; "));
}

/** Square metres of an area in hectares given as "0.0000". */
QString squareMetres(const QString& areaHa) {
    return QString::number(qRound64(NumberOr0(areaHa) * 10000));
}

/** The area line: the stated area, and the drawn one when it differs. */
QString areaText(const ExtractPlot& plot) {
    const QString valued = plot.valuation.areaHa;
    if (plot.statedAreaHa.isEmpty())
        return orDash(valued);
    if (valued.isEmpty() || valued == plot.statedAreaHa)
        return plot.statedAreaHa;
    return QStringLiteral("%1 (за документами); оцінено %2").arg(plot.statedAreaHa, valued);
}

/** Writes the pairs into the second column of a table, row after row from row 2. */
void fillPairs(WordTable table, const std::vector<std::pair<QString, QString>>& rows) {
    for (size_t i = 0; i < rows.size() && static_cast<int>(i) + 2 <= table.rowCount(); ++i)
        table.setCellText(static_cast<int>(i) + 2, 2, rows[i].second);
}

/** Replaces a bookmark's paragraph by one paragraph a line. */
void replaceLines(WordDocument& doc, const QString& bookmark, const QStringList& lines) {
    std::vector<WordParagraph> paragraphs;
    for (const QString& line : lines) {
        WordParagraph p;
        p.text = line;
        paragraphs.push_back(p);
    }
    doc.replaceBookmarkParagraph(bookmark, paragraphs);
}

void fillDocument(WordDocument& doc, const ExtractContent& c, const PrintedMap* map) {
    if (doc.tableCount() < 3)
        throw OfficeError(QStringLiteral("У шаблоні витягу немає трьох таблиць."));
    doc.setBookmarkText(QStringLiteral("NP"), c.settlement);
    doc.setBookmarkText(QStringLiteral("NUMBER"),
                        c.number.isEmpty() ? QStringLiteral("________") : c.number);
    doc.setBookmarkText(QStringLiteral("DATE"), c.date);
    fillPairs(doc.table(1), c.requisites);
    fillPairs(doc.table(2), c.plot);
    WordTable parts = doc.table(3);
    // Row 1 the title, 2 the heading, 3 the data row copied for every part, then the totals.
    const int first = 3;
    if (c.parts.size() > 1)
        parts.insertRowsBelow(first, static_cast<int>(c.parts.size()) - 1);
    for (size_t i = 0; i < c.parts.size(); ++i)
        for (qsizetype col = 0; col < c.parts[i].size(); ++col)
            parts.setCellText(first + static_cast<int>(i), static_cast<int>(col) + 1,
                              c.parts[i][col]);
    const int totals = first + static_cast<int>(std::max<size_t>(c.parts.size(), 1));
    parts.setCellText(totals, 2, c.totalAreaHa);
    parts.setCellText(totals, 3, c.value);
    parts.setCellBold(totals, 3, true);
    replaceLines(doc, QStringLiteral("FORMULA"), c.formula);
    doc.setBookmarkText(QStringLiteral("VALUE"), c.value);
    replaceLines(doc, QStringLiteral("INDEXATION"), c.indexation);
    std::vector<WordParagraph> picture;
    WordParagraph p;
    if (map && !map->image.isNull()) {
        p.pictureId = doc.addPicture(EncodeFlatPng(map->image));
        p.pictureMm = QSizeF(map->image.width() * 25.4 / (map->image.dotsPerMeterX() * 0.0254),
                             map->image.height() * 25.4 / (map->image.dotsPerMeterY() * 0.0254));
        p.text = QStringLiteral("Карта ділянки, масштаб ") + ScaleText(map->scale);
    } else {
        p.text = QStringLiteral("Карти ділянки немає: її межі невідомі.");
    }
    picture.push_back(p);
    doc.replaceBookmarkParagraph(QStringLiteral("MAP"), picture);
    replaceLines(doc, QStringLiteral("NOTES"), c.notes);
}

/** Names of the files of the plots: their base names, a repeated one numbered. */
QStringList uniqueNames(const std::vector<ExtractPlot>& plots) {
    QStringList names;
    QHash<QString, int> seen;
    for (const ExtractPlot& plot : plots) {
        const QString base = ExtractBaseName(plot);
        const int n = ++seen[base.toLower()];
        names << (n == 1 ? base : QStringLiteral("%1 (%2)").arg(base).arg(n));
    }
    return names;
}

} // namespace

ExtractContent MakeExtractContent(const ExtractRequisites& r, const ExtractPlot& plot) {
    const PlaceValuation& v = plot.valuation;
    ExtractContent c;
    c.settlement = r.settlement;
    c.number = r.number;
    c.date = r.date;
    c.requisites = {{QStringLiteral("Населений пункт"), orDash(r.settlement)},
                    {QStringLiteral("Код КОАТУУ"), orDash(r.koatuu)},
                    {QStringLiteral("Технічна документація"), orDash(r.documentation)},
                    {QStringLiteral("Рік проведення оцінки"), orDash(r.valuationYear)}};
    const QString purpose = plot.purposeName.isEmpty()
                                ? plot.purpose
                                : QStringLiteral("%1 – %2").arg(plot.purpose, plot.purposeName);
    c.plot = {{QStringLiteral("Кадастровий номер"), orDash(plot.cadastral)},
              {QStringLiteral("Адреса (місцезнаходження)"), orDash(plot.address)},
              {QStringLiteral("Цільове призначення"), orDash(purpose)},
              {QStringLiteral("Функціональне використання, Кф"),
               QStringLiteral("%1 – %2, Кф %3").arg(v.use, v.useName, v.kf)},
              {QStringLiteral("Площа, га"), areaText(plot)}};
    int n = 0;
    for (const PlaceFigures& p : v.parts) {
        ++n;
        c.parts.push_back({QString::number(n), p.district, p.zone, p.km2, p.zoneValue, v.kf,
                           factorsText(p.factors), p.km3, p.valuePerSqM, p.areaHa, p.value});
        c.formula << QStringLiteral(
                         "Частина № %1: Цн = %2 × %3 × %4 = %5 грн/м²; %5 × %6 м² = %7 грн.")
                         .arg(n)
                         .arg(p.zoneValue, v.kf, p.km3, p.valuePerSqM, squareMetres(p.areaHa),
                              p.value);
    }
    if (v.parts.size() > 1) {
        QStringList values;
        for (const PlaceFigures& p : v.parts)
            values << p.value;
        c.formula << QStringLiteral("Вартість ділянки: %1 = %2 грн.")
                         .arg(values.join(QStringLiteral(" + ")), v.value);
    }
    c.totalAreaHa = v.areaHa;
    c.value = v.value;
    if (v.fromYear == 0) {
        c.indexation << QStringLiteral("Рік проведення оцінки не вказано: вартість наведено без "
                                       "індексації.");
    } else {
        c.indexation << QStringLiteral("Індексація з %1 до %2 року: %3; добуток коефіцієнтів %4.")
                            .arg(v.fromYear)
                            .arg(v.toYear)
                            .arg(v.coefficients.isEmpty()
                                     ? QStringLiteral("коефіцієнтів немає")
                                     : v.coefficients.join(QStringLiteral(", ")),
                                 v.indexFactor)
                     << QStringLiteral("Нормативна грошова оцінка ділянки з урахуванням "
                                       "індексації на %1 рік: %2 × %3 = %4 грн.")
                            .arg(v.toYear)
                            .arg(v.value, v.indexFactor, v.indexedValue);
    }
    c.notes = v.notes;
    if (!plot.statedAreaHa.isEmpty() && !v.areaHa.isEmpty()) {
        const double stated = NumberOr0(plot.statedAreaHa);
        const double drawn = NumberOr0(v.areaHa);
        if (stated > 0 && std::abs(drawn - stated) > 0.01 * stated)
            c.notes << QStringLiteral("Площа за кресленням відрізняється від площі за "
                                      "документами більш ніж на 1 %.");
    }
    return c;
}

QString ExtractBaseName(const ExtractPlot& plot) {
    const QString cadastral = plot.cadastral.trimmed();
    return cadastral.isEmpty() ? QStringLiteral("ділянка") : SafeFileName(cadastral);
}

QString ExtractTemplatePath() {
    return JoinPath(GlobalVar().Settings.TemplateDir, QStringLiteral("Витяг.dotx"));
}

bool WriteExtract(const QByteArray& templateBytes, const ExtractRequisites& requisites,
                  const ExtractPlot& plot, const PrintedMap* map, const QString& folder,
                  const QString& name, QString* error) {
    const QString base = name.isEmpty() ? ExtractBaseName(plot) : name;
    const QString docx = QDir(folder).filePath(base + QStringLiteral(".docx"));
    const QString pdf = QDir(folder).filePath(base + QStringLiteral(".pdf"));
    const ExtractContent content = MakeExtractContent(requisites, plot);
    // Both files are written under hidden names and take theirs only when both are whole: a
    // failure or a kill leaves the last extract as it was, never half a file.
    const QString tag =
        QStringLiteral(".%1").arg(QRandomGenerator::global()->generate(), 8, 16, QChar(u'0'));
    const QString tempDocx =
        QDir(folder).filePath(QStringLiteral(".~") + base + tag + QStringLiteral(".docx"));
    const QString tempPdf =
        QDir(folder).filePath(QStringLiteral(".~") + base + tag + QStringLiteral(".pdf"));
    const auto fail = [&](const QString& file, const QString& why) {
        QFile::remove(tempDocx);
        QFile::remove(tempPdf);
        return FailWith(error, QStringLiteral("Витяг %1: %2").arg(file, why));
    };
    QString why;
    if (!OfficeCall(
            [&] {
                std::unique_ptr<WordDocument> doc = WordDocument::openFromMemory(templateBytes);
                fillDocument(*doc, content, map);
                doc->saveAs(tempDocx);
            },
            &why))
        return fail(docx, why.replace(tempDocx, docx));
    if (!WriteExtractPdf(content, map, tempPdf, &why))
        return fail(pdf, why);
    const auto replace = [](const QString& from, const QString& to) {
        return std::rename(QFile::encodeName(from).constData(),
                           QFile::encodeName(to).constData()) == 0;
    };
    if (!writesteps::Reached("extract.rename") || !replace(tempDocx, docx) ||
        !replace(tempPdf, pdf))
        return fail(docx, QStringLiteral("файл не вдалося замінити (можливо, його відкрито в "
                                         "іншій програмі)."));
    return true;
}

void RemoveExtractLeftovers(const QString& folder) {
    // ".~<name>.<8 hex digits>.docx" and ".pdf", and the document's own ".~<that>.XXXXXX".
    static const QRegularExpression own(
        QStringLiteral("^\\.~.*\\.[0-9a-f]{8}\\.(docx|pdf)(\\.\\w{6}){0,2}$"));
    const QDir dir(folder);
    for (const QString& name :
         dir.entryList({QStringLiteral(".~*")}, QDir::Files | QDir::Hidden | QDir::System))
        if (own.match(name).hasMatch())
            QFile::remove(dir.filePath(name));
}

bool WriteExtracts(const QString& templatePath, const ExtractRequisites& requisites,
                   const ExtractLayers& layers, const std::vector<ExtractPlot>& plots,
                   const QString& folder, const std::function<bool(int, int)>& progress,
                   ExtractsResult& result, QString* error,
                   const valuation::Settlement* settlement) {
    result = ExtractsResult();
    QFile file(templatePath);
    if (!file.open(QIODevice::ReadOnly))
        return FailWith(error, QStringLiteral("Неможливо прочитати шаблон витягу %1: %2")
                                   .arg(templatePath, UkrainianEngineMessage(file.errorString())));
    const QByteArray templateBytes = file.readAll();
    if (!QDir().mkpath(folder))
        return FailWith(error, QStringLiteral("Неможливо створити папку %1.").arg(folder));
    RemoveExtractLeftovers(folder);
    const QStringList names = uniqueNames(plots);
    const int total = static_cast<int>(plots.size());
    std::vector<QString> failures(plots.size());
    std::vector<char> written(plots.size(), 0);
    std::atomic<int> next{0};
    std::atomic<int> done{0};
    std::atomic<bool> stop{false};
    auto work = [&]() {
        for (int i = next++; i < total && !stop; i = next++) {
            const ExtractPlot& plot = plots[static_cast<size_t>(i)];
            PrintedMap map;
            if (plot.shape)
                map = RenderExtractMap(layers, plot, settlement);
            QString why;
            if (WriteExtract(templateBytes, requisites, plot, plot.shape ? &map : nullptr, folder,
                             names[i], &why))
                written[static_cast<size_t>(i)] = 1;
            else
                failures[static_cast<size_t>(i)] = why;
            ++done;
        }
    };
    const int threads = std::clamp(QThread::idealThreadCount(), 1, std::max(total, 1));
    // Qt's threads: the text layout of the PDF wants its thread known to Qt.
    std::vector<std::unique_ptr<QThread>> workers;
    const auto startWorker = [&workers, &work]() {
        workers.emplace_back(QThread::create(work));
        workers.back()->start();
    };
    if (!progress) {
        for (int t = 1; t < threads; ++t)
            startWorker();
        work();
    } else {
        // The calling thread reports progress while the workers draw and write.
        for (int t = 0; t < threads; ++t)
            startWorker();
        while (done < total) {
            if (!progress(done, total)) {
                stop = true;
                break;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(40));
        }
    }
    for (const std::unique_ptr<QThread>& w : workers)
        w->wait();
    if (progress && !stop)
        progress(done, total);
    result.stopped = stop && done < total;
    for (int i = 0; i < total; ++i) {
        if (written[static_cast<size_t>(i)]) {
            ++result.written;
            result.files << QDir(folder).filePath(names[i] + QStringLiteral(".docx"))
                         << QDir(folder).filePath(names[i] + QStringLiteral(".pdf"));
        } else if (!failures[static_cast<size_t>(i)].isEmpty()) {
            result.failures << failures[static_cast<size_t>(i)];
        }
    }
    return true;
}
