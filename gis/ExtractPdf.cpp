// The extract as PDF: an HTML page of the same texts laid out by QTextDocument on A4.
#include "gis/ExtractPdf.h"

#include "common/LastError.h"

#include <QFile>
#include <QPageLayout>
#include <QPageSize>
#include <QPdfWriter>
#include <QTextDocument>
#include <QUrl>
#include <algorithm>

namespace {

QString esc(const QString& text) {
    return text.toHtmlEscaped();
}

QString pairsTable(const QString& title, const std::vector<std::pair<QString, QString>>& rows) {
    QString html = QStringLiteral("<table width=\"100%\" border=\"1\" cellspacing=\"0\" "
                                  "cellpadding=\"3\"><tr><td colspan=\"2\" bgcolor=\"#ededed\">"
                                  "<b>%1</b></td></tr>")
                       .arg(esc(title));
    for (const auto& [label, value] : rows)
        html += QStringLiteral("<tr><td width=\"38%\">%1</td><td>%2</td></tr>")
                    .arg(esc(label), esc(value));
    return html + QStringLiteral("</table><p></p>");
}

QString paragraphs(const QStringList& lines) {
    QString html;
    for (const QString& line : lines)
        html += QStringLiteral("<p>%1</p>").arg(esc(line));
    return html;
}

QString html(const ExtractContent& c, const PrintedMap* map) {
    QString h =
        QStringLiteral("<html><body style=\"font-family:'DejaVu Sans'; font-size:9pt\">"
                       "<p align=\"center\"><b>ВИТЯГ<br/>з технічної документації з "
                       "нормативної грошової оцінки земель<br/>%1</b><br/>№ %2 від "
                       "%3</p>")
            .arg(esc(c.settlement), esc(c.number.isEmpty() ? QStringLiteral("________") : c.number),
                 esc(c.date));
    h += pairsTable(QStringLiteral("Відомості про нормативну грошову оцінку"), c.requisites);
    h += pairsTable(QStringLiteral("Земельна ділянка"), c.plot);
    h += QStringLiteral("<table width=\"100%\" border=\"1\" cellspacing=\"0\" cellpadding=\"2\" "
                        "style=\"font-size:7pt\"><tr><td colspan=\"11\" bgcolor=\"#ededed\"><b>"
                        "Частини ділянки в оціночних районах і зонах дії локальних факторів"
                        "</b></td></tr><tr>");
    for (const char* heading : {"№", "Район", "Зона", "Км2", "Цз, грн/м²", "Кф", "Локальні фактори",
                                "Км3", "Цн, грн/м²", "Площа, га", "Вартість, грн"})
        h += QStringLiteral("<th bgcolor=\"#ededed\">%1</th>").arg(QString::fromUtf8(heading));
    h += QStringLiteral("</tr>");
    for (const QStringList& row : c.parts) {
        h += QStringLiteral("<tr>");
        for (qsizetype i = 0; i < row.size(); ++i)
            h += QStringLiteral("<td align=\"%1\">%2</td>")
                     .arg(i == 6 ? QStringLiteral("left") : QStringLiteral("right"), esc(row[i]));
        h += QStringLiteral("</tr>");
    }
    h += QStringLiteral("<tr><td colspan=\"9\"><b>Разом</b></td><td align=\"right\">%1</td>"
                        "<td align=\"right\"><b>%2</b></td></tr></table>")
             .arg(esc(c.totalAreaHa), esc(c.value));
    h += QStringLiteral("<p>Нормативна грошова оцінка 1 м² частини ділянки: Цн = Цз × Кф × Км3, "
                        "де Цз – вартість 1 м² земель економіко-планувальної зони (з урахуванням "
                        "Км2), Кф – коефіцієнт функціонального використання, Км3 – добуток "
                        "коефіцієнтів локальних факторів; вартість частини – Цн × площа в м².</p>");
    h += paragraphs(c.formula);
    h += QStringLiteral("<p><b>Нормативна грошова оцінка земельної ділянки: %1 грн.</b></p>")
             .arg(esc(c.value));
    h += paragraphs(c.indexation);
    if (map && !map->image.isNull()) {
        const double mm = map->image.width() / (map->image.dotsPerMeterX() * 0.001);
        // QTextDocument lays out at 96 pixels an inch.
        h += QStringLiteral("<p align=\"center\"><img src=\"extract-map\" width=\"%1\"/><br/>"
                            "Карта ділянки, масштаб %2</p>")
                 .arg(qRound(mm / 25.4 * 96))
                 .arg(esc(ScaleText(map->scale)));
    } else {
        h += QStringLiteral("<p>Карти ділянки немає: її межі невідомі.</p>");
    }
    h += paragraphs(c.notes);
    h += QStringLiteral("<p>Витяг сформовано програмою за даними технічної документації з "
                        "нормативної грошової оцінки земель населеного пункту.</p>"
                        "<p align=\"right\">Виконавець ______________________ / "
                        "____________________ /</p></body></html>");
    return h;
}

} // namespace

bool WriteExtractPdf(const ExtractContent& content, const PrintedMap* map, const QString& path,
                     QString* error) {
    QFile::remove(path);
    {
        QPdfWriter writer(path);
        writer.setPageLayout(QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Portrait,
                                         QMarginsF(20, 15, 10, 15), QPageLayout::Millimeter));
        writer.setTitle(QStringLiteral("Витяг ") + content.plot.front().second);
        writer.setCreator(QStringLiteral("tamberon"));
        QTextDocument doc;
        if (map && !map->image.isNull())
            doc.addResource(QTextDocument::ImageResource, QUrl(QStringLiteral("extract-map")),
                            map->image);
        doc.setHtml(html(content, map));
        // Paginated at the page's size (96 pixels an inch), the document is printed as laid
        // out instead of being copied and laid out again for the writer.
        doc.setPageSize(writer.pageLayout().paintRect(QPageLayout::Inch).size() * 96);
        doc.print(&writer);
    }
    QFile written(path);
    if (!written.open(QIODevice::ReadOnly) || written.size() == 0)
        return FailWith(error, QStringLiteral("файл PDF не записано."));
    // The writer does not report a full disk: a file cut short lacks its end mark.
    written.seek(std::max<qint64>(0, written.size() - 64));
    if (!written.read(64).contains("%%EOF"))
        return FailWith(error, QStringLiteral("файл PDF записано не повністю (можливо, на диску "
                                              "немає місця)."));
    return true;
}
