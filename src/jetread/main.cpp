// Reads a Jet file for the program, in a process of its own: libmdb was not
// written for damaged files, and whatever it does with one (loop, grow
// without bound, crash) ends this process, not the program. The program
// starts it with limits on time and memory and checks everything it sends.
//   quilmo-jet-reader FILE
// Standard input: one table name a line. Standard output: frames.
#include <cstdio>
#include <cstring>

#include <unistd.h>

#include "jetread/frame_writer.h"
#include "jetread/mdb_source.h"
#include "jetread/serve.h"

int main(int argc, char** argv)
{
    if (argc != 2 || std::strcmp(argv[1], "--help") == 0) {
        std::fputs("usage: quilmo-jet-reader FILE (started by quilmo)\n", stderr);
        return 2;
    }
    // The frames get standard output to themselves: whatever the library
    // prints goes to standard error.
    const int framesFd = dup(STDOUT_FILENO);
    std::FILE* frames = framesFd < 0 ? nullptr : fdopen(framesFd, "w");
    if (!frames || dup2(STDERR_FILENO, STDOUT_FILENO) < 0)
        return 2;
    static char buffer[1 << 20];
    std::setvbuf(frames, buffer, _IOFBF, sizeof buffer);
    try {
        const auto source = openMdbSource(argv[1]);
        return serve(*source, stdin, frames);
    } catch (const SourceError& error) {
        FrameWriter writer(frames);
        writer.failure(error.what());
        writer.flush();
        return 1;
    }
}
