#pragma once

// The running program itself.
class ProcessControl
{
public:
    virtual ~ProcessControl() = default;
    // Ends the program at once: every window disappears, no further handler
    // runs, and the process leaves its event loop. Nothing is saved.
    virtual void endProgram() = 0;
};

class QtProcessControl final : public ProcessControl
{
public:
    void endProgram() override;
};
