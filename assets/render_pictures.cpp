// Draws the program's pictures at build time into the program folder: every
// file of the picture table from its SVG drawing in this folder
// (images/x.png from images/x.svg), rendered at the table's size and saved in
// the format of its name; the grid and the photo placeholders, which are no
// line drawings, are painted by the code below.
//
//     render_pictures <drawings folder> <program folder>
#include "view/program_pictures.h"

#include <QColor>
#include <QDir>
#include <QFileInfo>
#include <QImage>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QRadialGradient>
#include <QSvgRenderer>

#include <cstdio>
#include <cstring>

namespace {

using Painter = void (*)(QPainter&, int width, int height);

// Head and shoulders in white over a soft grey-blue gradient: the picture
// of a user without a photo.
void PaintPortrait(QPainter& painter, int width, int height, bool round)
{
    QLinearGradient sky(0, 0, 0, height);
    sky.setColorAt(0, QColor(0xC9, 0xD3, 0xDD));
    sky.setColorAt(1, QColor(0x9D, 0xAB, 0xB9));
    const QRectF area(0, 0, width, height);
    QPainterPath frame;
    if (round)
        frame.addEllipse(area.adjusted(0.5, 0.5, -0.5, -0.5));
    else
        frame.addRect(area);
    painter.setClipPath(frame);
    painter.fillPath(frame, sky);
    painter.setPen(Qt::NoPen);
    painter.setBrush(QColor(0xF4, 0xF6, 0xF8));
    const double w = width;
    const double h = height;
    painter.drawEllipse(QPointF(w * 0.5, h * 0.40), w * 0.19, h * 0.21);
    QPainterPath shoulders;
    shoulders.moveTo(w * 0.12, h * 1.02);
    shoulders.cubicTo(w * 0.14, h * 0.70, w * 0.32, h * 0.64, w * 0.5, h * 0.64);
    shoulders.cubicTo(w * 0.68, h * 0.64, w * 0.86, h * 0.70, w * 0.88, h * 1.02);
    shoulders.closeSubpath();
    painter.drawPath(shoulders);
}

// Fine light lines every 10 pixels, a darker one every 50: the paper behind
// picture fields.
void PaintGrid(QPainter& painter, int width, int height)
{
    painter.fillRect(0, 0, width, height, QColor(0xFB, 0xFB, 0xFB));
    for (int step : {10, 50}) {
        painter.setPen(step == 10 ? QColor(0xE8, 0xEA, 0xEC) : QColor(0xD0, 0xD4, 0xD8));
        for (int x = 0; x < width; x += step)
            painter.drawLine(x, 0, x, height);
        for (int y = 0; y < height; y += step)
            painter.drawLine(0, y, width, y);
    }
}

// A framed landscape with a soft sky: a picture place that has no picture
// yet.
void PaintEmptyPicture(QPainter& painter, int width, int height)
{
    const QRectF frame(width * 0.1, height * 0.18, width * 0.8, height * 0.64);
    QLinearGradient sky(frame.topLeft(), frame.bottomLeft());
    sky.setColorAt(0, QColor(0xE4, 0xEC, 0xF3));
    sky.setColorAt(1, QColor(0xF7, 0xF9, 0xFB));
    painter.setPen(QPen(QColor(0xA8, 0xA8, 0xA8), 1.5));
    painter.setBrush(sky);
    painter.drawRoundedRect(frame, 3, 3);
    painter.setPen(Qt::NoPen);
    painter.setBrush(QColor(0xC8, 0xCE, 0xD4));
    QPainterPath hills;
    hills.moveTo(frame.left() + 1, frame.bottom() - 1);
    hills.lineTo(frame.left() + frame.width() * 0.35, frame.top() + frame.height() * 0.45);
    hills.lineTo(frame.left() + frame.width() * 0.55, frame.top() + frame.height() * 0.70);
    hills.lineTo(frame.left() + frame.width() * 0.70, frame.top() + frame.height() * 0.55);
    hills.lineTo(frame.right() - 1, frame.bottom() - 1);
    hills.closeSubpath();
    painter.drawPath(hills);
    QRadialGradient sun(QPointF(frame.left() + frame.width() * 0.75, frame.top() + frame.height() * 0.28),
                        frame.width() * 0.08);
    sun.setColorAt(0, QColor(0xF2, 0xD4, 0x7A));
    sun.setColorAt(1, QColor(0xF2, 0xD4, 0x7A, 0));
    painter.setBrush(sun);
    painter.drawEllipse(sun.center(), frame.width() * 0.08, frame.width() * 0.08);
}

void PaintSquarePortrait(QPainter& painter, int width, int height)
{
    PaintPortrait(painter, width, height, false);
}

void PaintRoundPortrait(QPainter& painter, int width, int height)
{
    PaintPortrait(painter, width, height, true);
}

Painter CodePainter(const char* file)
{
    static const std::pair<const char*, Painter> painters[] = {
        {"images/grid.jpg", PaintGrid},
        {"images/empty-image.png", PaintEmptyPicture},
        {"images/user-photo.bmp", PaintSquarePortrait},
        {"images/user-photo-blank-header-32x32.png", PaintRoundPortrait},
        {"images/user-photo-blank-header-48x48.png", PaintRoundPortrait},
    };
    for (const auto& [name, painter] : painters) {
        if (std::strcmp(name, file) == 0)
            return painter;
    }
    return nullptr;
}

// BMP and JPEG hold no alpha: the picture goes onto the colour it is shown
// on. A BMP glyph's bottom-left pixel names its transparent colour, so the
// glyphs keep the buttons' face colour there.
QColor OpaqueBackground(const QString& file)
{
    if (file.endsWith(".bmp") && QFileInfo(file).fileName().startsWith("add-"))
        return QColor(0xEC, 0xE9, 0xD8);
    return Qt::white;
}

bool Draw(const TNProgramPicture& picture, const QString& drawings, QImage& image)
{
    image = QImage(picture.Width, picture.Height, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    if (const Painter paint = CodePainter(picture.File)) {
        paint(painter, picture.Width, picture.Height);
        return true;
    }
    const QString file = QString::fromLatin1(picture.File);
    const QString source = drawings + file.left(file.lastIndexOf('.')) + ".svg";
    QSvgRenderer drawing(source);
    if (!drawing.isValid()) {
        std::fprintf(stderr, "render_pictures: no drawing for %s (%s)\n", picture.File, qPrintable(source));
        return false;
    }
    drawing.render(&painter);
    return true;
}

bool Save(const QImage& image, const QString& path)
{
    QDir().mkpath(QFileInfo(path).path());
    if (path.endsWith(".png"))
        return image.save(path, "PNG");
    QImage opaque(image.size(), QImage::Format_RGB32);
    opaque.fill(OpaqueBackground(path));
    QPainter(&opaque).drawImage(0, 0, image);
    if (path.endsWith(".jpg"))
        return opaque.save(path, "JPG", 92);
    return opaque.convertToFormat(QImage::Format_RGB888).save(path, "BMP");
}

} // namespace

int main(int argc, char** argv)
{
    if (argc != 3) {
        std::fprintf(stderr, "usage: render_pictures <drawings folder> <program folder>\n");
        return 2;
    }
    const QString drawings = QString::fromLocal8Bit(argv[1]) + "/";
    const QString program = QString::fromLocal8Bit(argv[2]) + "/";
    int failures = 0;
    for (const TNProgramPicture& picture : ProgramPictures()) {
        QImage image;
        if (!Draw(picture, drawings, image) || !Save(image, program + picture.File)) {
            std::fprintf(stderr, "render_pictures: %s not made\n", picture.File);
            ++failures;
        }
    }
    return failures == 0 ? 0 : 1;
}
