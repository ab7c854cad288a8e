// Draws the editor's icons into PNG files. Not part of the build: run it by hand after changing a
// picture, from this folder:
//   g++ -std=c++17 -fPIC MakeIcons.cpp $(pkg-config --cflags --libs Qt6Gui) -o /tmp/make-icons
//   QT_QPA_PLATFORM=offscreen /tmp/make-icons .

#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QPainterPath>

#include <cmath>
#include <functional>

namespace {

void Write(const QString& dir, const char* name, int size, const std::function<void(QPainter&)>& draw)
{
    QImage img(size, size, QImage::Format_ARGB32_Premultiplied);
    img.fill(Qt::transparent);
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    p.scale(size / 16.0, size / 16.0);
    draw(p);
    p.end();
    img.save(dir + "/" + name);
}

// A satellite: body with two solar panels.
void Satellite(QPainter& p)
{
    p.save();
    p.translate(8, 8);
    p.rotate(-35);
    p.setPen(QPen(QColor(40, 40, 60), 0.6));
    p.setBrush(QColor(60, 110, 200));
    p.drawRect(QRectF(-7.5, -2, 5, 4));
    p.drawRect(QRectF(2.5, -2, 5, 4));
    p.setPen(QPen(QColor(200, 220, 255), 0.5));
    p.drawLine(QPointF(-5, -2), QPointF(-5, 2));
    p.drawLine(QPointF(5, -2), QPointF(5, 2));
    p.setPen(QPen(QColor(40, 40, 60), 0.6));
    p.setBrush(QColor(220, 180, 60));
    p.drawRect(QRectF(-2.5, -2.5, 5, 5));
    p.restore();
}

// A transponder: a small dish sending waves.
void Transponder(QPainter& p)
{
    p.setPen(QPen(QColor(30, 120, 60), 1.4, Qt::SolidLine, Qt::RoundCap));
    p.setBrush(Qt::NoBrush);
    for (int i = 0; i < 3; ++i) {
        const double r = 3 + i * 2.6;
        p.drawArc(QRectF(4 - r, 12 - r, 2 * r, 2 * r), 0 * 16, 90 * 16);
    }
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(30, 120, 60));
    p.drawEllipse(QPointF(4, 12), 2, 2);
}

// All programs: a stack of lines like a channel list.
void AllProg(QPainter& p)
{
    p.setPen(QPen(QColor(60, 60, 60), 0.8));
    p.setBrush(QColor(250, 250, 240));
    p.drawRoundedRect(QRectF(1.5, 1.5, 13, 13), 1.5, 1.5);
    for (int i = 0; i < 4; ++i) {
        p.setPen(Qt::NoPen);
        p.setBrush(QColor(200, 60, 50));
        p.drawRect(QRectF(3.5, 3.5 + i * 2.6, 1.6, 1.6));
        p.setBrush(QColor(80, 80, 80));
        p.drawRect(QRectF(6, 3.8 + i * 2.6, 6.5, 1));
    }
}

void Cut(QPainter& p)
{
    p.setPen(QPen(QColor(70, 70, 70), 1.2));
    p.setBrush(Qt::NoBrush);
    p.drawEllipse(QPointF(4.5, 12), 2.2, 2.2);
    p.drawEllipse(QPointF(11.5, 12), 2.2, 2.2);
    p.drawLine(QPointF(5.8, 10.3), QPointF(11, 1.5));
    p.drawLine(QPointF(10.2, 10.3), QPointF(5, 1.5));
}

void Copy(QPainter& p)
{
    p.setPen(QPen(QColor(70, 70, 90), 0.9));
    p.setBrush(QColor(255, 255, 255));
    p.drawRect(QRectF(1.5, 1.5, 8, 10));
    p.drawRect(QRectF(6.5, 4.5, 8, 10));
}

void Paste(QPainter& p)
{
    p.setPen(QPen(QColor(90, 60, 30), 0.9));
    p.setBrush(QColor(190, 140, 80));
    p.drawRoundedRect(QRectF(2, 2.5, 10, 12), 1, 1);
    p.setBrush(QColor(160, 160, 160));
    p.drawRect(QRectF(4.5, 1, 5, 3));
    p.setPen(QPen(QColor(70, 70, 90), 0.9));
    p.setBrush(Qt::white);
    p.drawRect(QRectF(7, 6.5, 7.5, 8.5));
}

// A cross for deleting records.
void Delete(QPainter& p)
{
    p.setPen(QPen(QColor(190, 40, 40), 2.2, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(QPointF(4, 4), QPointF(12, 12));
    p.drawLine(QPointF(12, 4), QPointF(4, 12));
}

// A curved arrow turning back (undo) or, mirrored, going on (redo).
void Arrow(QPainter& p, bool bMirror)
{
    if (bMirror) {
        p.translate(16, 0);
        p.scale(-1, 1);
    }
    p.setPen(QPen(QColor(40, 90, 170), 1.8, Qt::SolidLine, Qt::RoundCap));
    p.setBrush(Qt::NoBrush);
    QPainterPath path;
    path.moveTo(4, 7);
    path.lineTo(10, 7);
    path.cubicTo(14.5, 7, 14.5, 13.5, 10, 13.5);
    path.lineTo(7, 13.5);
    p.drawPath(path);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(40, 90, 170));
    QPainterPath head;
    head.moveTo(1, 7);
    head.lineTo(6, 2.5);
    head.lineTo(6, 11.5);
    head.closeSubpath();
    p.drawPath(head);
}

void Undo(QPainter& p)
{
    Arrow(p, false);
}

void Redo(QPainter& p)
{
    Arrow(p, true);
}

void About(QPainter& p)
{
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(40, 90, 190));
    p.drawEllipse(QRectF(1, 1, 14, 14));
    p.setBrush(Qt::white);
    p.drawEllipse(QPointF(8, 4.6), 1.3, 1.3);
    p.drawRoundedRect(QRectF(6.9, 6.8, 2.2, 6.4), 0.8, 0.8);
}

