// Draws the program's icons and logos into forms/images. Run by hand when the
// artwork changes: drawimages <output directory>. The PNGs are checked in.
#include <QDir>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QPainterPath>

#include <functional>

namespace {

using Draw = std::function<void(QPainter &)>;

void save(const QString &dir, const QString &name, int w, int h, const Draw &draw)
{
    QImage image(w, h, QImage::Format_ARGB32);
    image.fill(Qt::transparent);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    draw(p);
    p.end();
    image.save(dir + QLatin1Char('/') + name, "PNG");
}

void folder(QPainter &p, const QColor &c, bool open)
{
    p.setPen(QPen(c.darker(160), 1.2));
    p.setBrush(c.darker(115));
    p.drawRoundedRect(QRectF(3, 7, 12, 5), 1.5, 1.5);
    p.drawRoundedRect(QRectF(3, 9, 26, 19), 2, 2);
    p.setBrush(c);
    if (open) {
        QPolygonF flap({{7, 14}, {30, 14}, {26, 28}, {3, 28}});
        p.drawPolygon(flap);
    } else {
        p.drawRoundedRect(QRectF(3, 12, 26, 16), 2, 2);
    }
}

void disk(QPainter &p, const QColor &c)
{
    p.setPen(QPen(c.darker(170), 1.2));
    p.setBrush(c);
    QPainterPath body;
    body.moveTo(4, 4); body.lineTo(24, 4); body.lineTo(28, 8); body.lineTo(28, 28); body.lineTo(4, 28);
    body.closeSubpath();
    p.drawPath(body);
    p.setBrush(QColor(235, 235, 240));
    p.drawRect(QRectF(9, 4, 13, 9));
    p.setBrush(c.darker(140));
    p.drawRect(QRectF(17, 6, 3, 5));
    p.setBrush(Qt::white);
    p.drawRect(QRectF(8, 17, 16, 11));
}

void pencil(QPainter &p)
{
    p.save();
    p.translate(22, 22);
    p.rotate(-45);
    p.setPen(QPen(QColor(90, 60, 20), 1));
    p.setBrush(QColor(245, 190, 40));
    p.drawRect(QRectF(-3, -10, 6, 16));
    p.setBrush(QColor(240, 215, 170));
    p.drawPolygon(QPolygonF({{-3, 6}, {3, 6}, {0, 11}}));
    p.restore();
}

void powerSymbol(QPainter &p, const QColor &c)
{
    p.setPen(QPen(c, 3.5, Qt::SolidLine, Qt::RoundCap));
    p.setBrush(Qt::NoBrush);
    p.drawArc(QRectF(6, 7, 20, 20), 120 * 16, -300 * 16);
    p.drawLine(QPointF(16, 4), QPointF(16, 16));
}

void valveGlyph(QPainter &p, QPointF centre, double r, const QColor &c)
{
    p.setPen(QPen(c.darker(150), 1.2));
    p.setBrush(Qt::white);
    p.drawEllipse(centre, r, r);
    p.setBrush(c);
    p.drawEllipse(centre, r * 0.55, r * 0.55);
}

void compressorMark(QPainter &p, QRectF box, const QColor &ink)
{
    // A cylinder seen from the side: bore, piston and rod, with one valve on top.
    const double w = box.width(), h = box.height();
    p.setPen(QPen(ink, std::max(1.0, h / 18)));
    p.setBrush(Qt::NoBrush);
    p.drawRect(QRectF(box.left(), box.top() + h * 0.25, w * 0.7, h * 0.6));
    p.setBrush(ink);
    p.drawRect(QRectF(box.left() + w * 0.42, box.top() + h * 0.3, w * 0.1, h * 0.5));
    p.drawRect(QRectF(box.left() + w * 0.52, box.top() + h * 0.5, w * 0.48, h * 0.1));
    p.drawEllipse(QPointF(box.left() + w * 0.18, box.top() + h * 0.15), h * 0.12, h * 0.12);
}

void wordmark(QPainter &p, QRectF box, const QString &text, const QColor &ink, int pixelSize)
{
    QFont font(QStringLiteral("DejaVu Sans"));
    font.setBold(true);
    font.setPixelSize(pixelSize);
    p.setFont(font);
    p.setPen(ink);
    p.drawText(box, Qt::AlignLeft | Qt::AlignVCenter, text);
}

} // namespace

