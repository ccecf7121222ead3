#include "jetread/frame_writer.h"

namespace
{

constexpr std::uint32_t kAbsent = 0xffffffffu;

} // namespace

void FrameWriter::u32(std::uint32_t value)
{
    for (int i = 0; i < 4; ++i)
        m_payload.push_back(char((value >> (8 * i)) & 0xff));
}

void FrameWriter::text(const std::string& value)
{
    u32(std::uint32_t(value.size()));
    m_payload += value;
}

void FrameWriter::frame(char type)
{
    const auto size = std::uint32_t(m_payload.size());
    const char header[5] = {type, char(size & 0xff), char((size >> 8) & 0xff),
                            char((size >> 16) & 0xff), char((size >> 24) & 0xff)};
    std::fwrite(header, 1, sizeof header, m_out);
    std::fwrite(m_payload.data(), 1, m_payload.size(), m_out);
    m_payload.clear();
}

void FrameWriter::names(const std::vector<std::string>& names)
{
    u32(std::uint32_t(names.size()));
    for (const auto& name : names)
        text(name);
    frame('N');
}

void FrameWriter::columns(const std::vector<std::string>& columns)
{
    u32(std::uint32_t(columns.size()));
    for (const auto& column : columns)
        text(column);
    frame('C');
}

void FrameWriter::row(const std::vector<std::optional<std::string>>& cells)
{
    u32(std::uint32_t(cells.size()));
    for (const auto& cell : cells) {
        if (cell)
            text(*cell);
        else
            u32(kAbsent);
    }
    frame('R');
}

void FrameWriter::end(std::uint32_t rows)
{
    u32(rows);
    frame('E');
}

void FrameWriter::missing()
{
    frame('M');
}

void FrameWriter::failure(const std::string& message)
{
    text(message.substr(0, 1000));
    frame('F');
}

bool FrameWriter::flush()
{
    return std::fflush(m_out) == 0 && !std::ferror(m_out);
}
