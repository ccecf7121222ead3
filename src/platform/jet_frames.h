#pragma once

#include <optional>
#include <stdexcept>
#include <vector>

#include <QByteArray>
#include <QString>
#include <QStringList>

// The frames in which the reading process sends a Jet file's contents. Each
// frame is a type byte, the payload's length (4 bytes, little-endian) and the
// payload. A text is its length in bytes (4 bytes) and as many bytes of
// UTF-8; the length 0xffffffff in a row stands for an absent value.
//   'N' the user tables: count, then that many texts. First, once.
//   'C' a table asked for: count of columns, then their names.
//   'R' a row of that table: count (as many as columns), then the cells.
//   'E' the table's end: the number of rows sent.
//   'M' no table of the name asked for.
//   'F' the reading failed: one text saying why. Last.
// Everything is checked: a length past its frame or over its bound, a count
// that does not match, bytes that are not UTF-8 or a frame out of order make
// the whole output malformed.

class JetFrameError : public std::runtime_error
{
public:
    using std::runtime_error::runtime_error;
};

struct JetFrame {
    char type = 0;
    // The texts of 'N', 'C', 'R' (cells) and 'F'.
    std::vector<std::optional<QString>> texts;
    // The row count of 'E'.
    quint32 rows = 0;
};

namespace jetframes
{
// Bounds no sound file comes near: Jet tables have at most 255 columns, a
// memo value holds at most 64 KB of text as stored.
constexpr quint32 kMaxPayload = 16u << 20;
constexpr quint32 kMaxColumns = 1024;
constexpr quint32 kMaxTables = 100000;
constexpr quint32 kAbsent = 0xffffffffu;
} // namespace jetframes

// Takes the bytes as they come and hands out whole frames, in an order that
// follows the exchange: the table list, then for each table asked for its
// columns, rows and end (or 'M'). Throws JetFrameError at the first fault.
class JetFrameReader
{
public:
    void append(const QByteArray& bytes) { m_buffer.append(bytes); }
    // The next whole frame, nullopt while its bytes have not all come.
    std::optional<JetFrame> next();
    // Says a table was asked for: its 'C' or 'M' comes next.
    void tableAsked();
    // Bytes received and not yet handed out as frames.
    qsizetype pending() const { return m_buffer.size() - m_at; }

private:
    enum class State { Names, Idle, Asked, Rows, Failed };
    JetFrame parse(char type, const char* payload, quint32 size);
    void check(JetFrame& frame);

    QByteArray m_buffer;
    qsizetype m_at = 0;
    State m_state = State::Names;
    quint32 m_columns = 0;
    quint32 m_rows = 0;
};
