#include <QBuffer>
#include <QFile>
#include <QImage>
#include <QList>
#include <QPainter>
#include <QSvgRenderer>
#include <QtEndian>

#include <cstdio>

// Build-time tool: renders an SVG picture into PNG files of given sizes, or into one Windows icon file
// holding several sizes.
//   quillet-render-icons ICON.svg SIZE OUT.png [SIZE OUT.png ...]
//   quillet-render-icons ICON.svg SIZE,SIZE,... OUT.ico
// It paints into a QImage only, so it needs no display and no platform plugin.
namespace {

QImage render(QSvgRenderer& renderer, int size)
{
    QImage image(size, size, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    {
        QPainter painter(&image);
        painter.setRenderHint(QPainter::Antialiasing);
        painter.setRenderHint(QPainter::SmoothPixmapTransform);
        renderer.render(&painter, QRectF(0, 0, size, size));
    }
    return image.convertToFormat(QImage::Format_ARGB32);
}

QByteArray pngOf(const QImage& image)
{
    QByteArray png;
    QBuffer buffer(&png);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "PNG");
    return png;
}

template <typename T> void appendLittleEndian(QByteArray& out, T value)
{
    char bytes[sizeof(T)];
    qToLittleEndian(value, bytes);
    out.append(bytes, sizeof(T));
}

// An ICO file of PNG images: a 6-byte header, a 16-byte entry per image, then the images. A width or
// height of 0 in an entry means 256.
QByteArray icoOf(const QList<QImage>& images)
{
    QByteArray ico;
    appendLittleEndian<quint16>(ico, 0);
    appendLittleEndian<quint16>(ico, 1);
    appendLittleEndian<quint16>(ico, quint16(images.size()));
    QList<QByteArray> pngs;
    for (const QImage& image : images)
        pngs.append(pngOf(image));
    quint32 offset = quint32(6 + 16 * images.size());
    for (qsizetype i = 0; i < images.size(); ++i) {
        const int size = images.at(i).width();
        ico.append(char(size >= 256 ? 0 : size));
        ico.append(char(size >= 256 ? 0 : size));
        ico.append(char(0)); // no palette
        ico.append(char(0));
        appendLittleEndian<quint16>(ico, 1);  // colour planes
        appendLittleEndian<quint16>(ico, 32); // bits per pixel
        appendLittleEndian<quint32>(ico, quint32(pngs.at(i).size()));
        appendLittleEndian<quint32>(ico, offset);
        offset += quint32(pngs.at(i).size());
    }
    for (const QByteArray& png : pngs)
        ico.append(png);
    return ico;
}

bool parseSizes(const char* text, QList<int>& sizes)
{
    for (const QByteArray& part : QByteArray(text).split(',')) {
        bool ok = false;
        const int size = part.toInt(&ok);
        if (!ok || size < 1 || size > 1024)
            return false;
        sizes.append(size);
    }
    return true;
}

} // namespace

int main(int argc, char* argv[])
{
    if (argc < 4 || argc % 2 != 0) {
        std::fprintf(stderr,
                     "usage: %s ICON.svg SIZE OUT.png [SIZE OUT.png ...] | ICON.svg SIZE,... OUT.ico\n",
                     argv[0]);
        return 1;
    }
    QSvgRenderer renderer(QString::fromLocal8Bit(argv[1]));
    if (!renderer.isValid()) {
        std::fprintf(stderr, "%s: cannot read %s\n", argv[0], argv[1]);
        return 1;
    }
    for (int i = 2; i < argc; i += 2) {
        QList<int> sizes;
        const QString out = QString::fromLocal8Bit(argv[i + 1]);
        const bool ico = out.endsWith(QLatin1String(".ico"));
        if (!parseSizes(argv[i], sizes) || (!ico && sizes.size() != 1)) {
            std::fprintf(stderr, "%s: bad size %s\n", argv[0], argv[i]);
            return 1;
        }
        QList<QImage> images;
        for (int size : sizes)
            images.append(render(renderer, size));
        QFile file(out);
        const QByteArray bytes = ico ? icoOf(images) : pngOf(images.constFirst());
        if (bytes.isEmpty() || !file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size() ||
            !file.flush()) {
            std::fprintf(stderr, "%s: cannot write %s\n", argv[0], argv[i + 1]);
            return 1;
        }
    }
    return 0;
}
