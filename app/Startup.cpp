#include "app/Startup.h"

#include "app/AppInit.h"
#include "app/FillReports.h"
#include "app/MainWindow.h"
#include "app/MapPage.h"
#include "app/QtTranslation.h"
#include "app/Splash.h"
#include "app/StartProbe.h"
#include "app/StepDispatch.h"
#include "catalogue/core/ProgramFolder.h"
#include "catalogue/refs/FormRefs.h"
#include "catalogue/ui/FormDeletion.h"
#include "catalogue/ui/FormOpenDir.h"
#include "catalogue/ui/FormStartMaster.h"
#include "commands/ProgramData.h"
#include "common/FileUtils.h"
#include "common/GlobalVar.h"
#include "common/Messages.h"
#include "common/ui/Dialog.h"
#include "common/ui/QtMessages.h"
#include "common/ui/QtWaitCursor.h"
#include "common/ui/Wait.h"
#include "common/ui/WindowPlacement.h"
#include "widgets/ApplicationWindows.h"

#include <QApplication>
#include <QDir>
#include <QFileDialog>
#include <QIcon>
#include <QLocale>
#include <QPrinterInfo>
#include <QSettings>
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
    d.askDeletion = [&window](const QString& text, const QString& outsideFolder) {
        switch (TFormDeletion::Ask(text, outsideFolder, &window)) {
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
    d.referenceBooks = [&window, refs] { OpenReferenceBooks(window, *refs); };
    d.fillReports = [&window] { FillReports(window); };
    window.setMapTab(new MapPage(window.mapDocument(), &window));
}

StartupOptions ProgramStartupOptions() {
    StartupOptions options;
    const ProgramPlace place = RunningProgramPlace();
    options.appDir = place.folder;
    options.shippedDir = place.shipped;
    options.exitAfterStart = StartProbe::Requested();
    options.printers = [](QString&) { return QPrinterInfo::availablePrinterNames(); };
    return options;
}

namespace {

/** The checks and the sequence up to the end of the message loop. */
int StartUp(QApplication& app, const StartupOptions& options, StartProbe& probe) {
    const QString& appDir = options.appDir;
    // One running copy per program folder: the valuer's own one for an installed program, so
    // users of one installation do not stop each other. The folder exists before it is named.
    if (!options.shippedDir.isEmpty())
        QDir().mkpath(appDir);
    SingleInstance instance(JoinPath(appDir, QStringLiteral("tamberon")));
    if (!instance.acquire(QApplication::arguments().size() > 1))
        return 0;
    QString printerError;
    const QStringList printers = options.printers(printerError);
    if (!CheckPrinters(printers, printerError))
        return 1;
    InitGlobalVar(appDir);
    QStringList notes;
    QString folderError;
    if (!catalogue::PrepareProgramFolder({appDir, options.shippedDir}, &notes, &folderError)) {
        ShowError(folderError);
        return 1;
    }
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
    window.LoadIndexation();
    splash->setStatus(QStringLiteral("Завантаження форм..."));
    InstallProgramDialogs(window);
    splash->setStatus(QStringLiteral("Запуск програми..."));
    splash.reset();
    RestoreMainWindowPlacement(window, *UserSettings());
    window.show();
    // Where the valuer's data lives on the first start, what an upgrade changed after one.
    if (!notes.isEmpty())
        ShowInfo(notes.join(u'\r'));
    probe.watch(window);
    const int code = app.exec();
    // A run that only proves the start leaves the user's remembered place alone.
    if (!probe.active())
        SaveMainWindowPlacement(window, *UserSettings());
    return code;
}

} // namespace

int RunTamberon(QApplication& app, const StartupOptions& options) {
    app.setApplicationName(GlobalVar().AppTitle);
    // The desktop entry and the icon an installation puts in place.
    QGuiApplication::setDesktopFileName(QStringLiteral("tamberon"));
    QApplication::setWindowIcon(QIcon::fromTheme(QStringLiteral("tamberon")));
    // Standard buttons and dialogs in the user's language; without the translation they stay
    // in English and the program runs on.
    InstallQtTranslation(app);
    StartProbe probe(options.exitAfterStart);
    QtMessages qtMessages;
    InstallQtWaitCursor();
    Messages* previous =
        SetMessages(probe.active() ? &probe.messages() : static_cast<Messages*>(&qtMessages));
    const int code = probe.exitCode(StartUp(app, options, probe));
    DeleteApplicationWindows();
    SetMessages(previous);
    return code;
}
