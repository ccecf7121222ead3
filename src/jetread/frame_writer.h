#pragma once

#include <cstdint>
#include <cstdio>
#include <optional>
#include <string>
#include <vector>

// Writes the frames the program reads a Jet file through (see
// platform/jet_frames.h for the format). Plain C++: the reading process
// loads nothing it does not need.
class FrameWriter
{
public:
    explicit FrameWriter(std::FILE* out) : m_out(out) {}

    void names(const std::vector<std::string>& names);
    void columns(const std::vector<std::string>& columns);
    void row(const std::vector<std::optional<std::string>>& cells);
    void end(std::uint32_t rows);
    void missing();
    void failure(const std::string& message);
    // False when the reader has gone away.
    bool flush();

private:
    void frame(char type);
    void u32(std::uint32_t value);
    void text(const std::string& value);

    std::FILE* m_out;
    std::string m_payload;
};
