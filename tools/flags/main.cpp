// Draws simplified flags (stripes, crosses, discs) for the countries a range
// meets and writes them with the country list file. The flags only need to
// tell countries apart on a screen, not to be heraldically exact.
#include <QColor>
#include <QCommandLineParser>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QPainter>
#include <QPolygonF>
#include <QTextStream>
#include <QVector>

#include <cstdio>

namespace {

constexpr int kWidth = 60;
constexpr int kHeight = 40;
constexpr int kFirstID = 2; // the lists treat IDs 0 and 1 as "no country"

struct Stripe {
    QColor colour;
    double weight = 1.0;
};

struct Disc {
    QColor colour;
    double cx = 0.5; // centre and radius as fractions of the flag height/width
    double cy = 0.5;
    double r = 0.2;
};

struct Flag {
    Qt::Orientation orientation = Qt::Horizontal;
    QVector<Stripe> stripes;
    QColor nordicCross;       // cross shifted to the hoist
    QColor nordicInner;
    QColor centredCross;
    QColor centredInner;
    QColor canton;            // upper hoist rectangle
    QColor hoistTriangle;
    double triangleDepth = 0.4;
    QColor hoistBand;
    QColor diamond;
    QVector<Disc> discs;
};

struct Country {
    const char *ioc;
    const char *iso;
    const char *nameRus;
    const char *nameEng;
    Flag flag;
};

QColor c(const char *name) { return QColor(name); }

const QColor kRed = c("#d52b1e");
const QColor kWhite = c("#ffffff");
const QColor kBlue = c("#0039a6");
const QColor kNavy = c("#012169");
const QColor kSky = c("#00afca");
const QColor kGreen = c("#009246");
const QColor kYellow = c("#fcd116");
const QColor kBlack = c("#000000");

Flag h(std::initializer_list<Stripe> s) { Flag f; f.stripes = s; return f; }
Flag v(std::initializer_list<Stripe> s) { Flag f = h(s); f.orientation = Qt::Vertical; return f; }
Flag alternate(const QColor &a, const QColor &b, int count)
{
    Flag f;
    for (int i = 0; i < count; ++i)
        f.stripes.append({i % 2 ? b : a, 1.0});
    return f;
}
Flag nordic(const QColor &field, const QColor &cross, const QColor &inner = QColor())
{
    Flag f = h({{field, 1}});
    f.nordicCross = cross;
    f.nordicInner = inner;
    return f;
}
Flag centred(const QColor &field, const QColor &cross, const QColor &inner = QColor())
{
    Flag f = h({{field, 1}});
    f.centredCross = cross;
    f.centredInner = inner;
    return f;
}
Flag withDisc(Flag f, const QColor &colour, double cx = 0.5, double cy = 0.5, double r = 0.25)
{
    f.discs.append({colour, cx, cy, r});
    return f;
}
Flag withCanton(Flag f, const QColor &colour) { f.canton = colour; return f; }
Flag withTriangle(Flag f, const QColor &colour, double depth = 0.4)
{
    f.hoistTriangle = colour;
    f.triangleDepth = depth;
    return f;
}
Flag withBand(Flag f, const QColor &colour) { f.hoistBand = colour; return f; }
Flag withDiamond(Flag f, const QColor &colour) { f.diamond = colour; return f; }

QVector<Country> countries()
{
    return {
        {"RUS", "RU", "Россия", "Russia", h({{kWhite}, {kBlue}, {kRed}})},
        {"BLR", "BY", "Беларусь", "Belarus", h({{c("#c8313e"), 2}, {c("#4aa657"), 1}})},
        {"UKR", "UA", "Украина", "Ukraine", h({{c("#0057b7")}, {c("#ffd700")}})},
        {"KAZ", "KZ", "Казахстан", "Kazakhstan", withDisc(h({{kSky}}), kYellow)},
        {"UZB", "UZ", "Узбекистан", "Uzbekistan", h({{c("#0099b5")}, {kWhite}, {c("#1eb53a")}})},
        {"KGZ", "KG", "Киргизия", "Kyrgyzstan", withDisc(h({{c("#e8112d")}}), kYellow)},
        {"TJK", "TJ", "Таджикистан", "Tajikistan", h({{c("#cc0000"), 2}, {kWhite, 3}, {c("#006600"), 2}})},
        {"TKM", "TM", "Туркменистан", "Turkmenistan", v({{c("#00843d"), 1}, {c("#d22630"), 1.5}, {c("#00843d"), 6}})},
        {"ARM", "AM", "Армения", "Armenia", h({{c("#d90012")}, {c("#0033a0")}, {c("#f2a800")}})},
        {"AZE", "AZ", "Азербайджан", "Azerbaijan", h({{c("#0092bc")}, {c("#e4002b")}, {c("#00af66")}})},
        {"GEO", "GE", "Грузия", "Georgia", centred(kWhite, c("#ff0000"))},
        {"MDA", "MD", "Молдавия", "Moldova", v({{c("#0046ae")}, {c("#ffd200")}, {c("#cc092f")}})},
        {"LAT", "LV", "Латвия", "Latvia", h({{c("#9e3039"), 2}, {kWhite, 1}, {c("#9e3039"), 2}})},
        {"LTU", "LT", "Литва", "Lithuania", h({{c("#fdb913")}, {c("#006a44")}, {c("#c1272d")}})},
        {"EST", "EE", "Эстония", "Estonia", h({{c("#0072ce")}, {kBlack}, {kWhite}})},
        {"POL", "PL", "Польша", "Poland", h({{kWhite}, {c("#dc143c")}})},
        {"CZE", "CZ", "Чехия", "Czech Republic", withTriangle(h({{kWhite}, {c("#d7141a")}}), c("#11457e"), 0.5)},
        {"SVK", "SK", "Словакия", "Slovakia", withDisc(h({{kWhite}, {c("#0b4ea2")}, {c("#ee1c25")}}), c("#ee1c25"), 0.33, 0.5, 0.2)},
        {"HUN", "HU", "Венгрия", "Hungary", h({{c("#ce2939")}, {kWhite}, {c("#477050")}})},
        {"ROU", "RO", "Румыния", "Romania", v({{c("#002b7f")}, {c("#fcd116")}, {c("#ce1126")}})},
        {"BUL", "BG", "Болгария", "Bulgaria", h({{kWhite}, {c("#00966e")}, {c("#d62612")}})},
        {"SRB", "RS", "Сербия", "Serbia", h({{c("#c6363c")}, {c("#0c4076")}, {kWhite}})},
        {"CRO", "HR", "Хорватия", "Croatia", withDisc(h({{c("#ff0000")}, {kWhite}, {c("#171796")}}), c("#ff0000"), 0.5, 0.5, 0.18)},
        {"SLO", "SI", "Словения", "Slovenia", withDisc(h({{kWhite}, {c("#0000ff")}, {c("#ff0000")}}), c("#0000ff"), 0.3, 0.4, 0.16)},
        {"GER", "DE", "Германия", "Germany", h({{kBlack}, {c("#dd0000")}, {c("#ffce00")}})},
        {"AUT", "AT", "Австрия", "Austria", h({{c("#ed2939")}, {kWhite}, {c("#ed2939")}})},
        {"SUI", "CH", "Швейцария", "Switzerland", centred(c("#ff0000"), kWhite)},
        {"FRA", "FR", "Франция", "France", v({{c("#0055a4")}, {kWhite}, {c("#ef4135")}})},
        {"ITA", "IT", "Италия", "Italy", v({{kGreen}, {kWhite}, {c("#ce2b37")}})},
        {"ESP", "ES", "Испания", "Spain", h({{c("#aa151b"), 1}, {c("#f1bf00"), 2}, {c("#aa151b"), 1}})},
        {"POR", "PT", "Португалия", "Portugal", withDisc(v({{c("#006600"), 2}, {c("#ff0000"), 3}}), kYellow, 0.4, 0.5, 0.2)},
        {"BEL", "BE", "Бельгия", "Belgium", v({{kBlack}, {c("#fae042")}, {c("#ed2939")}})},
        {"NED", "NL", "Нидерланды", "Netherlands", h({{c("#ae1c28")}, {kWhite}, {c("#21468b")}})},
        {"LUX", "LU", "Люксембург", "Luxembourg", h({{c("#ed2939")}, {kWhite}, {c("#00a1de")}})},
        {"GBR", "GB", "Великобритания", "Great Britain", centred(kNavy, kWhite, c("#c8102e"))},
        {"IRL", "IE", "Ирландия", "Ireland", v({{c("#169b62")}, {kWhite}, {c("#ff883e")}})},
        {"NOR", "NO", "Норвегия", "Norway", nordic(c("#ba0c2f"), kWhite, c("#00205b"))},
        {"SWE", "SE", "Швеция", "Sweden", nordic(c("#006aa7"), c("#fecc00"))},
        {"FIN", "FI", "Финляндия", "Finland", nordic(kWhite, c("#002f6c"))},
        {"DEN", "DK", "Дания", "Denmark", nordic(c("#c8102e"), kWhite)},
        {"ISL", "IS", "Исландия", "Iceland", nordic(c("#02529c"), kWhite, c("#dc1e35"))},
        {"GRE", "GR", "Греция", "Greece", withCanton(alternate(c("#0d5eaf"), kWhite, 9), c("#0d5eaf"))},
        {"TUR", "TR", "Турция", "Turkey", withDisc(h({{c("#e30a17")}}), kWhite, 0.4, 0.5, 0.25)},
        {"ISR", "IL", "Израиль", "Israel", h({{kWhite, 1}, {c("#0038b8"), 1}, {kWhite, 4}, {c("#0038b8"), 1}, {kWhite, 1}})},
        {"CYP", "CY", "Кипр", "Cyprus", withDisc(h({{kWhite}}), c("#d57800"), 0.5, 0.45, 0.22)},
        {"CHN", "CN", "Китай", "China", withDisc(h({{c("#de2910")}}), c("#ffde00"), 0.17, 0.25, 0.15)},
        {"JPN", "JP", "Япония", "Japan", withDisc(h({{kWhite}}), c("#bc002d"), 0.5, 0.5, 0.3)},
        {"KOR", "KR", "Республика Корея", "Korea", withDisc(withDisc(h({{kWhite}}), c("#0047a0"), 0.5, 0.5, 0.25), c("#cd2e3a"), 0.5, 0.42, 0.17)},
        {"IND", "IN", "Индия", "India", withDisc(h({{c("#ff9933")}, {kWhite}, {c("#138808")}}), c("#000080"), 0.5, 0.5, 0.12)},
        {"IRI", "IR", "Иран", "Iran", h({{c("#239f40")}, {kWhite}, {c("#da0000")}})},
        {"MGL", "MN", "Монголия", "Mongolia", v({{c("#c4272f")}, {c("#015197")}, {c("#c4272f")}})},
        {"THA", "TH", "Таиланд", "Thailand", h({{c("#a51931"), 1}, {kWhite, 1}, {c("#2d2a4a"), 2}, {kWhite, 1}, {c("#a51931"), 1}})},
        {"INA", "ID", "Индонезия", "Indonesia", h({{c("#ce1126")}, {kWhite}})},
        {"VIE", "VN", "Вьетнам", "Vietnam", withDisc(h({{c("#da251d")}}), c("#ffcd00"), 0.5, 0.5, 0.25)},
        {"SGP", "SG", "Сингапур", "Singapore", withDisc(h({{c("#ef3340")}, {kWhite}}), kWhite, 0.2, 0.25, 0.15)},
        {"MAS", "MY", "Малайзия", "Malaysia", withCanton(alternate(c("#cc0001"), kWhite, 14), c("#010066"))},
        {"AUS", "AU", "Австралия", "Australia", withDisc(withCanton(h({{c("#00008b")}}), c("#c8102e")), kWhite, 0.75, 0.6, 0.1)},
        {"NZL", "NZ", "Новая Зеландия", "New Zealand", withDisc(withCanton(h({{c("#00247d")}}), c("#cc142b")), c("#cc142b"), 0.75, 0.5, 0.1)},
        {"USA", "US", "США", "United States", withCanton(alternate(c("#b22234"), kWhite, 13), c("#3c3b6e"))},
        {"CAN", "CA", "Канада", "Canada", withDisc(v({{c("#ff0000"), 1}, {kWhite, 2}, {c("#ff0000"), 1}}), c("#ff0000"), 0.5, 0.5, 0.22)},
        {"MEX", "MX", "Мексика", "Mexico", withDisc(v({{c("#006847")}, {kWhite}, {c("#ce1126")}}), c("#8c6239"), 0.5, 0.5, 0.14)},
        {"BRA", "BR", "Бразилия", "Brazil", withDisc(withDiamond(h({{c("#009c3b")}}), c("#ffdf00")), c("#002776"), 0.5, 0.5, 0.22)},
        {"ARG", "AR", "Аргентина", "Argentina", withDisc(h({{c("#74acdf")}, {kWhite}, {c("#74acdf")}}), c("#f6b40e"), 0.5, 0.5, 0.12)},
        {"CUB", "CU", "Куба", "Cuba", withTriangle(alternate(c("#002a8f"), kWhite, 5), c("#cf142b"), 0.45)},
        {"EGY", "EG", "Египет", "Egypt", h({{c("#ce1126")}, {kWhite}, {kBlack}})},
        {"RSA", "ZA", "ЮАР", "South Africa", withTriangle(h({{c("#e03c31"), 2}, {kWhite, 0.5}, {c("#007749"), 1.5}, {kWhite, 0.5}, {c("#001489"), 2}}), kBlack, 0.35)},
        {"QAT", "QA", "Катар", "Qatar", v({{kWhite, 1}, {c("#8a1538"), 3}})},
        {"KUW", "KW", "Кувейт", "Kuwait", withTriangle(h({{c("#007a3d")}, {kWhite}, {c("#ce1126")}}), kBlack, 0.25)},
        {"UAE", "AE", "ОАЭ", "United Arab Emirates", withBand(h({{c("#00732f")}, {kWhite}, {kBlack}}), c("#ff0000"))},
        {"KSA", "SA", "Саудовская Аравия", "Saudi Arabia", withDisc(h({{c("#006c35")}}), kWhite, 0.5, 0.5, 0.1)},
    };
}

void draw(QPainter &p, const Flag &f)
{
    double total = 0;
    for (const Stripe &s : f.stripes)
        total += s.weight;
    double at = 0;
    for (const Stripe &s : f.stripes) {
        const double from = at / total;
        at += s.weight;
        const double to = at / total;
        if (f.orientation == Qt::Horizontal)
            p.fillRect(QRectF(0, from * kHeight, kWidth, (to - from) * kHeight + 0.5), s.colour);
        else
            p.fillRect(QRectF(from * kWidth, 0, (to - from) * kWidth + 0.5, kHeight), s.colour);
    }
    if (f.canton.isValid())
        p.fillRect(QRectF(0, 0, kWidth * 0.4, kHeight * 0.54), f.canton);
    if (f.hoistBand.isValid())
        p.fillRect(QRectF(0, 0, kWidth * 0.25, kHeight), f.hoistBand);
    if (f.hoistTriangle.isValid()) {
        p.setPen(Qt::NoPen);
        p.setBrush(f.hoistTriangle);
        p.drawPolygon(QPolygonF({QPointF(0, 0), QPointF(kWidth * f.triangleDepth, kHeight / 2.0),
                                 QPointF(0, kHeight)}));
    }
    if (f.diamond.isValid()) {
        p.setPen(Qt::NoPen);
        p.setBrush(f.diamond);
        p.drawPolygon(QPolygonF({QPointF(kWidth * 0.1, kHeight / 2.0), QPointF(kWidth / 2.0, kHeight * 0.1),
                                 QPointF(kWidth * 0.9, kHeight / 2.0), QPointF(kWidth / 2.0, kHeight * 0.9)}));
    }
    auto cross = [&](const QColor &colour, double cx, double thickness) {
        p.fillRect(QRectF(cx - thickness / 2, 0, thickness, kHeight), colour);
        p.fillRect(QRectF(0, kHeight / 2.0 - thickness / 2, kWidth, thickness), colour);
    };
    if (f.nordicCross.isValid()) {
        cross(f.nordicCross, kWidth * 0.36, kHeight * 0.2);
        if (f.nordicInner.isValid())
            cross(f.nordicInner, kWidth * 0.36, kHeight * 0.1);
    }
    if (f.centredCross.isValid()) {
        cross(f.centredCross, kWidth / 2.0, kHeight * 0.24);
        if (f.centredInner.isValid())
            cross(f.centredInner, kWidth / 2.0, kHeight * 0.12);
    }
    for (const Disc &d : f.discs) {
        p.setPen(Qt::NoPen);
        p.setBrush(d.colour);
        p.drawEllipse(QPointF(d.cx * kWidth, d.cy * kHeight), d.r * kHeight, d.r * kHeight);
    }
}

QString escaped(const char *text)
{
    return QString::fromUtf8(text).toHtmlEscaped();
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral("Draws the country flags and writes the country list file."));
    parser.addHelpOption();
    parser.addPositionalArgument(QStringLiteral("folder"), QStringLiteral("Where the flags and the list go."));
    parser.process(app);
    if (parser.positionalArguments().size() != 1)
        parser.showHelp(2);
    const QString folder = parser.positionalArguments().first();
    if (!QDir().mkpath(folder)) {
        std::fprintf(stderr, "cannot make %s\n", qPrintable(folder));
        return 1;
    }

