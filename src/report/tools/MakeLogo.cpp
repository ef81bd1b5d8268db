// Paints the program's default report logo, "Logosml.jpg", and saves it as a baseline JPEG.
// Run by the build: dilato_make_logo OUTPUT.jpg
#include <QFont>
#include <QGuiApplication>
#include <QImage>
#include <QImageWriter>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>

#include <cstdio>

namespace {

// The mark: a sample standing between the stage and the sensor's probe, arrows showing
// its growth with temperature.
void PaintMark(QPainter& p, const QRectF& box) {
    QLinearGradient warm(box.topLeft(), box.bottomLeft());
    warm.setColorAt(0.0, QColor(0x1f, 0x4e, 0x8c));
    warm.setColorAt(1.0, QColor(0xc8, 0x3a, 0x2a));
    p.setPen(Qt::NoPen);
    p.setBrush(warm);
    p.drawRoundedRect(box, 18, 18);

    const double cx = box.center().x();
    const double w = box.width();
    p.setBrush(Qt::white);
    // stage plate and probe plate
    p.drawRect(QRectF(box.left() + w * 0.18, box.bottom() - w * 0.2, w * 0.64, w * 0.07));
    p.drawRect(QRectF(box.left() + w * 0.18, box.top() + w * 0.13, w * 0.64, w * 0.07));
    // the sample
    p.setBrush(QColor(255, 255, 255, 210));
    p.drawRect(QRectF(cx - w * 0.11, box.top() + w * 0.24, w * 0.22, box.height() - w * 0.48));
    // growth arrows either side of the sample
    QPen arrow(Qt::white, w * 0.03, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin);
    p.setPen(arrow);
    p.setBrush(Qt::NoBrush);
    for (const double x : {box.left() + w * 0.22, box.right() - w * 0.22}) {
        const double top = box.top() + w * 0.3, bottom = box.bottom() - w * 0.3;
        p.drawLine(QPointF(x, top), QPointF(x, bottom));
        p.drawPolyline(QPolygonF({QPointF(x - w * 0.05, top + w * 0.06), QPointF(x, top),
                                  QPointF(x + w * 0.05, top + w * 0.06)}));
        p.drawPolyline(QPolygonF({QPointF(x - w * 0.05, bottom - w * 0.06), QPointF(x, bottom),
                                  QPointF(x + w * 0.05, bottom - w * 0.06)}));
    }
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s OUTPUT.jpg\n", argv[0]);
        return 2;
    }
    QGuiApplication app(argc, argv);

    // 350 x 80 points on the page; twice that in pixels prints sharply
    QImage image(700, 160, QImage::Format_RGB32);
    image.fill(Qt::white);
    image.setDotsPerMeterX(5669); // 144 dpi
    image.setDotsPerMeterY(5669);
    {
        QPainter p(&image);
        p.setRenderHint(QPainter::Antialiasing);
        p.setRenderHint(QPainter::TextAntialiasing);
        PaintMark(p, QRectF(8, 8, 144, 144));

        QFont word("Nimbus Sans");
        word.setStyleHint(QFont::SansSerif);
        word.setPixelSize(78);
        word.setBold(true);
        word.setLetterSpacing(QFont::AbsoluteSpacing, 6);
        p.setFont(word);
        p.setPen(QColor(0x1f, 0x4e, 0x8c));
        p.drawText(QRectF(176, 4, 520, 96), Qt::AlignLeft | Qt::AlignBottom, "NORVANE");

        p.fillRect(QRectF(178, 104, 508, 4), QColor(0xc8, 0x3a, 0x2a));

        QFont tag("Nimbus Sans");
        tag.setStyleHint(QFont::SansSerif);
        tag.setPixelSize(30);
        p.setFont(tag);
        p.setPen(QColor(0x55, 0x5b, 0x66));
        p.drawText(QRectF(178, 112, 520, 44), Qt::AlignLeft | Qt::AlignVCenter,
                   "Thermal Expansion Instruments");
    }

    QImageWriter writer(QString::fromLocal8Bit(argv[1]), "jpeg");
    writer.setQuality(92);
    writer.setProgressiveScanWrite(false); // a baseline frame, which every reader takes
    writer.setOptimizedWrite(false);
    if (!writer.write(image)) {
        std::fprintf(stderr, "cannot write %s: %s\n", argv[1],
                     writer.errorString().toLocal8Bit().constData());
        return 1;
    }
    return 0;
}
