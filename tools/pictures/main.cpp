// Draws every picture of the program from one palette, so that a colour or a
// size changes here and nowhere else:
//   <source>/img/...          pictures compiled into the program (logo, bus and
//                             target state icons, the shot direction arrows)
//   <source>/data/styles/...  the style sheet's loose pictures, found below
//                             the program's current directory
// Run it from the build tree and commit what it writes:
//   range_pictures <source folder>
#include <QColor>
#include <QCommandLineParser>
#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QImage>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QPolygonF>
#include <QRadialGradient>
#include <QRandomGenerator>
#include <QTransform>
#include <QtMath>

#include <cstdio>
#include <cstdlib>
#include <functional>

namespace {

// The program's colours (the style sheet names the same ones in its rules).
const QColor kInk("#4c3216");        // labels, arrows, outlines
const QColor kDarkInk("#2b1d10");
const QColor kSelection("#806f59");
const QColor kField(244, 244, 243);
const QColor kFieldBorder("#232321");
const QColor kParchment("#e6d9c0");   // window background
const QColor kPaper("#eee3cc");       // item views, read-only fields
const QColor kGold("#c9a45c");
const QColor kGreen("#2e9d3a");
const QColor kRed("#c8322a");

struct ButtonLook {
    QColor top;
    QColor bottom;
    QColor edge;
    QColor shine; // the one-pixel light line under the top edge
};

const ButtonLook kButtonNormal{QColor("#9c774f"), QColor("#5e4024"), QColor("#3a2512"), QColor(255, 255, 255, 70)};
const ButtonLook kButtonHover{QColor("#b58c5f"), QColor("#70502e"), QColor("#3a2512"), QColor(255, 255, 255, 90)};
const ButtonLook kButtonPressed{QColor("#4a311b"), QColor("#6d4d2d"), QColor("#2b1a0b"), QColor(0, 0, 0, 60)};
const ButtonLook kButtonChecked{QColor("#5b3e22"), QColor("#7e5b36"), QColor("#2b1a0b"), QColor(0, 0, 0, 40)};
const ButtonLook kButtonDisabled{QColor("#b1a596"), QColor("#8f8376"), QColor("#6f655a"), QColor(255, 255, 255, 50)};

QString g_root;
int g_written = 0;

QImage canvas(int width, int height)
{
    QImage image(width, height, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    return image;
}

void save(const QImage &image, const QString &relative)
{
    const QString path = g_root + QLatin1Char('/') + relative;
    if (!QDir().mkpath(QFileInfo(path).absolutePath()) || !image.save(path, "PNG")) {
        std::fprintf(stderr, "cannot write %s\n", qPrintable(path));
        std::exit(1);
    }
    ++g_written;
}

// Draws into a fresh transparent image of that size, antialiased.
QImage draw(int width, int height, const std::function<void(QPainter &)> &paint)
{
    QImage image = canvas(width, height);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    paint(painter);
    return image;
}

// A triangle pointing along the angle (degrees, counter-clockwise from the
// right, as on screen with y upwards), centred in the box.
QPolygonF triangle(const QRectF &box, double degrees, double size)
{
    const QPointF centre = box.center();
    QTransform turn;
    turn.translate(centre.x(), centre.y());
    turn.rotate(-degrees);
    const QPolygonF right({QPointF(size * 0.5, 0), QPointF(-size * 0.35, -size * 0.5),
                           QPointF(-size * 0.35, size * 0.5)});
    return turn.map(right);
}

// ------------------------------------------------------------------ resources

void logo(const QString &relative, int side)
{
    save(draw(side, side, [side](QPainter &p) {
             const double s = side / 1100.0;
             const QPointF c(side / 2.0, side / 2.0);
             // Badge.
             QRadialGradient badge(c, 540 * s, c - QPointF(120 * s, 160 * s));
             badge.setColorAt(0, QColor("#7d5732"));
             badge.setColorAt(1, QColor("#3b2510"));
             p.setPen(QPen(kGold, 26 * s));
             p.setBrush(badge);
             p.drawEllipse(c, 520 * s, 520 * s);
             p.setPen(QPen(QColor("#e4c98e"), 6 * s));
             p.setBrush(Qt::NoBrush);
             p.drawEllipse(c, 478 * s, 478 * s);
             // Target face: ten rings, the black aiming mark over rings 4 to 10.
             p.setPen(Qt::NoPen);
             p.setBrush(QColor("#f6f1e4"));
             p.drawEllipse(c, 390 * s, 390 * s);
             const double ring = 39 * s;
             p.setBrush(kDarkInk);
             p.drawEllipse(c, ring * 7, ring * 7);
             for (int k = 1; k <= 10; ++k) {
                 p.setPen(QPen(k <= 7 ? QColor("#f6f1e4") : kDarkInk, 4 * s));
                 p.setBrush(Qt::NoBrush);
                 p.drawEllipse(c, ring * k, ring * k);
             }
             p.setPen(Qt::NoPen);
             p.setBrush(QColor("#f6f1e4"));
             p.drawEllipse(c, ring * 0.45, ring * 0.45);
             // Cross-hair marks on the rim.
             p.setBrush(kGold);
             for (int quarter = 0; quarter < 4; ++quarter) {
                 QTransform turn;
                 turn.translate(c.x(), c.y());
                 turn.rotate(90.0 * quarter);
                 p.drawPolygon(turn.map(QPolygonF(QRectF(400 * s, -14 * s, 96 * s, 28 * s))));
             }
             // Three hits, the best one in the ten.
             p.setBrush(QColor("#d9b46a"));
             p.setPen(QPen(kDarkInk, 5 * s));
             for (const QPointF &hit : {QPointF(18, -22), QPointF(-95, 60), QPointF(150, 120)})
                 p.drawEllipse(c + hit * s, 22 * s, 22 * s);
         }),
         relative);
}

// A glossy round lamp: green when the unit answers, red when it does not.
void lamp(const QString &relative, const QColor &colour)
{
    save(draw(32, 32, [&colour](QPainter &p) {
             const QRectF r(2, 2, 28, 28);
             QRadialGradient body(r.center(), 14, QPointF(12, 11));
             body.setColorAt(0, colour.lighter(170));
             body.setColorAt(0.55, colour);
             body.setColorAt(1, colour.darker(160));
             p.setPen(QPen(colour.darker(220), 1.5));
             p.setBrush(body);
             p.drawEllipse(r);
             QLinearGradient shine(0, 4, 0, 16);
             shine.setColorAt(0, QColor(255, 255, 255, 190));
             shine.setColorAt(1, QColor(255, 255, 255, 0));
             p.setPen(Qt::NoPen);
             p.setBrush(shine);
             p.drawEllipse(QRectF(8, 4, 16, 11));
         }),
         relative);
}

// A network hub on a coloured tile: a converter that answers, or not.
void netIcon(const QString &relative, const QColor &colour)
{
    save(draw(32, 32, [&colour](QPainter &p) {
             QLinearGradient tile(0, 0, 0, 32);
             tile.setColorAt(0, colour.lighter(135));
             tile.setColorAt(1, colour.darker(130));
             p.setPen(QPen(colour.darker(200), 1.5));
             p.setBrush(tile);
             p.drawRoundedRect(QRectF(1.5, 1.5, 29, 29), 6, 6);
             const QPointF hub(16, 17);
             const QPointF ends[] = {QPointF(8, 8), QPointF(24, 8), QPointF(16, 27)};
             p.setPen(QPen(Qt::white, 2.4, Qt::SolidLine, Qt::RoundCap));
             for (const QPointF &end : ends)
                 p.drawLine(hub, end);
             p.setPen(Qt::NoPen);
             p.setBrush(Qt::white);
             p.drawEllipse(hub, 4.2, 4.2);
             for (const QPointF &end : ends)
                 p.drawEllipse(end, 3, 3);
         }),
         relative);
}

// The direction of a hit from the centre: place code 0 is the very centre,
// 1 to 8 the octant counted counter-clockwise from the right.
void arrows()
{
    constexpr int kSide = 16;
    save(draw(kSide, kSide, [](QPainter &p) {
             p.setPen(QPen(kInk, 1.4));
             p.setBrush(Qt::NoBrush);
             p.drawEllipse(QPointF(8, 8), 5.5, 5.5);
             p.setPen(Qt::NoPen);
             p.setBrush(kInk);
             p.drawEllipse(QPointF(8, 8), 2.4, 2.4);
         }),
         QStringLiteral("img/arrows/arr0.png"));
    for (int code = 1; code <= 8; ++code) {
        const double degrees = (code - 1) * 45.0 + 22.5;
        save(draw(kSide, kSide, [degrees](QPainter &p) {
                 QTransform turn;
                 turn.translate(8, 8);
                 turn.rotate(-degrees);
                 p.setTransform(turn);
                 p.setPen(QPen(kInk, 2, Qt::SolidLine, Qt::RoundCap));
                 p.drawLine(QPointF(-6, 0), QPointF(3, 0));
                 p.setPen(Qt::NoPen);
                 p.setBrush(kInk);
                 p.drawPolygon(QPolygonF({QPointF(7, 0), QPointF(1, -4), QPointF(1, 4)}));
             }),
             QStringLiteral("img/arrows/arr%1.png").arg(code));
    }
    // A shot the exercise filled in or flagged: no direction to show.
    save(draw(kSide, kSide, [](QPainter &p) {
             p.setPen(QPen(kRed.darker(140), 1));
             p.setBrush(kRed);
             p.drawEllipse(QRectF(1, 1, 14, 14));
             p.setPen(QPen(Qt::white, 2, Qt::SolidLine, Qt::RoundCap));
             p.drawLine(QPointF(5, 5), QPointF(11, 11));
             p.drawLine(QPointF(11, 5), QPointF(5, 11));
         }),
         QStringLiteral("img/arrows/err.png"));
}

// ------------------------------------------------------------- style pictures

// A seamless tile: the base colour with fine grain and faint fibres.
void backgroundTile(const QString &relative, const QColor &base, int alpha, int grain, quint32 seed)
{
    constexpr int kTile = 128;
    QImage image(kTile, kTile, QImage::Format_ARGB32);
    QRandomGenerator random(seed);
    for (int y = 0; y < kTile; ++y) {
        for (int x = 0; x < kTile; ++x) {
            const int shade = random.bounded(-grain, grain + 1);
            // Fibres run across the tile and wrap, so the tiling shows no seam.
            const double fibre = 0.5 + 0.5 * qSin(2 * M_PI * (x + 2 * y) / kTile * 3);
            const int d = shade + qRound(fibre * grain * 0.6);
            image.setPixelColor(x, y, QColor(qBound(0, base.red() + d, 255),
                                             qBound(0, base.green() + d, 255),
                                             qBound(0, base.blue() + d, 255), alpha));
        }
    }
    save(image, relative);
}

void button(const QString &relative, const ButtonLook &look, int slice)
{
    save(draw(48, 28, [&look, slice](QPainter &p) {
             const QRectF r(0.5, 0.5, 47, 27);
             QLinearGradient fill(0, 0, 0, 28);
             fill.setColorAt(0, look.top);
             fill.setColorAt(1, look.bottom);
             p.setPen(QPen(look.edge, 1));
             p.setBrush(fill);
             p.drawRoundedRect(r, slice, slice);
             p.setPen(QPen(look.shine, 1));
             p.drawLine(QPointF(slice, 1.5), QPointF(48 - slice, 1.5));
         }),
         relative);
}

void comboArrow(const QString &relative, const QColor &colour)
{
    save(draw(20, 20, [&colour](QPainter &p) {
             p.setPen(Qt::NoPen);
             p.setBrush(colour);
             p.drawPolygon(triangle(QRectF(0, 0, 20, 20), -90, 10));
         }),
         relative);
}

// The mark of a sighting shot in the run table's corner: a small sight.
void sightingMark(const QString &relative)
{
    save(draw(12, 12, [](QPainter &p) {
             p.setPen(QPen(kGreen, 1.4));
             p.setBrush(Qt::NoBrush);
             p.drawEllipse(QPointF(6, 6), 4.2, 4.2);
             p.setPen(QPen(kGreen, 1.2));
             p.drawLine(QPointF(6, 0.5), QPointF(6, 4));
             p.drawLine(QPointF(6, 8), QPointF(6, 11.5));
             p.drawLine(QPointF(0.5, 6), QPointF(4, 6));
             p.drawLine(QPointF(8, 6), QPointF(11.5, 6));
         }),
         relative);
}

// The scroll bar's parts are drawn upright; the horizontal ones are the same
// pictures turned a quarter.
QImage turned(const QImage &image)
{
    return image.transformed(QTransform().rotate(-90));
}

QImage groove()
{
    return draw(20, 64, [](QPainter &p) {
        QLinearGradient track(6, 0, 14, 0);
        track.setColorAt(0, QColor("#bfae90"));
        track.setColorAt(1, QColor("#d8cbb2"));
        p.setPen(QPen(QColor("#a18e70"), 1));
        p.setBrush(track);
        p.drawRoundedRect(QRectF(6.5, -4, 7, 72), 3.5, 3.5);
    });
}

QImage handle(const QColor &colour)
{
    return draw(20, 40, [&colour](QPainter &p) {
        QLinearGradient fill(3, 0, 17, 0);
        fill.setColorAt(0, colour.lighter(125));
        fill.setColorAt(1, colour.darker(115));
        p.setPen(QPen(colour.darker(170), 1));
        p.setBrush(fill);
        p.drawRoundedRect(QRectF(3.5, 0.5, 13, 39), 5, 5);
    });
}

QImage stepButton(double degrees, const QColor &face, const QColor &mark)
{
    return draw(20, 30, [&](QPainter &p) {
        p.setPen(QPen(face.darker(150), 1));
        p.setBrush(face);
        p.drawRoundedRect(QRectF(1.5, 2.5, 17, 25), 4, 4);
        p.setPen(Qt::NoPen);
        p.setBrush(mark);
        p.drawPolygon(triangle(QRectF(0, 0, 20, 30), degrees, 9));
    });
}

void scrollBar()
{
    const QString dir = QStringLiteral("data/styles/scrollbar/");
    save(groove(), dir + QStringLiteral("liner_v.png"));
    save(turned(groove()), dir + QStringLiteral("liner_h.png"));
    const QColor quiet("#a8957a");
    const QColor lively = kSelection;
    save(handle(quiet), dir + QStringLiteral("handle_disabled_v.png"));
    save(handle(lively), dir + QStringLiteral("handle_active_v.png"));
    save(turned(handle(quiet)), dir + QStringLiteral("handle_disabled_h.png"));
    save(turned(handle(lively)), dir + QStringLiteral("handle_active_h.png"));

    struct State { const char *name; QColor face; QColor mark; };
    const State states[] = {
        {"disabled", QColor("#d9ccb4"), QColor("#a8957a")},
        {"hovered", QColor("#e8dcc6"), kSelection},
        {"active", kSelection, Qt::white},
    };
    struct Direction { const char *name; double degrees; bool horizontal; };
    const Direction directions[] = {
        {"up", 90, false}, {"down", -90, false}, {"left", 90, true}, {"right", -90, true}};
    for (const Direction &direction : directions) {
        for (const State &state : states) {
            // A horizontal button is the upright one turned, so left is "up" turned.
            QImage image = stepButton(direction.degrees, state.face, state.mark);
            if (direction.horizontal)
                image = turned(image);
            save(image, dir + QStringLiteral("%1_%2.png").arg(QLatin1String(direction.name),
                                                              QLatin1String(state.name)));
        }
    }
}

void indicator(const QString &relative, bool round, bool checked, bool hover)
{
    save(draw(16, 16, [=](QPainter &p) {
             const QRectF r(1.5, 1.5, 13, 13);
             p.setPen(QPen(hover ? kSelection : kFieldBorder, hover ? 1.6 : 1.2));
             p.setBrush(hover ? QColor("#fffaf0") : kField);
             if (round)
                 p.drawEllipse(r);
             else
                 p.drawRoundedRect(r, 2.5, 2.5);
             if (!checked)
                 return;
             const QColor mark = hover ? kSelection : kInk;
             if (round) {
                 p.setPen(Qt::NoPen);
                 p.setBrush(mark);
                 p.drawEllipse(r.center(), 3.6, 3.6);
             } else {
                 p.setPen(QPen(mark, 2.2, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
                 p.setBrush(Qt::NoBrush);
                 p.drawPolyline(QPolygonF({QPointF(4.5, 8.5), QPointF(7, 11), QPointF(11.8, 5)}));
             }
         }),
         relative);
}

void spinButton(const QString &relative, bool up, const QColor &face, const QColor &mark)
{
    save(draw(16, 10, [=](QPainter &p) {
             p.setPen(Qt::NoPen);
             p.setBrush(face);
             p.drawRoundedRect(QRectF(0.5, 0.5, 15, 9), 2, 2);
             p.setBrush(mark);
             p.drawPolygon(triangle(QRectF(0, 0, 16, 10), up ? 90 : -90, 7));
         }),
         relative);
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral(
        "Draws the program's pictures (img/) and the style sheet's pictures (data/styles/)."));
    parser.addHelpOption();
    parser.addPositionalArgument(QStringLiteral("folder"), QStringLiteral("The source folder to draw into."));
    parser.process(app);
    if (parser.positionalArguments().size() != 1)
        parser.showHelp(2);
    g_root = parser.positionalArguments().first();

    logo(QStringLiteral("img/logo/logo.png"), 1100);
    lamp(QStringLiteral("img/clasters/green_ico.png"), kGreen);
    lamp(QStringLiteral("img/clasters/red_ico.png"), kRed);
    netIcon(QStringLiteral("img/net/net_green.png"), kGreen);
    netIcon(QStringLiteral("img/net/net_red.png"), kRed);
    arrows();
    sightingMark(QStringLiteral("img/practice/pract1.png"));

    backgroundTile(QStringLiteral("data/styles/backgrounds/bg.png"), kParchment, 255, 5, 1);
    backgroundTile(QStringLiteral("data/styles/backgrounds/_bg.png"), kPaper, 235, 3, 2);
    logo(QStringLiteral("data/styles/logo/logo.png"), 600);
    const QString buttons = QStringLiteral("data/styles/brown_btn/brown_btn_");
    button(buttons + QStringLiteral("normal.png"), kButtonNormal, 3);
    button(buttons + QStringLiteral("hover.png"), kButtonHover, 3);
    button(buttons + QStringLiteral("diabled.png"), kButtonDisabled, 3);
    button(buttons + QStringLiteral("pressed.png"), kButtonPressed, 5);
    button(buttons + QStringLiteral("checked.png"), kButtonChecked, 5);
    comboArrow(QStringLiteral("data/styles/comboBox/arrow.png"), kInk);
    comboArrow(QStringLiteral("data/styles/comboBox/arrow_hover.png"), kSelection);
    comboArrow(QStringLiteral("data/styles/comboBox/arrow_pressed.png"), kDarkInk);
    scrollBar();
    for (bool round : {true, false}) {
        const QString base = round ? QStringLiteral("data/styles/radioButton/radioButton_")
                                   : QStringLiteral("data/styles/checkBox/checkbox_");
        indicator(base + QStringLiteral("checked.png"), round, true, false);
        indicator(base + QStringLiteral("checked_hover.png"), round, true, true);
        indicator(base + QStringLiteral("unChecked.png"), round, false, false);
        indicator(base + QStringLiteral("unChecked_hover.png"), round, false, true);
    }
    const QColor spinFace("#e3d7c1");
    const QString spin = QStringLiteral("data/styles/spinbox/");
    spinButton(spin + QStringLiteral("btnUP.png"), true, spinFace, kInk);
    spinButton(spin + QStringLiteral("btnUP_hover.png"), true, QColor("#d6c7ab"), kSelection);
    spinButton(spin + QStringLiteral("btnUP_pressed.png"), true, kSelection, Qt::white);
    spinButton(spin + QStringLiteral("btnDOWN.png"), false, spinFace, kInk);
    spinButton(spin + QStringLiteral("btnDOWN_hover.png"), false, QColor("#d6c7ab"), kSelection);
    spinButton(spin + QStringLiteral("btnDOWN_pressed.png"), false, kSelection, Qt::white);

    std::printf("%d pictures written below %s\n", g_written, qPrintable(g_root));
    return 0;
}
