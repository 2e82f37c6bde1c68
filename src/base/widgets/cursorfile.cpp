#include "base/widgets/cursorfile.h"

#include <QFile>
#include <QImageReader>
#include <QPixmap>

namespace {
quint16 littleEndian16(const QByteArray& bytes, int at)
{
    return static_cast<quint16>(static_cast<quint8>(bytes[at]) | (static_cast<quint8>(bytes[at + 1]) << 8));
}
} // namespace

std::optional<QCursor> loadCursorFile(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return std::nullopt;
    const QByteArray header = file.read(22);
    file.close();

    QImageReader reader(path);
    if (path.endsWith(QLatin1String(".cur"), Qt::CaseInsensitive))
        reader.setFormat("cur");
    const QImage image = reader.read();
    if (image.isNull())
        return std::nullopt;

    int hotX = -1;
    int hotY = -1;
    // Type 2 in the header marks a cursor file; its entry holds the hotspot.
    if (header.size() >= 22 && littleEndian16(header, 2) == 2) {
        hotX = littleEndian16(header, 10);
        hotY = littleEndian16(header, 12);
    }
    return QCursor(QPixmap::fromImage(image), hotX, hotY);
}
