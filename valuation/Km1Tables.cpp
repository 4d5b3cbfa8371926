#include "valuation/Km1Tables.h"

#include "common/TextUtils.h"

namespace {

Km1Option Option(const char* option, const char* caption, double coefficient,
                 const char* population = "") {
    return Km1Option{QString::fromUtf8(option), QString::fromUtf8(caption),
                     QString::fromUtf8(population), coefficient};
}

Km1Option No() {
    return Km1Option{Km1NoOption(), QStringLiteral("НІ"), QString(), 1.0};
}

const QString& Value() {
    static const QString caption = QStringLiteral("Значення коефіцієнта");
    return caption;
}

} // namespace

QString Km1NoOption() {
    return QStringLiteral("No");
}

const std::array<Km1Table, 4>& Km1Tables() {
    static const std::array<Km1Table, 4> tables = {
        Km1Table{
            QStringLiteral("Адміністративний статус"),
            QStringLiteral("які характеризують чисельність населення, географічне положення, "
                           "адміністративний статус населених пунктів та їх господарські "
                           "функції"),
            {QStringLiteral("Тип міст за адміністративним статусом та господарськими функціями"),
             QStringLiteral("Чисельність населення (тис. чол.)"), Value()},
            {Option("1",
                    "Міста обласного  підпорядкування, які виконують переважно промислові, "
                    "транспортні та курортно-рекреаційні функції, переважно центри "
                    "адміністративних районів",
                    1.2, "20.0 - 49.9"),
             Option("2",
                    "Міста обласного підпорядкування - промислові, промислово-транспортні , "
                    "оздоровчо-курортні центри, переважно центри адміністративних районів",
                    1.4, "50.0 - 99.9"),
             Option("3",
                    "Міста обласного підпорядкування - багатогалузеві промислові або великі "
                    "курортні центри, переважно центри областей",
                    1.6, "100.0 - 249.9"),
             Option("4",
                    "Місто загальнодержавного значення Севастополь, столиця Автономної "
                    "Республіки Крим Сімферополь і міста обласного підпорядкування - "
                    "багатогалузеві промислові, а також адміністративні і культурні центри, "
                    "переважно центри областей",
                    2.0, "250.0 - 499.9"),
             Option("5",
                    "Багатофункціональні міста обласного підпорядкування, крупні "
                    "адміністративні, наукові, економічні, організаційні і культурні центри, "
                    "переважно центри областей ",
                    2.5, "500.0 - 999.9"),
             Option("6",
                    "Столиця України - місто Київ, центри областей - багатофункціональні міста "
                    "обласного підпорядкування - найкрупніші адміністративні, наукові, "
                    "економічні, організаційні і культурні центри ",
                    3.0, "1000.0 і вище"),
             No()}},
        Km1Table{QStringLiteral("Біля великих міст"),
                 QStringLiteral("які враховують місце розташування населених пунктів у "
                                "приміських зонах великих міст"),
                 {QStringLiteral("Чисельність населення  міст-центрів (тис. чол.)"), Value()},
                 {Option("1", "100,0-249,9", 1.1), Option("2", "250,0-499,9", 1.2),
                  Option("3", "500,0-999,9", 1.3), Option("4", "1000,0-1999,9", 1.5),
                  Option("5", "2000,0 і більше", 1.8), No()}},
        Km1Table{
            QStringLiteral("Курортні"),
            QStringLiteral("які застосовуються для населених пунктів, що мають статус курортів"),
            {QStringLiteral("Розміщення населених пунктів, що мають статус курортів"), Value()},
            {Option("1", "на Південному узбережжі Криму", 3.0),
             Option("2", "на Південно-Східному узбережжі Криму", 2.5),
             Option("3", "на Західному узбережжі Криму", 2.2),
             Option("4",
                    "на Чорноморському узбережжі Миколаївської, Одеської та Херсонської "
                    "областей",
                    2.0),
             Option("5",
                    "у гірських та передгірних районах Закарпатської,  Львівської, "
                    "Івано-Франківської та Чернівецької областей",
                    2.3),
             Option("6", "в інших курортних населених пунктах", 1.5), No()}},
        Km1Table{QStringLiteral("У зоні Чорнобиля"),
                 QStringLiteral("які враховують місце розташування населених пунктів у зонах "
                                "радіоактивного забруднення внаслідок Чорнобильської "
                                "катастрофи"),
                 {QStringLiteral("Розміщення населених пунктів у зонах радіоактивного "
                                 "забруднення"),
                  Value()},
                 {Option("1", "1. Зона відчуження", 0.5),
                  Option("2", "2. Зона безумовного (обов'язкового)  відселення", 0.6),
                  Option("3", "3. Зона гарантованого добровільного  відселення", 0.8),
                  Option("4", "4. Зона посиленого радіоекологічного контролю", 0.9), No()}},
    };
    return tables;
}

Km1Options ParseKm1Options(const QString& text) {
    const QStringList fields = text.split(u';');
    Km1Options options;
    for (int t = 0; t < 4; ++t) {
        const QString field = fields.value(t).trimmed();
        bool known = false;
        for (const Km1Option& o : Km1Tables()[static_cast<size_t>(t)].options)
            known = known || o.option == field;
        options[static_cast<size_t>(t)] = known ? field : Km1NoOption();
    }
    return options;
}

QString Km1OptionsText(const Km1Options& options) {
    return QStringList(options.begin(), options.end()).join(u';');
}

double Km1Coefficient(int table, const QString& option) {
    if (table < 0 || table >= 4)
        return 1.0;
    for (const Km1Option& o : Km1Tables()[static_cast<size_t>(table)].options)
        if (o.option == option)
            return o.coefficient;
    return 1.0;
}

double CalcKm1(const Km1Options& options) {
    double km1 = 1.0;
    for (int t = 0; t < 4; ++t)
        km1 *= Km1Coefficient(t, options[static_cast<size_t>(t)]);
    return km1;
}

QString Km1Text(const Km1Options& options) {
    return FormatFixed(CalcKm1(options), 3);
}

const std::vector<Km1Link>& Km1Links() {
    static const std::vector<Km1Link> links = {
        {QStringLiteral("СТАТИСТИКА: населення міст більш 500 тис чол"),
         QStringLiteral("data/кількість населення.htm"), 0},
        {QStringLiteral("WIKI: населення міст України"),
         QStringLiteral("data/кількість населення Wiki.htm"), 0},
        {QStringLiteral("ІНФОРМАЦІЯ: Міста України, які утворюють приміські зони"),
         QStringLiteral("data/біля великих міст.htm"), 1},
        {QStringLiteral("ПОСТАНОВА: ПЕРЕЛІК населених пунктів, віднесених до курортних"),
         QStringLiteral("data/курортні.htm"), 2},
        {QStringLiteral("ПОСТАНОВА: ПЕРЕЛІК населених пунктів, віднесених  до зон радіоактивного "
                        "забруднення внаслідок чорнобильської катастрофи Ч1"),
         QStringLiteral("data/зона забруднення.htm"), 3},
        {QStringLiteral("ПОСТАНОВА: ПЕРЕЛІК населених пунктів, віднесених  до зон радіоактивного "
                        "забруднення внаслідок чорнобильської катастрофи Ч2"),
         QStringLiteral("data/зона забруднення ч2.htm"), 3},
    };
    return links;
}
