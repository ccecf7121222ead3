// The frames of the Jet reading process as the program checks them: any
// bytes, in any pieces, either make frames that keep the exchange's rules or
// stop at a JetFrameError; the pieces never change the outcome.

#include <cstdio>
#include <cstdlib>

#include <QByteArray>

#include "platform/jet_frames.h"

namespace
{

[[noreturn]] void fail(const char* what)
{
    std::fprintf(stderr, "%s\n", what);
    std::abort();
}

struct Outcome {
    QList<QByteArray> frames;
    bool malformed = false;
};

// Reads the stream as the program does, asking for a table whenever the
// last answer is complete; piece is the size of each append (0: all at once).
Outcome readAll(const QByteArray& bytes, int piece)
{
    Outcome outcome;
    JetFrameReader reader;
    qsizetype fed = 0;
    qsizetype columns = -1;
    quint32 rows = 0;
    try {
        for (;;) {
            auto frame = reader.next();
            if (!frame) {
                if (fed == bytes.size())
                    break;
                const qsizetype n =
                    piece ? std::min<qsizetype>(piece, bytes.size() - fed) : bytes.size();
                reader.append(bytes.mid(fed, n));
                fed += n;
                continue;
            }
            QByteArray seen(1, frame->type);
            for (const auto& text : frame->texts)
                seen += text ? text->toUtf8() + '\1' : QByteArray("\2");
            seen += QByteArray::number(frame->rows);
            outcome.frames << seen;
            switch (frame->type) {
            case 'C':
                columns = frame->texts.size();
                rows = 0;
                break;
            case 'R':
                if (frame->texts.size() != columns)
                    fail("a row of another width than its columns");
                ++rows;
                break;
            case 'E':
                if (frame->rows != rows)
                    fail("an end with another row count");
                columns = -1;
                break;
            case 'F':
                break;
            default:
                break;
            }
            if (frame->type == 'N' || frame->type == 'E' || frame->type == 'M')
                reader.tableAsked();
        }
    } catch (const JetFrameError&) {
        outcome.malformed = true;
    }
    return outcome;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size < 1)
        return 0;
    const int piece = 1 + data[0] % 16;
    const QByteArray bytes(reinterpret_cast<const char*>(data + 1), qsizetype(size - 1));
    const Outcome whole = readAll(bytes, 0);
    const Outcome pieces = readAll(bytes, piece);
    if (whole.frames != pieces.frames || whole.malformed != pieces.malformed)
        fail("the pieces changed what was read");
    return 0;
}
