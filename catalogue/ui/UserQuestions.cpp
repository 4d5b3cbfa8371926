#include "catalogue/ui/UserQuestions.h"

#include "common/Messages.h"

namespace catalogue {

Answer UserQuestions::replaceExisting(const QString& target) {
    return AskConfirm(QStringLiteral("Копіювання файлів: \rФайл \"") + target +
                          QStringLiteral("\" існує. Перезаписати його?"),
                      Answer::Yes | Answer::No | Answer::Cancel | Answer::NoToAll |
                          Answer::YesToAll);
}

Answer UserQuestions::copyFailed(const QString& target) {
    return AskConfirm(QStringLiteral("Копіювання файлів: Помилка копіювання файлу \"") + target +
                          QStringLiteral("\"."),
                      Answer::Abort | Answer::Retry | Answer::Ignore);
}

Answer UserQuestions::replaceFileInFolder(const QString&) {
    return AskConfirm(QStringLiteral("Файл уже є в папці проекту. Бажаєте його замінити?"),
                      Answer::Yes | Answer::No | Answer::Cancel);
}

bool UserQuestions::replaceMaterials(const QString&) {
    return AskConfirm(QStringLiteral("У зазначеній папці вже є матеріали оцінки. Замінити файли?"),
                      Answer::Ok | Answer::Cancel) == Answer::Ok;
}

bool UserQuestions::restoreCatalogue(const RestoreOffer& offer) {
    QString text =
        offer.problem + QStringLiteral("\r\rВідновити каталог з автоматичної копії від ") +
        offer.copyTime.toString(QStringLiteral("dd.MM.yyyy HH:mm")) + QStringLiteral("?");
    if (!offer.keepName.isEmpty())
        text += QStringLiteral(" Пошкоджений файл буде збережено як \"") + offer.keepName +
                QStringLiteral("\".");
    return AskConfirm(text, Answer::Yes | Answer::No) == Answer::Yes;
}

} // namespace catalogue
