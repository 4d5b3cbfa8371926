#include "reports/TechnicalReport.h"

#include "common/LastError.h"
#include "common/TextUtils.h"
#include "db/QueryFunctions.h"
#include "reports/OfficeJob.h"
#include "reports/ReportLayers.h"
#include "reports/ReportMaps.h"
#include "reports/ReportSections.h"
#include "valuation/DataStamp.h"
#include "valuation/Districts.h"

namespace reports {

namespace detail {

SectionWriter::SectionWriter(WordDocument& document_, JobProgress& progress_,
                             const ReportContext& context_,
                             const valuation::Settlement& settlement_)
    : document(document_), progress(progress_), context(context_), settlement(settlement_),
      query(context_.data) {
    m_sinceEvents.start();
}

bool SectionWriter::select(const QString& sql, const QString& table) {
    return RunQuery(query, sql, true) || failSelect(table);
}

bool SectionWriter::readRows(const QString& sql, const QString& table,
                             const std::function<void(const Utf8Row&)>& row) {
    return ReadUtf8Rows(*context.data, sql, row) || failSelect(table);
}

bool SectionWriter::failSelect(const QString& table) {
    failed = true;
    return FailReading(&failure, table);
}

void SectionWriter::insertRows(WordTable& table, int row, int extra) {
    document.selectCell(table, row, 1);
    if (extra > 0)
        document.insertRowsBelow(extra);
}

void SectionWriter::beginRows(int records) {
    progress.setProgress(records, 0);
}

bool SectionWriter::rowDone() {
    progress.stepProgress();
    if (m_sinceEvents.elapsed() >= 20) {
        progress.processEvents();
        m_sinceEvents.restart();
    }
    return progress.stopRequested();
}

} // namespace detail

namespace {

/** A data table of the template: the title in its first cell, its info line and its filler. */
struct Section {
    QString title;
    QString info;
    detail::SectionFill fill;
};

const std::vector<Section>& Sections() {
    using namespace detail;
    static const std::vector<Section> sections{
        {QStringLiteral("Загальні дані про населений пункт"),
         QStringLiteral("Експорт: Загальні дані про населений пункт..."), FillGeneralData},
        {QStringLiteral("Витрати на освоєння та облаштування земель"),
         QStringLiteral("Експорт: Витрати на освоєння земель..."), FillCosts},
        {QStringLiteral("Структура земель населеного пункту"),
         QStringLiteral("Експорт: Структура земель населеного пункту..."), FillLandStructure},
        {QStringLiteral("Опис та склад районів"),
         QStringLiteral("Експорт: Опис та склад районів..."), FillDistricts},
        {QStringLiteral("Анкета експертної оцінки населеного пункту"),
         QStringLiteral("Експорт: Анкета експертної оцінки..."), FillQuestionnaire},
        {QStringLiteral("Розрахунок комплексного Іі"),
         QStringLiteral("Експорт: Розрахунок комплексного Іі..."), FillWeightedIndex},
        // The template's title goes on after these words ("... оцінки NP").
        {QStringLiteral("Результати пофакторної оцінки"),
         QStringLiteral("Експорт: Результати пофакторної оцінки..."), FillGroupedIndex},
        {QStringLiteral("Визначення зонального коефіцієнта Км2"),
         QStringLiteral("Експорт: Визначення зонального коефіцієнта Км2..."), FillZonalKm2},
        {QStringLiteral("Локальні фактори та значення коефіцієнту Км3"),
         QStringLiteral("Експорт: Локальні фактори..."), FillLocalFactors},
        {QStringLiteral("Грошова оцінка земель різного функціонального призначення"),
         QStringLiteral("Експорт: Грошова оцінка земель різного функціонального призначення..."),
         FillFunctionalValues},
        {QStringLiteral("Опис меж економіко-планувальних зон"),
         QStringLiteral("Експорт: Опис меж економіко-планувальних зон..."), FillZoneBorders},
        {QStringLiteral("Бали бонітетів агровиробничих груп ґрунтів"),
         QStringLiteral("Експорт: Бали бонітетів агровиробничих груп ґрунтів..."), FillSoilScores},
        {QStringLiteral("Нормативна грошова оцінка сільськогосподарських угідь"),
         QStringLiteral("Експорт: Нормативна грошова оцінка сільськогосподарських угідь..."),
         FillSoilValues},
        {QStringLiteral("Грошова оцінка окремих земельних ділянок"),
         QStringLiteral("Експорт: Грошова оцінка окремих земельних ділянок..."), FillPlots},
    };
    return sections;
}

const Section* SectionOf(const QString& title) {
    for (const Section& s : Sections()) {
        if (title.contains(s.title))
            return &s;
    }
    return nullptr;
}

} // namespace

void FillTechnicalReport(WordDocument& document, TMessages& messages, JobProgress& progress,
                         const ReportContext& context) {
    progress.setInfo(QStringLiteral("Підготовка..."));
    progress.showProgressBar(false);
    progress.enableStop(true);
    const QString name = context.settlementName;
    document.setBookmarkText(QStringLiteral("NP"), name);
    // A report made from data the check found stale says so on its title page.
    if (context.unchecked && document.hasBookmark(UncheckedBookmark()))
        document.setBookmarkText(UncheckedBookmark(), UncheckedText());

    valuation::Settlement own;
    QString failure;
    const valuation::Settlement* settlement = SettlementOf(context, own, &failure);
    detail::SectionWriter writer(document, progress, context, settlement ? *settlement : own);
    // A count no step can give (above 999) is no count: nothing is sized by it.
    writer.districtCount = ReadDistrictCount(*context.data);
    writer.factorNames = ReadLocalFactorNames(context.catalogue);
    if (!settlement) {
        writer.failed = true;
        writer.failure = failure;
    } else {
        detail::FillKeyResults(document, *settlement);
    }

    progress.showProgressBar(true);
    ClearLastError();
    const int tables = document.tableCount();
    for (int i = 1; i <= tables && !writer.failed; ++i) {
        WordTable table = document.table(i);
        const QString title = table.cellText(1, 1);
        const Section* section = SectionOf(title);
        if (!section)
            continue;
        if (title.contains(QStringLiteral("NP")))
            table.setCellText(1, 1, ReplaceAll(title, QStringLiteral("NP"), name));
        progress.setInfo(section->info);
        section->fill(writer, table);
        writer.query.close();
    }
    if (writer.failed) {
        progress.showProgressBar(false);
        // A section that could not be read makes no report: nothing half-filled is saved.
        messages.Error = QStringLiteral("Технічний звіт не заповнено.");
        messages.ErrorDetail = writer.failure;
        return;
    }
    // The index table of the variant not used goes, caption and all.
    for (const WordTable& table : writer.unused)
        document.removeTable(table, true);
    FillAppendixMaps(document, context, writer.settlement, progress);
    progress.showProgressBar(false);
    progress.setInfo(QStringLiteral("Збереження..."));
    if (!context.dataStamp.isEmpty())
        document.setCustomProperty(valuation::DataStampProperty(), context.dataStamp);
    if (!context.layerStamp.isEmpty())
        document.setCustomProperty(ReportLayerStampProperty(), context.layerStamp);
    document.saveAs(progress.outputPath());
    if (progress.stopRequested())
        messages.Warning = OfficeTexts::stopped();
}

} // namespace reports
