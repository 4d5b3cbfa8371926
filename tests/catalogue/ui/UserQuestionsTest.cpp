// The catalogue's questions as the user sees them: the core decides what to ask, these are
// the words and buttons of each.
#include "catalogue/ui/UserQuestions.h"
#include "tests/support/TestSupport.h"

#include <gtest/gtest.h>

using namespace catalogue;

TEST(UserQuestions, FolderCopyQuestionsNameTheFileAndOfferTheirButtons) {
    RecordingMessages messages;
    UserQuestions ask;
    messages.answer({Answer::NoToAll, Answer::Retry});
    EXPECT_EQ(ask.replaceExisting(QStringLiteral("/p/a.tab")), Answer::NoToAll);
    EXPECT_EQ(ask.copyFailed(QStringLiteral("/p/b.dat")), Answer::Retry);
    EXPECT_EQ(messages.texts(QStringLiteral("confirm")),
              QStringList({QStringLiteral("Копіювання файлів: \rФайл \"/p/a.tab\" існує. "
                                          "Перезаписати його?"),
                           QStringLiteral("Копіювання файлів: Помилка копіювання файлу "
                                          "\"/p/b.dat\".")}));
    ASSERT_EQ(messages.askedButtons.size(), 2u);
    EXPECT_EQ(messages.askedButtons[0],
              Answer::Yes | Answer::No | Answer::Cancel | Answer::NoToAll | Answer::YesToAll);
    EXPECT_EQ(messages.askedButtons[1], Answer::Abort | Answer::Retry | Answer::Ignore);
}

TEST(UserQuestions, ReplacingAFileOrTheMaterials) {
    RecordingMessages messages;
    UserQuestions ask;
    messages.answer({Answer::No, Answer::Ok, Answer::Cancel});
    EXPECT_EQ(ask.replaceFileInFolder(QStringLiteral("/p/Звіт.docx")), Answer::No);
    EXPECT_TRUE(ask.replaceMaterials(QStringLiteral("/export")));
    EXPECT_FALSE(ask.replaceMaterials(QStringLiteral("/export")));
    EXPECT_EQ(messages.texts(QStringLiteral("confirm")),
              QStringList({"Файл уже є в папці проекту. Бажаєте його замінити?",
                           "У зазначеній папці вже є матеріали оцінки. Замінити файли?",
                           "У зазначеній папці вже є матеріали оцінки. Замінити файли?"}));
    ASSERT_EQ(messages.askedButtons.size(), 3u);
    EXPECT_EQ(messages.askedButtons[0], Answer::Yes | Answer::No | Answer::Cancel);
    EXPECT_EQ(messages.askedButtons[1], Answer::Ok | Answer::Cancel);
}

TEST(UserQuestions, RestoringTheCatalogueNamesTheCopyAndWhereTheDamagedFileGoes) {
    RecordingMessages messages;
    UserQuestions ask;
    const QString problem = QStringLiteral(
        "Каталог проектів \"/app/baza.sqlite\" не вдається прочитати.\rПомилка: пошкоджено");
    const QDateTime made(QDate(2026, 3, 4), QTime(9, 5));
    messages.answer({Answer::Yes, Answer::No});
    EXPECT_TRUE(ask.restoreCatalogue({problem, made, QStringLiteral("baza пошкоджена.sqlite")}));
    EXPECT_FALSE(ask.restoreCatalogue({problem, made, QString()}));
    const QString question =
        problem +
        QStringLiteral("\r\rВідновити каталог з автоматичної копії від 04.03.2026 09:05?");
    EXPECT_EQ(messages.texts(QStringLiteral("confirm")),
              QStringList({question + QStringLiteral(" Пошкоджений файл буде збережено як "
                                                     "\"baza пошкоджена.sqlite\"."),
                           question}));
    EXPECT_EQ(messages.askedButtons[0], Answer::Yes | Answer::No);
}
