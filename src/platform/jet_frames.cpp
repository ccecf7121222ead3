#include "platform/jet_frames.h"

#include <cstring>

#include <QStringDecoder>

namespace
{

using namespace jetframes;

quint32 readU32(const char* at)
{
    const auto* bytes = reinterpret_cast<const unsigned char*>(at);
    return quint32(bytes[0]) | quint32(bytes[1]) << 8 | quint32(bytes[2]) << 16 |
           quint32(bytes[3]) << 24;
}

[[noreturn]] void malformed(const char* what)
{
    throw JetFrameError(what);
}

// Reads the fields of one payload, never past its end.
class Fields
{
public:
    Fields(const char* data, quint32 size) : m_data(data), m_size(size) {}

    quint32 u32()
    {
        if (m_size - m_at < 4)
            malformed("a frame ends inside a number");
        const quint32 value = readU32(m_data + m_at);
        m_at += 4;
        return value;
    }

    std::optional<QString> text(bool mayBeAbsent)
    {
        const quint32 length = u32();
        if (length == kAbsent && mayBeAbsent)
            return std::nullopt;
        if (length > m_size - m_at)
            malformed("a text is longer than its frame");
        QStringDecoder decoder(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
        QString value = decoder(QByteArrayView(m_data + m_at, length));
        if (decoder.hasError())
            malformed("a text is not UTF-8");
        m_at += length;
        return value;
    }

    // A count of items that each take at least four bytes: no larger than
    // what is left can hold.
    quint32 count(quint32 bound)
    {
        const quint32 value = u32();
        if (value > bound || value > (m_size - m_at) / 4)
            malformed("a count is larger than its frame or its bound");
        return value;
    }

    void finish() const
    {
        if (m_at != m_size)
            malformed("a frame has bytes after its last field");
    }

private:
    const char* m_data;
    quint32 m_size;
    quint32 m_at = 0;
};

} // namespace

JetFrame JetFrameReader::parse(char type, const char* payload, quint32 size)
{
    JetFrame frame;
    frame.type = type;
    Fields fields(payload, size);
    switch (type) {
    case 'N':
    case 'C':
    case 'R': {
        const quint32 n = fields.count(type == 'N' ? kMaxTables : kMaxColumns);
        frame.texts.reserve(n);
        for (quint32 i = 0; i < n; ++i)
            frame.texts.push_back(fields.text(type == 'R'));
        break;
    }
    case 'E':
        frame.rows = fields.u32();
        break;
    case 'M':
        break;
    case 'F':
        frame.texts.push_back(fields.text(false));
        break;
    default:
        malformed("a frame of an unknown type");
    }
    fields.finish();
    return frame;
}

void JetFrameReader::check(JetFrame& frame)
{
    if (m_state == State::Failed)
        malformed("a frame after the failure");
    if (frame.type == 'F') {
        m_state = State::Failed;
        return;
    }
    switch (m_state) {
    case State::Names:
        if (frame.type != 'N')
            malformed("the output does not begin with the table list");
        m_state = State::Idle;
        return;
    case State::Asked:
        if (frame.type == 'M') {
            m_state = State::Idle;
            return;
        }
        if (frame.type != 'C')
            malformed("a table asked for does not begin with its columns");
        m_columns = quint32(frame.texts.size());
        m_rows = 0;
        m_state = State::Rows;
        return;
    case State::Rows:
        if (frame.type == 'R') {
            if (frame.texts.size() != m_columns)
                malformed("a row has another number of cells than the table has columns");
            ++m_rows;
            return;
        }
        if (frame.type != 'E' || frame.rows != m_rows)
            malformed("a table ends with another number of rows than were sent");
        m_state = State::Idle;
        return;
    case State::Idle:
    case State::Failed:
        break;
    }
    malformed("a frame nothing was asked for");
}

std::optional<JetFrame> JetFrameReader::next()
{
    if (pending() < 5)
        return std::nullopt;
    const char* header = m_buffer.constData() + m_at;
    const quint32 size = readU32(header + 1);
    if (size > kMaxPayload)
        malformed("a frame is longer than any the format allows");
    if (quint64(pending()) < 5 + quint64(size))
        return std::nullopt;
    JetFrame frame = parse(header[0], header + 5, size);
    m_at += 5 + qsizetype(size);
    check(frame);
    // What was handed out goes once it is the larger part of the buffer.
    if (m_at > (1 << 20) && m_at * 2 > m_buffer.size()) {
        m_buffer.remove(0, m_at);
        m_at = 0;
    }
    return frame;
}

void JetFrameReader::tableAsked()
{
    if (m_state != State::Idle)
        throw JetFrameError("a table asked for out of turn");
    m_state = State::Asked;
}