    QFile list(folder + QStringLiteral("/CountyList.xml"));
    if (!list.open(QIODevice::WriteOnly | QIODevice::Truncate | QIODevice::Text))
        return 1;
    QTextStream out(&list);
    out.setCodec("UTF-8");
    out << "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<CountriesList>\n";

    int id = kFirstID;
    for (const Country &country : countries()) {
        const QString fileName = QString::fromLatin1(country.ioc).toLower() + QStringLiteral(".png");
        QImage image(kWidth, kHeight, QImage::Format_RGB32);
        image.fill(Qt::white);
        {
            QPainter painter(&image);
            painter.setRenderHint(QPainter::Antialiasing);
            draw(painter, country.flag);
        }
        if (!image.save(folder + QLatin1Char('/') + fileName, "PNG"))
            return 1;
        out << "  <Country>\n"
            << "    <ID>" << id++ << "</ID>\n"
            << "    <NameShort>" << country.ioc << "</NameShort>\n"
            << "    <NameShort1>" << country.iso << "</NameShort1>\n"
            << "    <NameRus>" << escaped(country.nameRus) << "</NameRus>\n"
            << "    <NameEng>" << escaped(country.nameEng) << "</NameEng>\n"
            << "    <FFile>" << fileName << "</FFile>\n"
            << "  </Country>\n";
    }
    out << "</CountriesList>\n";
    return 0;
}
