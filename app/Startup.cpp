#include "app/Startup.h"

#include "app/AppInit.h"
#include "app/FillReports.h"
#include "app/MainWindow.h"
#include "app/MapPage.h"
#include "app/Splash.h"
#include "app/StepDispatch.h"
#include "catalogue/refs/FormRefs.h"
#include "catalogue/ui/FormDeletion.h"
#include "catalogue/ui/FormOpenDir.h"
#include "catalogue/ui/FormStartMaster.h"
#include "common/GlobalVar.h"
#include "common/Messages.h"
#include "common/ui/Dialog.h"
#include "common/ui/QtMessages.h"
#include "common/ui/Wait.h"

#include <QApplication>
#include <QDir>
#include <QFileDialog>
#include <QLocale>
#include <QPrinterInfo>
#include <memory>

namespace {

QString ChooseFileToAdd(QWidget* parent) {
    QFileDialog dialog(parent, QStringLiteral("Додати файл"));
    dialog.setFileMode(QFileDialog::ExistingFiles);
    dialog.setNameFilters({QStringLiteral("Підтримувані файли (*.doc *.docx *.xls *.xlsx *.tab)"),
                           QStringLiteral("Microsoft Word (*.doc *.docx)"),
                           QStringLiteral("Microsoft Excel (*.xls *.xlsx)"),
                           QStringLiteral("Mapinfo table (*.tab)")});
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return QString();
    // Only the first of several chosen files is taken.
    return dialog.selectedFiles().first();
}

} // namespace

void InstallProgramDialogs(TFormMain& window) {
    // The long-lived windows, created once in this order.
    auto* wizard = new TFormStartMaster(&window);
    auto* refs = new TFormRefs(&window);
    FormDialog();
    FormWait().setWindowTitle(QStringLiteral("Зачекайте..."));
    MainWindowDialogs& d = window.dialogs();
    d.newProject = [wizard](catalogue::NewProject& project) { return wizard->run(project); };
    d.chooseFolder = [&window](QString& path, const QString& prompt) {
        return ChooseFolder(path, prompt, &window);
    };
    d.askDeletion = [&window](const QString& text) {
        switch (TFormDeletion::Ask(text, &window)) {
        case TFormDeletion::FromList:
            return DeletionAnswer::FromList;
        case TFormDeletion::WithData:
            return DeletionAnswer::WithData;
        default:
            return DeletionAnswer::No;
        }
    };
    d.chooseFile = [&window] { return ChooseFileToAdd(&window); };
    d.openStep = [&window](int kind) { OpenStep(window, kind); };
    d.referenceBooks = [refs] { OpenReferenceBooks(*refs); };
    d.fillReports = [&window] { FillReports(window); };
    window.setMapTab(new MapPage(&window));
}

int RunTamberon(QApplication& app) {
    app.setApplicationName(GlobalVar().AppTitle);
    QtMessages messages;
    SetMessages(&messages);

    const QString appDir = QApplication::applicationDirPath();
    SingleInstance instance(QApplication::applicationFilePath());
    if (!instance.acquire(QApplication::arguments().size() > 1))
        return 0;
    const QList<QPrinterInfo> printers = QPrinterInfo::availablePrinters();
    QStringList names;
    for (const QPrinterInfo& p : printers)
        names << p.printerName();
    if (!CheckPrinters(names, QString()))
        return 1;
    InitGlobalVar(appDir);
    if (OfferUpdate(GlobalVar().Settings.SettingsFile, appDir))
        return 0;

    QLocale::setDefault(QLocale::c());
    QDir::setCurrent(appDir);
    auto splash = std::make_unique<TFormSplash>();
    splash->show();
    splash->setStatus(QStringLiteral("Ініціалізація..."));
    splash->setStatus(QStringLiteral("Підключення до бази даних..."));
    TFormMain window;
    window.LoadProjectTree();
    LoadProgramIndexation();
    splash->setStatus(QStringLiteral("Завантаження форм..."));
    InstallProgramDialogs(window);
    splash->setStatus(QStringLiteral("Запуск програми..."));
    splash.reset();
    window.show();
    return app.exec();
}
