#include "app/Splash.h"

#include "common/GlobalVar.h"

#include <QApplication>
#include <QLabel>
#include <QScreen>
#include <QVBoxLayout>

TFormSplash::TFormSplash(QWidget* parent)
    : QWidget(parent, Qt::SplashScreen | Qt::FramelessWindowHint) {
    setObjectName(QStringLiteral("TFormSplash"));
    setFixedSize(513, 205);
    setStyleSheet(
        QStringLiteral("TFormSplash { background: qlineargradient(x1:0, y1:0, x2:0, y2:1, "
                       "stop:0 #1f4e8c, stop:1 #6f95c8); } QLabel { color: white; }"));
    setAttribute(Qt::WA_StyledBackground);
    auto* layout = new QVBoxLayout(this);
    ProgramName =
        new QLabel(GlobalVar().AppTitle + QStringLiteral("\n v") + GlobalVar().AppVersion, this);
    ProgramName->setAlignment(Qt::AlignCenter);
    QFont font = ProgramName->font();
    font.setPointSize(14);
    font.setBold(true);
    ProgramName->setFont(font);
    layout->addWidget(ProgramName, 1);
    Status = new QLabel(this);
    layout->addWidget(Status);
    if (const QScreen* screen = QApplication::primaryScreen())
        move(screen->availableGeometry().center() - rect().center());
}

void TFormSplash::setStatus(const QString& text) {
    Status->setText(text);
    repaint();
    QApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
}