int main(int argc, char **argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    const QString dir = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QStringLiteral(".");
    QDir().mkpath(dir);

    const QColor yellow(240, 200, 80), blue(60, 110, 190), navy(25, 45, 95), red(200, 50, 45),
        green(60, 160, 80), grey(120, 125, 135);

    save(dir, "fileopen.png", 32, 32, [&](QPainter &p) { folder(p, yellow, true); });
    save(dir, "project_open.png", 32, 32, [&](QPainter &p) {
        folder(p, yellow, true);
        valveGlyph(p, {20, 20}, 7, blue);
    });
    save(dir, "filesave.png", 32, 32, [&](QPainter &p) { disk(p, blue); });
    save(dir, "filesaveas.png", 32, 32, [&](QPainter &p) { disk(p, blue); pencil(p); });
    save(dir, "exit.png", 32, 32, [&](QPainter &p) { powerSymbol(p, red); });
    save(dir, "application-exit.png", 32, 32, [&](QPainter &p) { powerSymbol(p, grey); });
    save(dir, "document-open.png", 32, 32, [&](QPainter &p) { folder(p, QColor(200, 170, 110), true); });
    save(dir, "document-open_0.png", 32, 32, [&](QPainter &p) { folder(p, QColor(200, 170, 110), false); });
    save(dir, "document-save.png", 32, 32, [&](QPainter &p) { disk(p, grey); });
    save(dir, "document-save-as.png", 32, 32, [&](QPainter &p) { disk(p, grey); pencil(p); });
    save(dir, "document-new.png", 32, 32, [&](QPainter &p) {
        p.setPen(QPen(grey.darker(150), 1.2));
        p.setBrush(Qt::white);
        p.drawPolygon(QPolygonF({{7, 3}, {20, 3}, {26, 9}, {26, 29}, {7, 29}}));
        p.setBrush(QColor(255, 220, 60));
        p.drawEllipse(QPointF(22, 24), 5, 5);
    });
    save(dir, "process-stop.png", 32, 32, [&](QPainter &p) {
        p.setPen(Qt::NoPen);
        p.setBrush(red);
        const double a = 6.5;
        p.drawPolygon(QPolygonF({{16 - a, 3}, {16 + a, 3}, {29, 16 - a}, {29, 16 + a},
                                 {16 + a, 29}, {16 - a, 29}, {3, 16 + a}, {3, 16 - a}}));
        p.setPen(QPen(Qt::white, 3));
        p.drawLine(QPointF(10, 16), QPointF(22, 16));
    });
    save(dir, "media-playback-start.png", 32, 32, [&](QPainter &p) {
        p.setPen(QPen(green.darker(150), 1.2));
        p.setBrush(green);
        p.drawPolygon(QPolygonF({{9, 5}, {27, 16}, {9, 27}}));
    });

    save(dir, "Logo_Orbel_zugeschnitten.png", 100, 37, [&](QPainter &p) {
        compressorMark(p, QRectF(2, 3, 34, 31), navy);
        wordmark(p, QRectF(40, 0, 60, 37), QStringLiteral("Kalvex"), navy, 16);
    });
    save(dir, "HaldenLogo.png", 142, 41, [&](QPainter &p) {
        p.setPen(Qt::NoPen);
        p.setBrush(blue);
        p.drawRoundedRect(QRectF(1, 3, 38, 35), 6, 6);
        valveGlyph(p, {20, 20.5}, 11, yellow);
        wordmark(p, QRectF(45, 0, 97, 22), QStringLiteral("Compressor"), navy, 13);
        wordmark(p, QRectF(45, 19, 97, 22), QStringLiteral("Flow Lab"), blue, 13);
    });
    save(dir, "logo.png", 150, 68, [&](QPainter &p) {
        compressorMark(p, QRectF(6, 8, 56, 52), navy);
        wordmark(p, QRectF(68, 0, 82, 68), QStringLiteral("Kalvex"), navy, 22);
    });
    return 0;
}
