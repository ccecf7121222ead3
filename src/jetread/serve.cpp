#include "jetread/serve.h"

#include "jetread/frame_writer.h"

int serve(Source& source, std::FILE* in, std::FILE* out)
{
    FrameWriter writer(out);
    try {
        writer.names(source.tableNames());
        if (!writer.flush())
            return 1;
        std::string name;
        for (int c = std::fgetc(in); c != EOF; c = std::fgetc(in)) {
            if (c != '\n') {
                name.push_back(char(c));
                continue;
            }
            const auto table = source.open(name);
            name.clear();
            if (!table) {
                writer.missing();
            } else {
                writer.columns(table->columns());
                std::uint32_t rows = 0;
                SourceRow row;
                while (table->next(row)) {
                    writer.row(row);
                    ++rows;
                }
                writer.end(rows);
            }
            if (!writer.flush())
                return 1;
        }
        return 0;
    } catch (const SourceError& error) {
        writer.failure(error.what());
        writer.flush();
        return 1;
    }
}
