#include "support/test_pictures.h"

#include <QDataStream>
#include <QFile>
#include <QImage>
#include <QtEndian>

namespace
{

class Words
{
public:
    Words() : m_stream(&m_bytes, QIODevice::WriteOnly)
    {
        m_stream.setByteOrder(QDataStream::LittleEndian);
    }
    Words& u16(int value)
    {
        m_stream << quint16(value);
        return *this;
    }
    Words& u32(quint32 value)
    {
        m_stream << value;
        return *this;
    }
    const QByteArray& bytes() const { return m_bytes; }

private:
    QByteArray m_bytes;
    QDataStream m_stream;
};

} // namespace

QByteArray smallMetafile(int width, int height, QColor fill)
{
    // Records: size in 16-bit words, function number, parameters.
    Words records;
    records.u32(5).u16(0x020B).u16(0).u16(0);          // SETWINDOWORG y, x
    records.u32(5).u16(0x020C).u16(height).u16(width); // SETWINDOWEXT y, x
    const quint32 colour =
        quint32(fill.red()) | (quint32(fill.green()) << 8) | (quint32(fill.blue()) << 16);
    records.u32(7).u16(0x02FC).u16(0).u32(colour).u16(0);            // CREATEBRUSHINDIRECT solid
    records.u32(4).u16(0x012D).u16(0);                               // SELECTOBJECT 0
    records.u32(7).u16(0x041B).u16(height).u16(width).u16(0).u16(0); // RECTANGLE b, r, t, l
    records.u32(3).u16(0x0000);                                      // EOF

    const quint32 totalWords = quint32(9 + records.bytes().size() / 2);
    Words header;
    header.u16(1).u16(9).u16(0x0300).u32(totalWords).u16(1).u32(7).u16(0);

    Words placeable;
    placeable.u32(0x9AC6CDD7u).u16(0).u16(0).u16(0).u16(width).u16(height).u16(96).u32(0);
    quint16 checksum = 0;
    const QByteArray& p = placeable.bytes();
    for (int i = 0; i < 20; i += 2)
        checksum ^= quint16(quint8(p[i]) | (quint8(p[i + 1]) << 8));
    placeable.u16(checksum);

    return placeable.bytes() + header.bytes() + records.bytes();
}

QByteArray onePixelGif()
{
    static const unsigned char bytes[] = {'G',  'I',  'F',  '8',  '9',  'a',  0x01, 0x00, 0x01,
                                          0x00, 0x80, 0x00, 0x00, 0xFF, 0xFF, 0xFF, 0x00, 0x00,
                                          0x00, 0x2C, 0x00, 0x00, 0x00, 0x00, 0x01, 0x00, 0x01,
                                          0x00, 0x00, 0x02, 0x02, 0x44, 0x01, 0x00, 0x3B};
    return QByteArray(reinterpret_cast<const char*>(bytes), sizeof bytes);
}

bool writeBytes(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

bool writePicture(const QString& path, QSize size)
{
    QImage image(size, QImage::Format_RGB32);
    for (int y = 0; y < size.height(); ++y) {
        for (int x = 0; x < size.width(); ++x)
            image.setPixel(x, y, qRgb(x * 255 / size.width(), y * 255 / size.height(), 128));
    }
    return image.save(path);
}

static quint32 crc32(const QByteArray& data)
{
    quint32 crc = 0xFFFFFFFFu;
    for (const char byte : data) {
        crc ^= quint8(byte);
        for (int bit = 0; bit < 8; ++bit)
            crc = (crc >> 1) ^ (0xEDB88320u & (0u - (crc & 1u)));
    }
    return ~crc;
}

static QByteArray chunk(const char* type, const QByteArray& body)
{
    QByteArray out(4, '\0');
    qToBigEndian(quint32(body.size()), out.data());
    const QByteArray typed = QByteArray(type) + body;
    QByteArray crc(4, '\0');
    qToBigEndian(crc32(typed), crc.data());
    return out + typed + crc;
}

QByteArray claimedPng(quint32 width, quint32 height, int bits, int colourType)
{
    QByteArray header(13, '\0');
    qToBigEndian(width, header.data());
    qToBigEndian(height, header.data() + 4);
    header[8] = char(bits);
    header[9] = char(colourType);
    const int samples = colourType == 6 ? 4 : colourType == 2 ? 3 : 1;
    const qsizetype row = 1 + qsizetype(width) * samples * bits / 8;
    const qsizetype whole = row * qsizetype(height);
    const QByteArray rows(whole <= (1 << 20) ? whole : 4 * row, '\0');
    return QByteArray("\x89PNG\r\n\x1a\n", 8) + chunk("IHDR", header) +
           chunk("IDAT", qCompress(rows).mid(4)) + chunk("IEND", {});
}