// A favourite: a five-pointed star.
void Favourites(QPainter& p)
{
    QPainterPath star;
    for (int i = 0; i < 10; ++i) {
        const double r = i % 2 ? 3.0 : 7.0;
        const double a = -M_PI / 2 + i * M_PI / 5;
        const QPointF pt(8 + r * std::cos(a), 8.5 + r * std::sin(a));
        if (i == 0)
            star.moveTo(pt);
        else
            star.lineTo(pt);
    }
    star.closeSubpath();
    p.setPen(QPen(QColor(170, 110, 0), 0.8));
    p.setBrush(QColor(250, 200, 40));
    p.drawPath(star);
}

// Open: a folder with its lid up.
void Open(QPainter& p)
{
    p.setPen(QPen(QColor(120, 90, 20), 0.8));
    p.setBrush(QColor(230, 190, 90));
    p.drawRect(QRectF(1.5, 4.5, 12, 9));
    p.drawRect(QRectF(1.5, 3, 5, 2));
    p.setBrush(QColor(250, 220, 130));
    QPainterPath lid;
    lid.moveTo(3.5, 7);
    lid.lineTo(15, 7);
    lid.lineTo(13.5, 13.5);
    lid.lineTo(1.5, 13.5);
    lid.closeSubpath();
    p.drawPath(lid);
}

// Save: a diskette.
void Save(QPainter& p)
{
    p.setPen(QPen(QColor(30, 50, 100), 0.8));
    p.setBrush(QColor(60, 100, 180));
    p.drawRoundedRect(QRectF(1.5, 1.5, 13, 13), 1, 1);
    p.setBrush(Qt::white);
    p.drawRect(QRectF(4, 1.5, 8, 5));
    p.setBrush(QColor(200, 200, 210));
    p.drawRect(QRectF(4, 9, 8, 5.5));
}

// A new program: the list's picture with a green plus.
void NewProgram(QPainter& p)
{
    AllProg(p);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(30, 150, 60));
    p.drawEllipse(QPointF(11.5, 11.5), 4.2, 4.2);
    p.setPen(QPen(Qt::white, 1.6));
    p.drawLine(QPointF(11.5, 9), QPointF(11.5, 14));
    p.drawLine(QPointF(9, 11.5), QPointF(14, 11.5));
}

// The application: a dish under a satellite, on a dark rounded square.
void App(QPainter& p)
{
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(28, 52, 92));
    p.drawRoundedRect(QRectF(0.5, 0.5, 15, 15), 3, 3);
    p.setBrush(QColor(235, 235, 245));
    QPainterPath dish;
    dish.moveTo(2.5, 8.5);
    dish.quadTo(5, 15.5, 11.5, 13);
    dish.closeSubpath();
    p.drawPath(dish);
    p.setPen(QPen(QColor(235, 235, 245), 0.7));
    p.drawLine(QPointF(5.5, 11.5), QPointF(8.5, 8.5));
    p.drawLine(QPointF(6, 13.5), QPointF(5, 15));
    p.save();
    p.translate(11.5, 4.5);
    p.scale(0.45, 0.45);
    p.translate(-8, -8);
    Satellite(p);
    p.restore();
    p.setPen(QPen(QColor(250, 200, 70), 0.6, Qt::DotLine));
    p.drawLine(QPointF(8.5, 8.5), QPointF(10.5, 6));
}

} // namespace

int main(int argc, char** argv)
{
    QGuiApplication app(argc, argv);
    const QString dir = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QStringLiteral(".");
    Write(dir, "satellite.png", 16, Satellite);
    Write(dir, "transponder.png", 16, Transponder);
    Write(dir, "allprog.png", 16, AllProg);
    Write(dir, "cut.png", 16, Cut);
    Write(dir, "copy.png", 16, Copy);
    Write(dir, "paste.png", 16, Paste);
    Write(dir, "about.png", 16, About);
    Write(dir, "delete.png", 16, Delete);
    Write(dir, "undo.png", 16, Undo);
    Write(dir, "redo.png", 16, Redo);
    Write(dir, "favourites.png", 16, Favourites);
    Write(dir, "open.png", 16, Open);
    Write(dir, "save.png", 16, Save);
    Write(dir, "newprogram.png", 16, NewProgram);
    Write(dir, "ravelin.png", 64, App);
    Write(dir, "ravelin-256.png", 256, App);
    return 0;
}
